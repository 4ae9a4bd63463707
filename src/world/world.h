// The global game record: the player's pose, the map being played and the frame size, beside
// the three built-in maps. Every part of the game reads and writes these directly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// 32 x 32 map cells, row-major: cell (x, y) is byte y * MAP_STRIDE + x.
constexpr int MAP_STRIDE = 32;
constexpr int MAP_SIZE = 32;
using MapGrid = std::array<unsigned char, MAP_STRIDE * MAP_SIZE>;

// Cell bytes: a wall stops rays and movement; only open floor can be walked on. Zero bytes lie
// outside a map's outer wall: rays pass them, movement does not.
constexpr unsigned char WALL_CELL = '1';
constexpr unsigned char OPEN_CELL = ' ';

struct World {
    float playerX;  // position along the map's columns, in cells
    float playerY;  // position along the map's rows, in cells
    const MapGrid* currentMap;
    std::int32_t screenHeight;  // frame rows
    std::int32_t screenWidth;   // frame columns
    float viewAngle;            // degrees; 0 looks along +x, 90 along +y (down the map text)
};

extern const MapGrid demoMap1;
extern const MapGrid demoMap2;
extern const MapGrid demoMap3;

// Starts at (4.0, 11.0) facing 180.0 on demoMap3 with a 120 x 40 frame.
extern World world;

// The byte of `map` at (x, y); 0 (outside every map) for a cell beyond the 32 x 32 grid.
// Inline: the ray caster asks for it at every step of every ray.
inline unsigned char mapCell(const MapGrid& map, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= MAP_SIZE || y >= MAP_SIZE) {
        return 0;  // beyond the grid: nothing is there
    }
    return map[static_cast<std::size_t>(y * MAP_STRIDE + x)];
}
