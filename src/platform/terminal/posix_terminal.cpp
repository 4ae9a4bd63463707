// The terminal platform for Linux and macOS: the game's console, keys and pointer over termios
// and escape sequences. The terminal is taken at the first platform call and given back on
// every way out (terminal_session.cpp). Output is queued and written once per frame
// (terminal_output.cpp); input is read and decoded while the game sleeps or asks for keys
// (terminal_input.cpp).
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "platform/console/console_text.h"
#include "platform/console/typed_input.h"
#include "platform/platform.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

using namespace terminal_platform;

namespace {

constexpr int KEY_LEFT = 0x25;
constexpr std::uint8_t RUNNING_ATTRIBUTE = 0x3F;  // bright white on aqua
constexpr int KEY_RIGHT = 0x27;
constexpr int EXIT_REFUSED = 2;                 // not a terminal, or no way to see signals
constexpr std::int32_t ARROW_TURN_PIXELS = 36;  // a held arrow turns about 90 degrees a second
constexpr Millis BUSY_LOOP_GAP_MS = 20;  // key queries this long after the last pause come from
// a loop that never pauses (the menu): each query waits this long for input, which ends the
// wait at once, so a key still acts at once and an idle loop does not burn a core.
constexpr int BUSY_LOOP_WAIT_MS = 50;
constexpr Millis INPUT_QUIET_MS = 50;  // the queries after input do not wait: the key acts now

// An exception nothing caught (above all, no memory for a larger frame): the terminal is
// given back first, so the one line that says what failed is seen on the main screen.
[[noreturn]] void stopOnUncaughtException() {
    terminal.output.clear();
    sessionRestore();
    std::string what = "an unexpected error";
    try {
        if (std::current_exception()) {
            std::rethrow_exception(std::current_exception());
        }
    } catch (const std::bad_alloc&) {
        what = "out of memory";
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
    }
    std::fprintf(stderr, "mazecast: stopped: %s\n", what.c_str());
    std::_Exit(EXIT_FAILURE);
}

// The platform starts at the game's first call into it, whichever that is: every contract
// function begins here.
void start() {
    if (terminal.started) {
        return;
    }
    terminal.started = true;
    if (!terminalIsInteractive()) {
        std::fputs("mazecast needs an interactive terminal to run in\n", stderr);
        std::exit(EXIT_REFUSED);
    }
    // Before anything touches the terminal: without the wake-up pipe no signal could end the
    // game, and the terminal would be left broken.
    if (!sessionPrepareSignals()) {
        std::fprintf(stderr, "mazecast: cannot set up signal handling: %s\n", std::strerror(errno));
        std::exit(EXIT_REFUSED);
    }
    std::set_terminate(stopOnUncaughtException);
    const char* noColour = std::getenv("NO_COLOR");
    const bool colour = noColour == nullptr || noColour[0] == '\0';
    const bool utf8 =
        localeIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    if (!sessionTake()) {
        quitByWaitingSignal();  // ended while it waited in the background
    }
    readWindowSize();
    probe();
    terminal.screen =
        TerminalScreen(terminal.geometry.columns, terminal.geometry.rows, utf8, colour);
    terminal.pointer = VirtualPointer(terminal.geometry.pixelWidth() / 2,
                                      terminal.geometry.rows * terminal.geometry.cellHeight / 2);
    // Keys typed (or held) before the menu is on the screen were not meant for it.
    sessionDiscardInput();
    terminal.input.clear();
    terminal.keys.releaseAll();
}

// Game keys need raw input; coming back from typed lines drops what the keys did meanwhile.
void ensureRawInput() {
    if (terminal.lineMode) {
        present();  // what was written for the typed lines is shown first
        sessionRawInput();
        terminal.lineMode = false;
        terminal.keys.releaseAll();
        terminal.input.clear();
        terminal.typed.clear();
        terminal.lineReady = false;
    }
}

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
// ends; Editing when every byte went in. Bytes after a finished line stay for the next one.
LineStatus editTypedBytes() {
    std::size_t used = 0;
    LineStatus status = LineStatus::Editing;
    while (used < terminal.typed.size() && status == LineStatus::Editing) {
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

// The settings screen's reads: the next line typed, edited and echoed on the console by the
// platform's own line editor, handed out whole over as many reads as it takes; 0 at the end
// of input (Ctrl+D on an empty line).
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
        present();  // the prompt and the echo (again, after a resume or a resize)
        if (anySignalWaiting()) {
            serviceSignals();  // recorded while the presentation waited to write
            continue;
        }
        struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {sessionSignalFd(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0) {
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            serviceSignals();
            continue;
        }
        char bytes[256];
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count > 0) {
            terminal.typed.append(bytes, static_cast<std::size_t>(count));
        } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
            return 0;  // the terminal has gone: no more input can come
        }
    }
}

