// Fitting the console's buffer and window to the frame, and putting them back.
#include "platform/windows/win32_console_layout.h"

#include <algorithm>

namespace {

// One side of the extent as a buffer side; the extent never exceeds LARGEST_BUFFER_SIDE.
SHORT side(int cells) {
    return static_cast<SHORT>(cells);
}

// One side of the window: grown towards `wanted` but not past `limit`, never shrunk.
SHORT grownSide(SHORT now, SHORT wanted, SHORT limit) {
    return std::max(now, std::min(wanted, limit));
}

bool sameRect(const SMALL_RECT& a, const SMALL_RECT& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

COORD bufferSizeFor(COORD buffer, FrameExtent extent) {
    return COORD{std::max(buffer.X, side(extent.columns)), std::max(buffer.Y, side(extent.rows))};
}

SMALL_RECT windowFor(SMALL_RECT window, COORD buffer, COORD largest, FrameExtent extent) {
    const SHORT width = grownSide(static_cast<SHORT>(window.Right - window.Left + 1),
                                  side(extent.columns), std::min(largest.X, buffer.X));
    const SHORT height = grownSide(static_cast<SHORT>(window.Bottom - window.Top + 1),
                                   side(extent.rows), std::min(largest.Y, buffer.Y));
    return SMALL_RECT{0, 0, static_cast<SHORT>(width - 1), static_cast<SHORT>(height - 1)};
}

bool fitConsoleLayout(HANDLE output, FrameExtent extent) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) {
        return false;
    }
    bool changed = false;
    // The buffer first: a window never reaches past its buffer.
    const COORD buffer = bufferSizeFor(info.dwSize, extent);
    if ((buffer.X != info.dwSize.X || buffer.Y != info.dwSize.Y) &&
        SetConsoleScreenBufferSize(output, buffer)) {
        changed = true;
        GetConsoleScreenBufferInfo(output, &info);
    }
    const SMALL_RECT window =
        windowFor(info.srWindow, info.dwSize, GetLargestConsoleWindowSize(output), extent);
    if (!sameRect(window, info.srWindow) && SetConsoleWindowInfo(output, TRUE, &window)) {
        changed = true;
    }
    return changed;
}

void restoreConsoleLayout(HANDLE output, COORD buffer, SMALL_RECT window) {
    // The window first, so that it fits into the smaller buffer. A window that does not fit the
    // buffer as it is now (both were made smaller by hand meanwhile) is placed after the buffer.
    const bool windowPlaced = SetConsoleWindowInfo(output, TRUE, &window) != FALSE;
    SetConsoleScreenBufferSize(output, buffer);
    if (!windowPlaced) {
        SetConsoleWindowInfo(output, TRUE, &window);
    }
}
