// The terminal platform's shared state and the steps its files share: output and the window
// (terminal_output.cpp), input, signals and the start-up probe (terminal_input.cpp), and the
// platform functions over them (posix_terminal.cpp).
#pragma once

#include <string>

#include "platform/key_tracker.h"
#include "platform/platform.h"
#include "platform/terminal_screen.h"
#include "platform/virtual_pointer.h"

namespace terminal_platform {

// What the terminal answered to the start-up queries.
struct Replies {
    int attributes = 0;  // primary device attributes replies so far
    bool keyboard = false;
    int keyboardFlags = 0;
    int pixelMouse = 0;  // 1 or 3: reports are in pixels
    int cellWidth = 0;
    int cellHeight = 0;
};

struct Terminal {
    bool started = false;
    bool lineMode = false;  // reading typed lines for the settings screen
    bool resized = false;
    bool coloured = false;
    bool colourAllowed = true;
    std::string output;  // bytes for the terminal, written at the next flush
    // The terminal's cursor stands at the text cursor, where typed text is echoed; only lines
    // typed for the settings need it there.
    bool cursorAtText = false;
    Millis lastFlush = 0;
    Millis lastPause = 0;
    std::string input;      // bytes read but not yet decoded: an unfinished sequence
    Millis inputSince = 0;  // when that unfinished sequence began
    KeyTracker keys;
    Replies replies;
    WindowGeometry geometry{120, 40, 8, 16};
    TerminalScreen screen{120, 40, false};
    VirtualPointer pointer{0, 0};
    ConsoleCursorInfo cursorInfo{25, false};
};

// The terminal the process runs in; all of the platform's state.
extern Terminal terminal;

// Milliseconds on a clock that only moves forward.
Millis now();

// The window's size from the terminal's size report, with the cell-size reply as fallback.
// Sets: terminal.geometry.
void readWindowSize();

// Writes everything queued in one go, waiting while the terminal does not read, but never
// past a signal that must be acted on or a Ctrl+C typed meanwhile. Only in the foreground: a
// game that finds itself in the background waits there, stopped, and takes the terminal
// again. Sets: terminal.output (emptied), terminal.lastFlush.
void flushOutput();

// Blanks every cell in the colours in force; every row goes out again at the next
// presentation.
void paintWindow();

// Applies a resize that came meanwhile, queues the rows that changed (and, for typed lines,
// the cursor's return to the text cursor) and flushes.
void present();

// Waits up to `timeoutMs` for input or a signal and takes in whatever came.
void pump(int timeoutMs);

// Takes in game input after a poll() reported `events` for standard input: decodes what
// arrived; ends the game when the terminal has gone.
void takeInput(short events);

// Back in the foreground after somebody else had the terminal: the game's modes again, no
// keys held, and everything repainted at the next presentation. Ends the game instead when a
// signal that ends it came while it waited.
void regainTerminal();

// Ends the game by the first recorded signal that ends it (SIGTERM when, oddly, none is).
[[noreturn]] void quitByWaitingSignal();

// Takes in input and signals until `milliseconds` have passed. Sets: terminal.lastPause.
void sleepFor(Millis milliseconds);

// Acts on the signals recorded since the last call: quit, suspend, continue, resize.
void serviceSignals();

// Asks what the terminal can do; uses the keyboard protocol only when the terminal answers
// its query and, after the flags are pushed, confirms them.
void probe();

}  // namespace terminal_platform
