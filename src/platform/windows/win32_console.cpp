// The Windows console platform: console API for the text, rows, colours, clearing and the window's
// fit to the frame; the desktop's asynchronous key states and cursor; Sleep; the C++ standard
// streams.
#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <vector>

#include "platform/console/console_facts.h"
#include "platform/platform.h"
#include "platform/windows/win32_console_buffer.h"
#include "platform/windows/win32_console_session.h"
#include "platform/windows/win32_glyphs.h"

namespace {

ConsoleSession globalSession = makeConsoleSession(nullptr, nullptr);

BOOL WINAPI onConsoleEvent(DWORD event) {
    return handleConsoleEvent(globalSession, event);
}

void restoreAtExit() {
    restoreConsoleSession(globalSession);
}

// The session over the standard handles, begun on first use: the settings are saved before the
// program changes any of them, and put back on every way out.
ConsoleSession& session() {
    static const bool begun = [] {
        globalSession.output = GetStdHandle(STD_OUTPUT_HANDLE);
        globalSession.input = GetStdHandle(STD_INPUT_HANDLE);
        beginConsoleSession(globalSession);
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
        std::atexit(restoreAtExit);  // a normal end; the control events end by ExitProcess
        return true;
    }();
    static_cast<void>(begun);
    return globalSession;
}

// Text written through the stream must reach the console before the console is changed under it
// (a cursor move, a clear), or it would appear at the new place.
void flushOutput() {
    std::cout.flush();
}

}  // namespace

const char* platformName() {
    return "windows-console";
}

ConsoleHandle platformOutputHandle() {
    session();
    return GetStdHandle(STD_OUTPUT_HANDLE);
}

bool platformGetCursorInfo(ConsoleHandle console, ConsoleCursorInfo* info) {
    session();
    CONSOLE_CURSOR_INFO native;
    if (!GetConsoleCursorInfo(console, &native)) {
        return false;
    }
    info->size = native.dwSize;
    info->visible = native.bVisible != FALSE;
    return true;
}

bool platformSetCursorInfo(ConsoleHandle console, const ConsoleCursorInfo* info) {
    ConsoleChange change(session());
    if (!change.live()) {
        return false;
    }
    const CONSOLE_CURSOR_INFO native{info->size, info->visible ? TRUE : FALSE};
    return SetConsoleCursorInfo(console, &native) != FALSE;
}

bool platformSetCursorPosition(ConsoleHandle console, std::int16_t column, std::int16_t row) {
    flushOutput();
    ConsoleChange change(session());
    if (!change.live()) {
        return false;
    }
    return SetConsoleCursorPosition(console, COORD{column, row}) != FALSE;
}

bool platformWriteRow(ConsoleHandle console, const char* chars, std::uint32_t length,
                      std::int16_t column, std::int16_t row) {
    static GlyphTable table{};
    static std::vector<wchar_t> wide;
    flushOutput();
    ConsoleChange change(session());
    if (!change.live()) {
        return false;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) {
        codePage = GetOEMCP();  // not a console: the code page a new console would start with
    }
    if (table.codePage != codePage) {
        buildGlyphTable(codePage, table);
    }
    widenRow(table, chars, length, wide);
    noteFrameRow(globalSession, length, column, row);
    DWORD written = 0;
    return WriteConsoleOutputCharacterW(console, wide.data(), length, COORD{column, row},
                                        &written) != FALSE;
}

std::int16_t platformKeyState(int key) {
    return GetAsyncKeyState(key);
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
    POINT point;
    if (!GetCursorPos(&point)) {
        return false;
    }
    *x = point.x;
    *y = point.y;
    return true;
}

bool platformSetCursorPos(std::int32_t x, std::int32_t y) {
    return SetCursorPos(x, y) != FALSE;
}

std::int32_t platformScreenWidth() {
    return GetSystemMetrics(SM_CXSCREEN);
}

void platformSleep(std::uint32_t milliseconds) {
    // A frame's rows are all written when the game pauses after them: the console is fitted to
    // the frame here, once, rather than row by row.
    if (globalSession.framePending) {
        ConsoleChange change(globalSession);
        if (change.live()) {
            fitConsoleToFrame(globalSession);
        }
    }
    Sleep(milliseconds);
}

void platformClearConsole() {
    flushOutput();
    ConsoleChange change(session());
    if (change.live()) {
        clearConsoleBuffer(GetStdHandle(STD_OUTPUT_HANDLE));
    }
}

void platformSetConsoleColours() {
    flushOutput();
    ConsoleChange change(session());
    if (change.live()) {
        colourConsoleBuffer(GetStdHandle(STD_OUTPUT_HANDLE), RUNNING_ATTRIBUTE);
        globalSession.coloursChanged = true;
    }
}

std::istream& platformInput() {
    return std::cin;
}

std::ostream& platformOutput() {
    return std::cout;
}
