// The terminal platform for Linux and macOS: the contract functions over the session, the
// input, the presentation and the typed lines, which do the work.
#include <unistd.h>

#include <array>
#include <cerrno>
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
#include "platform/terminal/job_control.h"
#include "platform/terminal/terminal_input.h"
#include "platform/terminal/terminal_presentation.h"
#include "platform/terminal/terminal_probe.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_start.h"
#include "platform/terminal/terminal_state.h"
#include "platform/terminal/typed_lines.h"

namespace terminal_platform {

namespace {

constexpr int EXIT_REFUSED = 2;                 // not a terminal, or no way to see signals
constexpr std::int32_t ARROW_TURN_PIXELS = 36;  // a held arrow turns about 90 degrees a second
// Key queries this long after the last pause come from a loop that never pauses (the menu):
// only there does a query show what was written and wait for input, up to the busy wait while
// no input came lately, so a key still acts at once and an idle loop does not burn a core. A
// running frame's queries read what its pause took in: its one wait.
constexpr Millis BUSY_LOOP_GAP_MS = 20;
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

// The platform starts at the game's first call into it, whichever that is.
void start() {
    if (!terminal.started) {
        startTerminal(STDIN_FILENO, STDOUT_FILENO);
    }
}

// In a loop that never pauses, what it wrote is shown and input waited for.
void waitIfBusy() {
    const Millis time = now();
    if (time - terminal.lastPause > BUSY_LOOP_GAP_MS) {
        present();
        pump(time - terminal.lastInput > INPUT_QUIET_MS ? BUSY_LOOP_WAIT_MS : 0);
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

void startTerminal(int inputFd, int outputFd) {
    if (terminal.started) {
        return;
    }
    terminal.started = true;
    terminal.inputFd = inputFd;
    terminal.outputFd = outputFd;
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

}  // namespace terminal_platform

using namespace terminal_platform;

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
    endTypedLines();
    TermKey termKey{};
    if (!termKeyFor(key, termKey)) {
        return 0;
    }
    waitIfBusy();
    return terminal.keys.query(termKey, now());
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
    start();
    endTypedLines();
    waitIfBusy();
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
    endTypedLines();
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