ConsoleTextBuffer outputBuffer(terminal.console);
TypedInputBuffer inputBuffer(readTypedLine);
std::ostream outputStream(&outputBuffer);
std::istream inputStream(&inputBuffer);

// The game's virtual-key codes and the decoder's keys.
struct KeyName {
    int code;
    TermKey key;
};
constexpr std::array<KeyName, 10> KEY_NAMES{{
    {KEY_RETURN, TermKey::Enter},
    {KEY_SHIFT, TermKey::Shift},
    {KEY_UP, TermKey::Up},
    {KEY_DOWN, TermKey::Down},
    {KEY_LEFT, TermKey::Left},
    {KEY_RIGHT, TermKey::Right},
    {KEY_W, TermKey::W},
    {KEY_A, TermKey::A},
    {KEY_S, TermKey::S},
    {KEY_D, TermKey::D},
}};

bool termKeyFor(int code, TermKey& termKey) {
    for (const KeyName& name : KEY_NAMES) {
        if (name.code == code) {
            termKey = name.key;
            return true;
        }
    }
    return false;
}

}  // namespace

const char* platformName() {
    return "terminal";
}

ConsoleHandle platformOutputHandle() {
    start();
    return &terminal;
}

bool platformGetCursorInfo(ConsoleHandle, ConsoleCursorInfo* info) {
    start();
    *info = terminal.cursorInfo;
    return true;
}

bool platformSetCursorInfo(ConsoleHandle, const ConsoleCursorInfo* info) {
    start();
    if (info->visible != terminal.cursorInfo.visible) {
        terminal.output += info->visible ? "\x1b[?25h" : "\x1b[?25l";
    }
    terminal.cursorInfo = *info;
    return true;
}

bool platformSetCursorPosition(ConsoleHandle, std::int16_t column, std::int16_t row) {
    start();
    return terminal.console.setCursor(column, row);
}

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    start();
    return terminal.console.writeRow(column, row, chars, length);
}

std::int16_t platformKeyState(int key) {
    start();
    ensureRawInput();
    TermKey termKey{};
    if (!termKeyFor(key, termKey)) {
        return 0;
    }
    present();
    const Millis time = now();
    const bool busyLoop = time - terminal.lastPause > BUSY_LOOP_GAP_MS;
    const bool quiet = time - terminal.lastInput > INPUT_QUIET_MS;
    pump(busyLoop && quiet ? BUSY_LOOP_WAIT_MS : 0);
    return terminal.keys.query(termKey, now());
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
    start();
    ensureRawInput();
    pump(0);
    // The real pointer stops at the window's edge; held arrows turn on without limit.
    const Millis time = now();
    if (terminal.keys.held(TermKey::Left, time)) {
        terminal.pointer.nudge(-ARROW_TURN_PIXELS);
    }
    if (terminal.keys.held(TermKey::Right, time)) {
        terminal.pointer.nudge(ARROW_TURN_PIXELS);
    }
    *x = terminal.pointer.x();
    *y = terminal.pointer.y();
    return true;
}

bool platformSetCursorPos(std::int32_t x, std::int32_t y) {
    start();
    terminal.pointer.moveTo(x, y);
    return true;
}

std::int32_t platformScreenWidth() {
    start();
    return terminal.geometry.pixelWidth();
}

void platformSleep(std::uint32_t milliseconds) {
    start();
    ensureRawInput();
    present();
    sleepFor(milliseconds);
}

void platformClearConsole() {
    start();
    terminal.console.clear();
}

void platformSetConsoleColours() {
    start();
    terminal.console.setAttribute(RUNNING_ATTRIBUTE);
}

std::istream& platformInput() {
    start();
    return inputStream;
}

std::ostream& platformOutput() {
    start();
    return outputStream;
}
