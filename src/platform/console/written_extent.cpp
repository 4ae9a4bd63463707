// The cells row writes reach in a console whose rows run on into the next.
#include "platform/console/written_extent.h"

#include <algorithm>

bool coverRowWrite(WrittenExtent& extent, int column, int row, std::size_t length,
                   int consoleColumns, int consoleRows) {
    if (length == 0 || column < 0 || row < 0 || column >= consoleColumns || row >= consoleRows) {
        return false;
    }
    const auto width = static_cast<std::size_t>(consoleColumns);
    // The cells from the write's start to the console's end: a longer write stops there.
    const std::size_t room =
        static_cast<std::size_t>(consoleRows - row) * width - static_cast<std::size_t>(column);
    const std::size_t end = static_cast<std::size_t>(column) + std::min(length, room);
    const int columns = static_cast<int>(std::min(end, width));
    const int rows = row + 1 + static_cast<int>((end - 1) / width);
    if (columns <= extent.columns && rows <= extent.rows) {
        return false;
    }
    extent.columns = std::max(extent.columns, columns);
    extent.rows = std::max(extent.rows, rows);
    return true;
}
