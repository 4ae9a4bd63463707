// Saving the console's settings at start and restoring them when the console ends the program.
#include "platform/windows/win32_console_session.h"

#include <algorithm>

#include "platform/windows/win32_console_buffer.h"

namespace {

// Puts the text cursor at the start of the row below the last frame row, so whatever prints after
// the program (a shell prompt) does not land inside the picture.
void moveCursorBelowFrame(HANDLE output, int frameRows) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (frameRows <= 0 || !GetConsoleScreenBufferInfo(output, &info)) {
        return;
    }
    const int lastRow = info.dwSize.Y - 1;
    SetConsoleCursorPosition(output, COORD{0, static_cast<SHORT>(std::min(frameRows, lastRow))});
}

}  // namespace

ConsoleSession makeConsoleSession(HANDLE output, HANDLE input) {
    ConsoleSession session{};
    session.output = output;
    session.input = input;
    InitializeSRWLock(&session.lock);
    return session;
}

void beginConsoleSession(ConsoleSession& session) {
    AcquireSRWLockExclusive(&session.lock);
    if (!session.begun) {
        session.begun = true;
        CONSOLE_SCREEN_BUFFER_INFO info;
        session.haveBufferInfo = GetConsoleScreenBufferInfo(session.output, &info) != FALSE;
        if (session.haveBufferInfo) {
            session.attribute = info.wAttributes;
            session.bufferSize = info.dwSize;
            session.window = info.srWindow;
        }
        session.haveCursor = GetConsoleCursorInfo(session.output, &session.cursor) != FALSE;
        session.haveInputMode = GetConsoleMode(session.input, &session.inputMode) != FALSE;
        if (session.haveInputMode) {
            // Quick-edit only changes together with the extended-flags bit.
            const DWORD mode = (session.inputMode | ENABLE_EXTENDED_FLAGS) &
                               ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE);
            SetConsoleMode(session.input, mode);
        }
    }
    ReleaseSRWLockExclusive(&session.lock);
}

void restoreConsoleSession(ConsoleSession& session) {
    AcquireSRWLockExclusive(&session.lock);
    if (session.begun && !session.ended) {
        session.ended = true;
        if (session.layoutChanged && session.haveBufferInfo) {
            restoreConsoleLayout(session.output, session.bufferSize, session.window);
        }
        if (session.coloursChanged && session.haveBufferInfo) {
            colourConsoleBuffer(session.output, session.attribute);
        }
        if (session.haveCursor) {
            SetConsoleCursorInfo(session.output, &session.cursor);
        }
        moveCursorBelowFrame(session.output, session.frame.rows);
        if (session.haveInputMode) {
            FlushConsoleInputBuffer(session.input);  // W, A, S, D would reach the shell
            SetConsoleMode(session.input, session.inputMode);
        }
    }
    ReleaseSRWLockExclusive(&session.lock);
}

void noteFrameRow(ConsoleSession& session, std::uint32_t length, SHORT column, SHORT row) {
    if (coverRowWrite(session.frame, column, row, length, LARGEST_BUFFER_SIDE,
                      LARGEST_BUFFER_SIDE)) {
        session.framePending = true;
    }
}

void fitConsoleToFrame(ConsoleSession& session) {
    if (session.framePending) {
        session.framePending = false;  // a console that refuses is not asked again every frame
        if (fitConsoleLayout(session.output, session.frame)) {
            session.layoutChanged = true;
        }
    }
}

BOOL handleConsoleEvent(ConsoleSession& session, DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            restoreConsoleSession(session);
            break;
        default:
            break;
    }
    return FALSE;
}

ConsoleChange::ConsoleChange(ConsoleSession& session) : session_(session) {
    AcquireSRWLockExclusive(&session_.lock);
    live_ = !session_.ended;
}

ConsoleChange::~ConsoleChange() {
    ReleaseSRWLockExclusive(&session_.lock);
}
