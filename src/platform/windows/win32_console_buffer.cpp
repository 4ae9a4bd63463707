// Clearing and colouring the whole console screen buffer.
#include "platform/windows/win32_console_buffer.h"

namespace {

// Number of cells of the whole buffer (not only the window); 0 when it is not a console.
DWORD bufferCells(HANDLE output, CONSOLE_SCREEN_BUFFER_INFO& info) {
    if (!GetConsoleScreenBufferInfo(output, &info)) {
        return 0;
    }
    return static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
}

}  // namespace

void clearConsoleBuffer(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const DWORD cells = bufferCells(output, info);
    if (cells == 0) {
        return;
    }
    DWORD written = 0;
    FillConsoleOutputCharacterW(output, L' ', cells, COORD{0, 0}, &written);
    FillConsoleOutputAttribute(output, info.wAttributes, cells, COORD{0, 0}, &written);
    SetConsoleCursorPosition(output, COORD{0, 0});
}

void colourConsoleBuffer(HANDLE output, WORD attribute) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const DWORD cells = bufferCells(output, info);
    if (cells == 0) {
        return;
    }
    DWORD written = 0;
    FillConsoleOutputAttribute(output, attribute, cells, COORD{0, 0}, &written);
    SetConsoleTextAttribute(output, attribute);
}
