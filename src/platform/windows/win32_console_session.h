// The console settings the program changes while it runs, saved before the first change and put
// back when the console asks the program to end (Ctrl+C, Ctrl+Break, closing the window).
#pragma once

#include <windows.h>

struct ConsoleSession {
    HANDLE output;
    HANDLE input;
    SRWLOCK lock;  // orders console changes against the restore on the control thread
    bool begun;
    bool ended;  // restored for exit: no further console changes are made
    bool haveAttribute;
    WORD attribute;
    bool haveCursor;
    CONSOLE_CURSOR_INFO cursor;
    bool haveInputMode;
    DWORD inputMode;
    bool coloursChanged;     // the whole buffer has been recoloured since the start
    SHORT lowestRowWritten;  // -1 until a frame row has been written
};

// A session on these handles, nothing saved yet.
ConsoleSession makeConsoleSession(HANDLE output, HANDLE input);

// Saves the text attribute, the text cursor and the input mode, then turns quick-edit off (a
// click would otherwise select text and hold up every write until it is dismissed). Handles that
// are not a console are left out. Does nothing after the first call.
void beginConsoleSession(ConsoleSession& session);

// Puts back what beginConsoleSession saved, in reverse order of the changes: the colours of the
// whole buffer (when they were changed), the text cursor and its place below the last frame row,
// and the input mode, after discarding the keystrokes the polled keys left queued. Afterwards the
// session is ended. Does nothing when it was never begun or has ended already.
void restoreConsoleSession(ConsoleSession& session);

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
