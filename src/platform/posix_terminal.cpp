// The terminal platform for Linux and macOS: the game's console, keys and pointer over termios
// and escape sequences. The terminal is taken at the first platform call and given back on
// every way out (terminal_session.cpp). Output is queued and written once per frame
// (terminal_output.cpp); input is read and decoded while the game sleeps or asks for keys
// (terminal_input.cpp).
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>

#include "platform/platform.h"
#include "platform/terminal_session.h"
#include "platform/terminal_state.h"
#include "platform/terminal_streams.h"

using namespace terminal_platform;

namespace {

constexpr int KEY_LEFT = 0x25;
constexpr int KEY_RIGHT = 0x27;
constexpr int EXIT_REFUSED = 2;                 // not a terminal, or no way to see signals
constexpr std::int32_t ARROW_TURN_PIXELS = 36;  // a held arrow turns about 90 degrees a second
constexpr Millis BUSY_LOOP_GAP_MS = 20;  // key queries this long after the last pause come from
constexpr int BUSY_LOOP_WAIT_MS = 2;     // a loop that never pauses: wait a little for input
constexpr Millis FLUSH_GAP_MS = 15;      // text written between pauses goes out this often

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
    const char* noColour = std::getenv("NO_COLOR");
    terminal.colourAllowed = noColour == nullptr || noColour[0] == '\0';
    const bool utf8 =
        localeIsUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
    if (!sessionTake()) {
        quitByWaitingSignal();  // ended while it waited in the background
    }
    readWindowSize();
    probe();
    terminal.screen = TerminalScreen(terminal.geometry.columns, terminal.geometry.rows, utf8);
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
    }
}

// The settings screen's reads: waits for a typed line; 0 at the end of input (Ctrl+D). The
// terminal echoes what is typed; the line read is put on the screen model as echoed, so a
// repaint shows it too.
std::size_t readTypedLine(char* buffer, std::size_t capacity) {
    if (!terminal.lineMode) {
        // Typing mode first, then the prompt: whatever is typed once it shows is kept.
        sessionLineInput();
        terminal.lineMode = true;
        terminal.keys.releaseAll();
        terminal.input.clear();
    }
    for (;;) {
        present();  // the prompt (again, after a resume or a resize) before the read waits
        struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {sessionSignalFd(), POLLIN, 0}};
        if (poll(fds, 2, -1) <= 0) {
            continue;
        }
        if ((fds[1].revents & POLLIN) != 0) {
            serviceSignals();
            continue;
        }
        const ssize_t count = read(STDIN_FILENO, buffer, capacity);
        if (count >= 0) {
            terminal.screen.writeText(buffer, static_cast<std::size_t>(count));
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR && errno != EAGAIN) {
            return 0;
        }
    }
}

QueuedOutputBuffer outputBuffer([](const char* bytes, std::size_t count) {
    terminal.screen.writeText(bytes, count);
});
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
    return terminal.screen.setTextCursor(row, column);
}

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    start();
    return terminal.screen.writeRow(row, column, chars, length);
}

std::int16_t platformKeyState(int key) {
    start();
    ensureRawInput();
    TermKey termKey{};
    if (!termKeyFor(key, termKey)) {
        return 0;
    }
    const bool busyLoop = now() - terminal.lastPause > BUSY_LOOP_GAP_MS;
    if (now() - terminal.lastFlush >= FLUSH_GAP_MS) {
        present();
    }
    pump(busyLoop ? BUSY_LOOP_WAIT_MS : 0);
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
    terminal.output += terminal.screen.paint();
    terminal.screen.forgetRows();  // and the text cursor is home
    terminal.cursorAtText = false;
}

void platformSetConsoleColours() {
    start();
    if (terminal.coloured) {
        return;  // issued to the terminal once, however often the game asks
    }
    terminal.coloured = true;
    if (terminal.colourAllowed) {
        paintWindow();
    }
}

std::istream& platformInput() {
    start();
    return inputStream;
}

std::ostream& platformOutput() {
    start();
    return outputStream;
}
