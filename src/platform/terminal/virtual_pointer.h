// The pointer the game sees in a terminal: the window is the desktop, mouse reports move the
// pointer, and the game's cursor moves set it, since a terminal cannot move the real one.
#pragma once

#include <cstdint>

namespace terminal_platform {

// The window's size in cells and the size of one cell in pixels.
struct WindowGeometry {
    int columns;
    int rows;
    int cellWidth;
    int cellHeight;

    // The window's width in pixels: the width of the game's "desktop".
    std::int32_t pixelWidth() const { return static_cast<std::int32_t>(columns) * cellWidth; }
};

// A side of the window in cells: the terminal's report, or where it reports 0 (serial lines,
// some containers), the environment's `variable` value (COLUMNS, LINES) when it is a number
// from 1 to 65535, else `fallback`.
int windowCells(int reported, const char* variable, int fallback);

// The geometry from the terminal's size report (TIOCGWINSZ: cells, and pixels where it knows
// them), else from the terminal's cell-size reply (0 when none came), else 8 x 16 cells.
WindowGeometry measureWindow(int columns, int rows, int pixelWidth, int pixelHeight,
                             int repliedCellWidth, int repliedCellHeight);

class VirtualPointer {
public:
    // Where the pointer starts: the report that follows only anchors the real pointer.
    VirtualPointer(std::int32_t x, std::int32_t y) : pointerX(x), pointerY(y) {}

    // A mouse report, in pixels: the pointer moves by the real pointer's motion since the last
    // report, so a position set in between is kept and later motion counts from there.
    void report(std::int32_t x, std::int32_t y);

    // A mouse report in cells (one-based, as SGR reports them), taken at each cell's left edge.
    void reportCell(int column, int row, const WindowGeometry& geometry);

    // The game moved the cursor.
    void moveTo(std::int32_t x, std::int32_t y) {
        pointerX = x;
        pointerY = y;
    }

    // Keyboard turning: moves the pointer sideways without a mouse report.
    void nudge(std::int32_t dx);

    std::int32_t x() const { return pointerX; }
    std::int32_t y() const { return pointerY; }

private:
    std::int32_t pointerX;
    std::int32_t pointerY;
    bool anchored = false;  // a real position has been seen
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
};

}  // namespace terminal_platform
