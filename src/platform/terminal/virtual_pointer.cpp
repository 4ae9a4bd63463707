// Window geometry in pixels and the virtual pointer that mouse reports move.
#include "platform/terminal/virtual_pointer.h"

#include <algorithm>
#include <cstdlib>

namespace terminal_platform {

namespace {

constexpr int FALLBACK_CELL_WIDTH = 8;
constexpr int FALLBACK_CELL_HEIGHT = 16;
constexpr std::int64_t POINTER_LIMIT = std::int64_t{1} << 30;  // keeps every sum within 32 bits

std::int32_t bounded(std::int64_t position) {
    return static_cast<std::int32_t>(std::clamp(position, -POINTER_LIMIT, POINTER_LIMIT));
}

}  // namespace

int windowCells(int reported, const char* variable, int fallback) {
    if (reported > 0) {
        return reported;
    }
    if (variable == nullptr) {
        return fallback;
    }
    char* end = nullptr;
    const long value = std::strtol(variable, &end, 10);
    return end != variable && *end == '\0' && value >= 1 && value <= 65535 ? static_cast<int>(value)
                                                                           : fallback;
}

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
        pointerX = bounded(std::int64_t{pointerX} + x - lastX);
        pointerY = bounded(std::int64_t{pointerY} + y - lastY);
    }
    anchored = true;
    lastX = x;
    lastY = y;
}

void VirtualPointer::reportCell(int column, int row, const WindowGeometry& geometry) {
    report(bounded((std::int64_t{column} - 1) * geometry.cellWidth),
           bounded((std::int64_t{row} - 1) * geometry.cellHeight));
}

void VirtualPointer::nudge(std::int32_t dx) {
    pointerX = bounded(std::int64_t{pointerX} + dx);
}

}  // namespace terminal_platform
