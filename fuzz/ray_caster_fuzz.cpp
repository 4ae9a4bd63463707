// The ray caster on arbitrary maps (walls, open floor and zero bytes anywhere, closed or not)
// from any pose whose cell lies on the grid, at any frame size: never a read or write outside
// the grid or the frame (the sanitizers watch), never a hang, and only the two characters.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "render/ray_caster.h"
#include "render/status_line.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

namespace {

MapGrid fuzzedMap;

float takeFloat(const std::uint8_t*& data, std::size_t& size) {
    float value = 0.0f;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

std::int32_t takeSize(const std::uint8_t*& data, std::size_t& size) {
    std::uint16_t value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return static_cast<std::int32_t>(value % 512) + 1;
}

// Any finite value, folded onto the part of the line whose cell lies on the grid.
float onGrid(float value) {
    if (!std::isfinite(value)) {
        return 0.5f;
    }
    const float folded = std::fmod(std::fabs(value), 32.0f);
    return folded < 32.0f ? folded : 0.0f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 16) {
        return 0;
    }
    world.playerX = onGrid(takeFloat(data, size));
    world.playerY = onGrid(takeFloat(data, size));
    const float angle = takeFloat(data, size);
    world.viewAngle = std::isfinite(angle) ? angle : 0.0f;
    world.screenWidth = takeSize(data, size);
    world.screenHeight = takeSize(data, size);
    const unsigned char cells[] = {WALL_CELL, OPEN_CELL, 0};
    for (std::size_t i = 0; i < fuzzedMap.size(); ++i) {
        fuzzedMap[i] = i < size ? cells[data[i] % 3] : static_cast<unsigned char>(0);
    }
    world.currentMap = &fuzzedMap;
    resizeFrameBuffer();
    castView();
    drawStatusLine();
    for (std::size_t row = 1; row < frameBuffer.size(); ++row) {
        for (const char cell : frameBuffer[row]) {
            if (cell != BLANK && cell != WALL_GLYPH) {
                std::abort();
            }
        }
    }
    return 0;
}
