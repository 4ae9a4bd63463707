// The typed lines behind the web platform's standard input, edited as at a terminal's prompt.
#include "platform/web/web_typing.h"

#include <emscripten.h>

#include <algorithm>
#include <cstring>
#include <istream>
#include <string>

#include "platform/console/hosted_console.h"
#include "platform/console/line_editor.h"
#include "platform/console/typed_input.h"
#include "platform/platform.h"
#include "platform/web/web_page_link.h"

namespace {

// A waiting read wakes at the page's next input event, and at least this often.
constexpr std::uint32_t READ_WAIT_MS = 500;

LineEditor editor;
std::string finishedLines;  // handed over, not read yet
bool inputEnded = false;    // Ctrl+D on an empty line: the next read sees the end of input
bool waiting = false;       // a read waits for a line: typing goes to the editor

// Waits for a finished line or the end of input; 0 for the end, after which later reads wait
// for new lines again, as a terminal's reads do after Ctrl+D.
std::size_t readTyped(char* out, std::size_t capacity) {
    waiting = true;
    while (finishedLines.empty() && !inputEnded) {
        webWaitForInput(READ_WAIT_MS);
    }
    waiting = false;
    if (finishedLines.empty()) {
        inputEnded = false;
        return 0;
    }
    const std::size_t count = std::min(capacity, finishedLines.size());
    std::memcpy(out, finishedLines.data(), count);
    finishedLines.erase(0, count);
    return count;
}

TypedInputBuffer inputBuffer(readTyped);
std::istream inputStream(&inputBuffer);

}  // namespace

bool webReadingInput() {
    return waiting;
}

extern "C" {

// The page's "end of input" button.
EMSCRIPTEN_KEEPALIVE void webEndInput() {
    webTypeByte(0x04);
}

}  // extern "C"

void webTypeByte(char byte) {
    if (!waiting) {
        return;  // nothing reads now: the byte was only a key press
    }
    switch (editor.take(byte, hostedConsole())) {
        case LineStatus::Done: {
            char chunk[256];
            for (std::size_t count; (count = editor.copyLine(chunk, sizeof chunk)) > 0;) {
                finishedLines.append(chunk, count);
            }
            break;
        }
        case LineStatus::EndOfInput:
            inputEnded = true;
            break;
        case LineStatus::Editing:
            break;
    }
}

std::istream& platformInput() {
    return inputStream;
}
