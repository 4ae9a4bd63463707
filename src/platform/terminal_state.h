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
    // Frame rows move the terminal's cursor but must leave the text cursor where text goes
    // next: it is saved (ESC 7) before the first frame rows after text, and put back (ESC 8)
    // only when text comes again, so a run of frames pays nothing for it.
    bool textCursorSaved = false;
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

// Writes everything queued in one go. Sets: terminal.output (emptied), terminal.lastFlush.
void flushOutput();

// Blanks every cell in the colours in force, keeping the text cursor where it was; every
// frame row goes out again at the next presentation.
void paintWindow();

// Queues a save of the text cursor unless one is in force (before output that moves it).
void saveTextCursor();

// Queues the text cursor's return if output moved it since it was saved (before text).
void restoreTextCursor();

// Applies a resize that came meanwhile, queues the frame rows that changed and flushes.
void present();

// Waits up to `timeoutMs` for input or a signal and takes in whatever came.
void pump(int timeoutMs);

// Takes in input and signals until `milliseconds` have passed. Sets: terminal.lastPause.
void sleepFor(Millis milliseconds);

// Acts on the signals recorded since the last call: quit, suspend, continue, resize.
void serviceSignals();

// Asks what the terminal can do; uses the keyboard protocol only when the terminal answers
// its query and, after the flags are pushed, confirms them.
void probe();

}  // namespace terminal_platform
