// The one global game record and the map lookup every part shares.
#include "world/world.h"

World world = {4.0f, 11.0f, &demoMap3, 40, 120, 180.0f};

unsigned char mapCell(const MapGrid& map, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= MAP_SIZE || y >= MAP_SIZE) {
        return 0;  // beyond the grid: nothing is there
    }
    return map[static_cast<std::size_t>(y * MAP_STRIDE + x)];
}
