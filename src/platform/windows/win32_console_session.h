// The console settings the program changes while it runs, saved before the first change and put
// back when the console asks the program to end (Ctrl+C, Ctrl+Break, closing the window).
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/windows/win32_console_layout.h"

struct ConsoleSession {
    HANDLE output;
    HANDLE input;
    SRWLOCK lock;  // orders console changes against the restore on the control thread
    bool begun;
    bool ended;  // restored for exit: no further console changes are made
    bool haveBufferInfo;
    WORD attribute;
    COORD bufferSize;
    SMALL_RECT window;
    bool haveCursor;
    CONSOLE_CURSOR_INFO cursor;
    bool haveInputMode;
    DWORD inputMode;
    bool coloursChanged;  // the whole buffer has been recoloured since the start
    bool layoutChanged;   // the buffer or the window has been resized or scrolled since the start
    FrameExtent frame;    // the cells frame rows have been written to
    bool framePending;    // the frame has grown since the console was last fitted to it
};

// A session on these handles, nothing saved yet.
ConsoleSession makeConsoleSession(HANDLE output, HANDLE input);

// Saves the text attribute, the buffer size and window, the text cursor and the input mode, then
// turns quick-edit off (a click would otherwise select text and hold up every write until it is
// dismissed). Handles that are not a console are left out. Does nothing after the first call.
void beginConsoleSession(ConsoleSession& session);

// Puts back what beginConsoleSession saved, in reverse order of the changes: the window and the
// buffer size (when they were changed), the colours of the whole buffer (when they were changed),
// the text cursor and its place below the last frame row, and the input mode, after discarding the
// keystrokes the polled keys left queued. Afterwards the session is ended. Does nothing when it was
// never begun or has ended already.
void restoreConsoleSession(ConsoleSession& session);

// Takes a frame row write into the frame's extent; cheap enough for every row of every frame.
void noteFrameRow(ConsoleSession& session, std::uint32_t length, SHORT column, SHORT row);

// When the frame has grown since the last fit, grows the buffer and the window to show it (see
// fitConsoleLayout). Called at the pause after a frame, so one frame costs one fit at most and an
// unchanged frame none.
void fitConsoleToFrame(ConsoleSession& session);

// The response to a console control event: restores the session for the events that end the
// process and answers FALSE, so the next handler (the system's) ends it.
BOOL handleConsoleEvent(ConsoleSession& session, DWORD event);

// Holds the session's lock for one console change; `live` is false once the session has ended,
// and the change must then be skipped.
class ConsoleChange {
public:
    explicit ConsoleChange(ConsoleSession& session);
    ~ConsoleChange();
    ConsoleChange(const ConsoleChange&) = delete;
    ConsoleChange& operator=(const ConsoleChange&) = delete;

    bool live() const { return live_; }

private:
    ConsoleSession& session_;
    bool live_;
};
