// The terminal platform's state, all of it in one place: the descriptors it talks over, the
// console model and what the window shows of it, input not yet taken, keys, the pointer, and
// the one clock every part reads. Each function elsewhere says which of these it reads and sets.
#pragma once

#include <string>

#include "platform/console/console_facts.h"
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

struct Terminal {
    int inputFd = 0;   // the terminal's input: standard input, or a test's pseudo-terminal
    int outputFd = 1;  // where frames go: the terminal opened anew without blocking, if it can
    bool started = false;
    bool lineMode = false;  // reading typed lines for the settings screen
    bool resized = false;   // the window changed size since the last presentation
    std::string output;     // bytes for the terminal, written at the next flush
    Millis lastPause = 0;
    Millis lastInput = 0;    // when input last came
    std::string input;       // bytes read but not yet decoded: an unfinished sequence
    Millis inputSince = 0;   // when that unfinished sequence began
    std::string typed;       // bytes typed at the prompt, not yet given to the line editor
    bool lineReady = false;  // a finished line is being handed out to the reads
    KeyTracker keys;
    Replies replies;
    WindowGeometry geometry{DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS, 8, 16};
    // The console buffer the window shows the top-left part of, as large as the largest frame.
    ConsoleModel console{LARGEST_CONSOLE, LARGEST_CONSOLE};
    TerminalScreen screen{DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS, false, true};
    LineEditor editor;
    VirtualPointer pointer{0, 0};
    ConsoleCursorInfo cursorInfo{25, false};
};

extern Terminal terminal;

// Milliseconds on a clock that only moves forward. Async-signal-safe.
Millis now();

}  // namespace terminal_platform
