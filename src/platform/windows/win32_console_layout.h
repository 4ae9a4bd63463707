// The console's layout, its screen buffer's size and its window onto that buffer, fitted to the
// frame so that a person sees the whole frame without resizing the window by hand.
#pragma once

#include <windows.h>

#include "platform/console/written_extent.h"

// The cells that frame rows have been written to, counted from the buffer's top-left corner.
using FrameExtent = WrittenExtent;

// The longest side a screen buffer can have (its sides are SHORTs). The frame's extent is taken
// in a buffer this large, one that has grown to the frame: a row longer than that goes on in the
// next rows.
constexpr int LARGEST_BUFFER_SIDE = 32767;

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
