// The frame's size as the row writes show it: the cells they reached, counted from the console's
// top-left corner, for the platforms that fit what they show to the frame. Pure: no I/O.
#pragma once

#include <cstddef>

// The columns and rows the writes taken in so far reached; 0 x 0 before any.
struct WrittenExtent {
    int columns;
    int rows;
};

// Grows `extent` to take in a write of `length` cells from (column, row) into a console
// `consoleColumns` x `consoleRows` cells, where a write longer than the rest of its row goes on
// in the next rows and ends at the console's last cell. True when it grew. A write with nothing
// in it, or from outside the console, takes in nothing.
bool coverRowWrite(WrittenExtent& extent, int column, int row, std::size_t length,
                   int consoleColumns, int consoleRows);
