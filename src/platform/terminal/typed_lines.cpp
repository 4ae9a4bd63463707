// The settings screen's typed lines over the terminal's input.
#include "platform/terminal/typed_lines.h"

#include <csignal>
#include <string_view>
#include <vector>

#include "platform/terminal/job_control.h"
#include "platform/terminal/terminal_input.h"
#include "platform/terminal/terminal_input_decoder.h"
#include "platform/terminal/terminal_presentation.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

// The signal a key byte stands for: the terminal sends Ctrl+C, Ctrl+Z and Ctrl+\ as bytes
// only when it controls no session and so could signal nobody; 0 for any other byte.
int keySignal(char byte) {
    switch (byte) {
        case '\x03':
            return SIGINT;
        case '\x1a':
            return SIGTSTP;
        case '\x1c':
            return SIGQUIT;
        default:
            return 0;
    }
}

// Feeds the bytes typed so far to the line editor until a line is finished or the input
// ends; Editing when every byte went in, or the rest is an unfinished escape sequence. Bytes
// after a finished line stay for the next one. Escape sequences (arrows and other keys, late
// replies) are decoded and skipped whole: they are not text.
LineStatus editTypedBytes() {
    std::size_t used = 0;
    LineStatus status = LineStatus::Editing;
    std::vector<InputEvent> skipped;  // what the sequences would mean as keys: nothing here
    while (used < terminal.typed.size() && status == LineStatus::Editing) {
        if (terminal.typed[used] == '\x1b') {
            skipped.clear();
            const std::size_t length =
                decodeTerminalItem(std::string_view(terminal.typed).substr(used), false, skipped);
            if (length == 0) {
                break;  // the rest of it is still on its way
            }
            used += length;
            continue;
        }
        const char byte = terminal.typed[used++];
        const int signal = keySignal(byte);
        if (signal == 0) {
            status = terminal.editor.take(byte, terminal.console);
            continue;
        }
        terminal.typed.erase(0, used);
        used = 0;
        raise(signal);  // acted on with the signals, as the terminal's own would be
        serviceSignals();
    }
    terminal.typed.erase(0, used);
    return status;
}

}  // namespace

std::size_t readTypedLine(char* buffer, std::size_t capacity) {
    if (!terminal.lineMode) {
        // Typing mode first, then the prompt: whatever is typed once it shows is kept.
        sessionLineInput();
        terminal.lineMode = true;
        terminal.keys.releaseAll();
        terminal.input.clear();
    }
    for (;;) {
        if (terminal.lineReady) {
            const std::size_t count = terminal.editor.copyLine(buffer, capacity);
            if (count > 0) {
                return count;
            }
            terminal.lineReady = false;
        }
        const LineStatus status = editTypedBytes();
        if (status == LineStatus::EndOfInput) {
            return 0;
        }
        if (status == LineStatus::Done) {
            terminal.lineReady = true;
            continue;
        }
        // What is left is an unfinished escape sequence, if anything: it waits for its rest.
        const std::size_t unfinished = terminal.typed.size();
        present();  // the prompt and the echo (again, after a resume or a resize)
        if (terminal.typed.size() == unfinished) {
            pump(-1);  // else the presentation's wait for room took in what was typed since
        }
    }
}

void endTypedLines() {
    if (!terminal.lineMode) {
        return;
    }
    present();
    sessionRawInput();
    terminal.lineMode = false;
    terminal.keys.releaseAll();
    terminal.input.clear();
    terminal.typed.clear();
    terminal.lineReady = false;
}

}  // namespace terminal_platform
