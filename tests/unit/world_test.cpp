// The built-in maps' byte layout and the world's start values.
#include <gtest/gtest.h>

#include <string>

#include "world/world.h"

namespace {

struct MapLayout {
    const char* name;
    const MapGrid* map;
    int rows;         // listed rows
    int cells;        // cells shown per row
    int paddedWidth;  // row text length before the zero bytes
    float startX, startY;
};

const MapLayout LAYOUTS[] = {
    {"demoMap1", &demoMap1, 12, 12, 24, 6.0f, 6.0f},
    {"demoMap2", &demoMap2, 13, 13, 25, 3.5f, 10.0f},
    {"demoMap3", &demoMap3, 17, 22, 25, 15.0f, 3.5f},
};

TEST(DemoMaps, RowsArePaddedWithBlanksThenZeroBytes) {
    for (const MapLayout& layout : LAYOUTS) {
        SCOPED_TRACE(layout.name);
        for (int y = 0; y < MAP_SIZE; ++y) {
            for (int x = 0; x < MAP_SIZE; ++x) {
                const unsigned char cell = mapCell(*layout.map, x, y);
                if (y >= layout.rows || x >= layout.paddedWidth) {
                    EXPECT_EQ(cell, 0) << x << "," << y;
                } else if (x >= layout.cells) {
                    EXPECT_EQ(cell, OPEN_CELL) << x << "," << y;
                } else {
                    EXPECT_TRUE(cell == WALL_CELL || cell == OPEN_CELL) << x << "," << y;
                }
            }
        }
    }
}

TEST(DemoMaps, AreClosedByWallsAndStartInOpenFloor) {
    for (const MapLayout& layout : LAYOUTS) {
        SCOPED_TRACE(layout.name);
        for (int i = 0; i < layout.cells; ++i) {
            EXPECT_EQ(mapCell(*layout.map, i, 0), WALL_CELL);
            EXPECT_EQ(mapCell(*layout.map, i, layout.rows - 1), WALL_CELL);
        }
        for (int i = 0; i < layout.rows; ++i) {
            EXPECT_EQ(mapCell(*layout.map, 0, i), WALL_CELL);
            EXPECT_EQ(mapCell(*layout.map, layout.cells - 1, i), WALL_CELL);
        }
        EXPECT_EQ(
            mapCell(*layout.map, static_cast<int>(layout.startX), static_cast<int>(layout.startY)),
            OPEN_CELL);
    }
}

TEST(DemoMaps, KnownCells) {
    struct Cell {
        const MapGrid* map;
        int x, y;
        unsigned char expected;
    };
    const Cell cells[] = {
        {&demoMap1, 3, 3, WALL_CELL},   {&demoMap1, 2, 3, OPEN_CELL},
        {&demoMap1, 11, 1, WALL_CELL},  {&demoMap2, 3, 6, OPEN_CELL},
        {&demoMap2, 4, 6, WALL_CELL},   {&demoMap2, 9, 6, OPEN_CELL},
        {&demoMap3, 17, 12, OPEN_CELL}, {&demoMap3, 2, 13, OPEN_CELL},
        {&demoMap3, 3, 13, WALL_CELL},  {&demoMap3, 15, 11, WALL_CELL},
        {&demoMap3, 20, 14, OPEN_CELL},
    };
    for (const Cell& cell : cells) {
        EXPECT_EQ(mapCell(*cell.map, cell.x, cell.y), cell.expected) << cell.x << "," << cell.y;
    }
}

TEST(DemoMaps, CellsBeyondTheGridReadAsNothing) {
    EXPECT_EQ(mapCell(demoMap1, -1, 0), 0);
    EXPECT_EQ(mapCell(demoMap1, 0, -1), 0);
    EXPECT_EQ(mapCell(demoMap1, 32, 0), 0);
    EXPECT_EQ(mapCell(demoMap1, 0, 32), 0);
}

}  // namespace
