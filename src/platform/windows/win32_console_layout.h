// The console's layout, its screen buffer's size and its window onto that buffer, fitted to the
// frame so that a person sees the whole frame without resizing the window by hand.
#pragma once

#include <windows.h>

#include <cstdint>

// The cells that frame rows have been written to, counted from the buffer's top-left corner.
struct FrameExtent {
    SHORT columns;
    SHORT rows;
};

// Grows `extent` to take in a write of `length` cells from (column, row); true when it grew. A
// write with nothing in it, or from outside the buffer, takes in nothing.
bool coverRowWrite(FrameExtent& extent, std::uint32_t length, SHORT column, SHORT row);

// The buffer size that holds the extent: each side as it is, or grown to the extent.
COORD bufferSizeFor(COORD buffer, FrameExtent extent);

// The window that shows as much of the extent as the screen allows, scrolled to the buffer's
// top-left corner: each side as it is, or grown towards the extent, but never past `largest` (the
// largest window the screen holds) or past the buffer.
SMALL_RECT windowFor(SMALL_RECT window, COORD buffer, COORD largest, FrameExtent extent);

// Grows the buffer of `output`, then its window, as the two functions above say; a console that
// refuses either is left as it is. True when anything was changed.
bool fitConsoleLayout(HANDLE output, FrameExtent extent);

// Gives the console this buffer size and window again, as they were before fitConsoleLayout.
void restoreConsoleLayout(HANDLE output, COORD buffer, SMALL_RECT window);
