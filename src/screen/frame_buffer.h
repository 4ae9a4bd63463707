// The character frame the running view is drawn into, and its presentation on the console.
#pragma once

#include <vector>

// One byte per cell, indexed [row][column]; each row is stored on its own.
using FrameBuffer = std::vector<std::vector<char>>;

// The only two characters the view is drawn with: the full-block outline glyph (byte 219 in
// the console's code page) and the blank.
constexpr char WALL_GLYPH = static_cast<char>(219);
constexpr char BLANK = ' ';

// Outside resizeFrameBuffer: world.screenHeight rows of world.screenWidth bytes each.
extern FrameBuffer frameBuffer;

// Brings frameBuffer to world.screenHeight rows of world.screenWidth bytes, keeping the
// overlapping top-left picture and filling new cells with blanks. Reads: world.screenWidth,
// world.screenHeight. Sets: frameBuffer.
void resizeFrameBuffer();

// Writes every frame row to the console at column 0 of the console row with its index, one
// console write per row, without touching colours or the text cursor. Reads: frameBuffer,
// world.screenWidth, world.screenHeight.
void presentFrame();
