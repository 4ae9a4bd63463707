// Window geometry in pixels and the virtual pointer that mouse reports move.
#include "platform/virtual_pointer.h"

#include <algorithm>

namespace {

constexpr int FALLBACK_CELL_WIDTH = 8;
constexpr int FALLBACK_CELL_HEIGHT = 16;

}  // namespace

WindowGeometry measureWindow(int columns, int rows, int pixelWidth, int pixelHeight,
                             int repliedCellWidth, int repliedCellHeight) {
    WindowGeometry geometry{std::max(columns, 1), std::max(rows, 1), FALLBACK_CELL_WIDTH,
                            FALLBACK_CELL_HEIGHT};
    if (pixelWidth > 0 && pixelHeight > 0 && columns > 0 && rows > 0) {
        geometry.cellWidth = std::max(pixelWidth / columns, 1);
        geometry.cellHeight = std::max(pixelHeight / rows, 1);
    } else if (repliedCellWidth > 0 && repliedCellHeight > 0) {
        geometry.cellWidth = repliedCellWidth;
        geometry.cellHeight = repliedCellHeight;
    }
    return geometry;
}

void VirtualPointer::report(std::int32_t x, std::int32_t y) {
    if (anchored) {
        pointerX += x - lastX;
        pointerY += y - lastY;
    }
    anchored = true;
    lastX = x;
    lastY = y;
}

void VirtualPointer::reportCell(int column, int row, const WindowGeometry& geometry) {
    report(static_cast<std::int32_t>(column - 1) * geometry.cellWidth,
           static_cast<std::int32_t>(row - 1) * geometry.cellHeight);
}
