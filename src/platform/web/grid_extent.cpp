// The shown part of the console, following the frames written into it.
#include "platform/web/grid_extent.h"

#include <algorithm>

GridExtent::GridExtent(int columns, int rows, int maxColumns, int maxRows)
    : consoleColumns(std::max(maxColumns, 1)), consoleRows(std::max(maxRows, 1)) {
    shownColumns = std::clamp(columns, 1, consoleColumns);
    shownRows = std::clamp(rows, 1, consoleRows);
}

void GridExtent::rowWritten(int column, int row, std::size_t length) {
    if (column < 0 || row < 0 || column >= consoleColumns || row >= consoleRows || length == 0) {
        return;
    }
    const std::size_t end = static_cast<std::size_t>(column) + length;
    const std::size_t width = static_cast<std::size_t>(consoleColumns);
    const std::size_t lastRow = static_cast<std::size_t>(row) + (end - 1) / width;
    writtenColumns = std::max(writtenColumns, static_cast<int>(std::min(end, width)));
    writtenRows =
        std::max(writtenRows,
                 static_cast<int>(std::min(lastRow + 1, static_cast<std::size_t>(consoleRows))));
}

bool GridExtent::settle() {
    if (writtenColumns == 0) {
        return false;
    }
    const bool changed = writtenColumns != shownColumns || writtenRows != shownRows;
    shownColumns = writtenColumns;
    shownRows = writtenRows;
    writtenColumns = 0;
    writtenRows = 0;
    return changed;
}
