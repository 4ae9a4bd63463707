// The shown part of the console, following the frames written into it.
#include "platform/web/grid_extent.h"

#include <algorithm>

GridExtent::GridExtent(int columns, int rows, int maxColumns, int maxRows)
    : consoleColumns(std::max(maxColumns, 1)), consoleRows(std::max(maxRows, 1)) {
    shownColumns = std::clamp(columns, 1, consoleColumns);
    shownRows = std::clamp(rows, 1, consoleRows);
}

void GridExtent::rowWritten(int column, int row, std::size_t length) {
    coverRowWrite(written, column, row, length, consoleColumns, consoleRows);
}

bool GridExtent::settle() {
    if (written.columns == 0) {
        return false;
    }
    const bool changed = written.columns != shownColumns || written.rows != shownRows;
    shownColumns = written.columns;
    shownRows = written.rows;
    written = WrittenExtent{0, 0};
    return changed;
}
