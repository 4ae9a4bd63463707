// The terminal platform's shared state and the steps its files share: output and the window
// (terminal_output.cpp), input, signals and the start-up probe (terminal_input.cpp), and the
// platform functions over them (posix_terminal.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "platform/console/console_model.h"
#include "platform/console/line_editor.h"
#include "platform/platform.h"
#include "platform/terminal/key_tracker.h"
#include "platform/terminal/terminal_screen.h"
#include "platform/terminal/virtual_pointer.h"

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

// The console buffer the terminal shows the top-left part of: as large as the largest frame,
// which the menu and the settings text fit in too.
constexpr int BUFFER_COLUMNS = 512;
constexpr int BUFFER_ROWS = 512;

struct Terminal {
    bool started = false;
    bool lineMode = false;  // reading typed lines for the settings screen
    bool resized = false;
    std::string output;  // bytes for the terminal, written at the next flush
    Millis lastPause = 0;
    Millis lastInput = 0;    // when input last came
    std::string input;       // bytes read but not yet decoded: an unfinished sequence
    Millis inputSince = 0;   // when that unfinished sequence began
    std::string typed;       // bytes typed at the prompt after the line that was read
    bool lineReady = false;  // a finished line is being handed out to the reads
    KeyTracker keys;
    Replies replies;
    WindowGeometry geometry{120, 40, 8, 16};
    ConsoleModel console{BUFFER_COLUMNS, BUFFER_ROWS};
    TerminalScreen screen{120, 40, false, true};
    LineEditor editor;
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
// again. Sets: terminal.output (emptied).
void flushOutput();

// Applies a resize that came meanwhile, queues what changed on the console and flushes; does
// nothing when nothing changed.
void present();

// Everything on the window again at the next presentation, keys let go: after the terminal
// was somebody else's.
void forgetWhatTheWindowShowed();

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
