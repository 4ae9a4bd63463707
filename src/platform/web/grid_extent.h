// How much of the console the page shows: a first size (the game's default frame) until the
// game presents frames, then as many columns and rows as the frames it presents fill, so the
// grid follows a frame size chosen in the settings. Pure: no I/O.
#pragma once

#include <cstddef>

#include "platform/console/written_extent.h"

class GridExtent {
public:
    // Shows `columns` x `rows` to start, of a console `maxColumns` x `maxRows` cells.
    GridExtent(int columns, int rows, int maxColumns, int maxRows);

    // A row of `length` characters was written from (column, row), going on in the next rows
    // when longer than the console is wide.
    void rowWritten(int column, int row, std::size_t length);

    // The console is shown: the rows written since it was last shown, if any, give the
    // extent. True when the extent changed.
    bool settle();

    int columns() const { return shownColumns; }
    int rows() const { return shownRows; }

private:
    int shownColumns;
    int shownRows;
    int consoleColumns;
    int consoleRows;
    WrittenExtent written{0, 0};  // since the console was last shown; 0 x 0 for none
};
