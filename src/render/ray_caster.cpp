// Casts the running view column by column and draws each wall slice as an outline.
#include "render/ray_caster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "screen/frame_buffer.h"
#include "world/world.h"

FrameCast frameCast = {Direction{1.0f, 0.0f}, 0.0f, 0.0f, -1};

namespace {

// What a column's ray looks like before it meets the map: its angle, its direction and the
// fish-eye correction. It depends only on the view angle and the frame width.
struct ColumnRay {
    float rayAngle;
    Direction rayDir;
    float correction;
};

// The rays of the last frame, kept while the view angle and the frame width stay the same
// (walking without turning), which saves every column its three library calls.
constexpr std::size_t RAY_TABLE_SIZE = 512;
std::array<ColumnRay, RAY_TABLE_SIZE> rayTable;
std::uint32_t rayTableAngleBits;
std::int32_t rayTableWidth = -1;

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool rayTableFits() {
    return rayTableWidth == world.screenWidth && rayTableAngleBits == bitsOf(world.viewAngle);
}

ColumnRay traceRay(std::int32_t x) {
    ColumnRay ray{};
    const float share = static_cast<float>(x) / frameCast.widthAsFloat;
    const float spread = share * FOV_DEGREES;
    ray.rayAngle = spread + frameCast.startAngle;
    ray.rayDir = directionOf(ray.rayAngle);
    const float offset = ray.rayAngle - world.viewAngle;
    ray.correction = static_cast<float>(std::cos(static_cast<double>(toRadians(offset))));
    return ray;
}

void refreshRayTable() {
    if (rayTableFits()) {
        return;
    }
    const auto columns = static_cast<std::size_t>(std::max(world.screenWidth, 0));
    for (std::size_t x = 0; x < std::min(columns, RAY_TABLE_SIZE); ++x) {
        rayTable[x] = traceRay(static_cast<std::int32_t>(x));
    }
    rayTableWidth = world.screenWidth;
    rayTableAngleBits = bitsOf(world.viewAngle);
}

// A ray stops in a wall cell, and at the edge of the grid on a map that is not closed by walls,
// so the walk never reads outside the map and always ends.
bool stopsRay(const MapGrid& map, std::int32_t x, std::int32_t y) {
    if (x < 0 || y < 0 || x >= MAP_SIZE || y >= MAP_SIZE) {
        return true;
    }
    return mapCell(map, x, y) == WALL_CELL;
}

float boundarySpacing(float rayComponent) {
    return rayComponent == 0.0f ? FAR_DELTA : std::fabs(1.0f / rayComponent);
}

// Slice heights far beyond any frame only arise from angles of absurd size; clamping keeps the
// conversion to an integer defined without changing any height a real frame can show.
std::int32_t truncateSliceHeight(float height) {
    constexpr float LIMIT = 1.0e8f;
    if (!(height > -LIMIT)) {
        return std::isnan(height) ? 0 : -static_cast<std::int32_t>(LIMIT);
    }
    return static_cast<std::int32_t>(std::min(height, LIMIT));
}

// Whether the hit lies within EDGE_EPSILON of an end of its face next to open floor, so that
// the column shows the vertical edge of a wall block.
bool isCornerColumn(const MapGrid& map, const ColumnCast& cast) {
    const bool lowEnd = cast.wallFrac < EDGE_EPSILON;
    const bool highEnd = cast.wallFrac > EDGE_HIGH;
    if (cast.hitSide == 0) {
        if (lowEnd) {
            return cast.cellY > 0 && mapCell(map, cast.cellX, cast.cellY - 1) == OPEN_CELL;
        }
        if (highEnd) {
            return cast.cellY < CORNER_LIMIT_Y &&
                   mapCell(map, cast.cellX, cast.cellY + 1) == OPEN_CELL;
        }
        return false;
    }
    if (lowEnd) {
        return cast.cellX > 0 && mapCell(map, cast.cellX - 1, cast.cellY) == OPEN_CELL;
    }
    if (highEnd) {
        return cast.cellX < CORNER_LIMIT_X && mapCell(map, cast.cellX + 1, cast.cellY) == OPEN_CELL;
    }
    return false;
}

// Draws the slice's outline into column x, which castView has blanked: the whole slice for a
// corner or face-change column, otherwise only its top and bottom rows. The ends are compared
// unclipped, so an end beyond the frame gets no glyph; the blank cells between the ends are
// left as they are rather than written again, which keeps a tall slice to two writes.
void drawSlice(std::int32_t x, const ColumnCast& cast) {
    const auto column = static_cast<std::size_t>(x);
    const auto drawGlyph = [&](std::int32_t y) {
        if (y >= 0 && y < world.screenHeight) {
            frameBuffer[static_cast<std::size_t>(y)][column] = WALL_GLYPH;
        }
    };
    if (cast.cornerColumn || cast.faceChange) {
        const std::int32_t first = std::max(cast.sliceTop, 0);
        const std::int32_t last = std::min(cast.sliceEnd, world.screenHeight);
        for (std::int32_t y = first; y < last; ++y) {
            drawGlyph(y);
        }
    } else if (cast.sliceHeight > 0) {
        drawGlyph(cast.sliceTop);
        drawGlyph(cast.sliceEnd - 1);
    }
}

}  // namespace

Direction castView() {
    frameCast.viewDir = directionOf(world.viewAngle);
    for (std::int32_t row = 0; row < world.screenHeight; ++row) {
        std::vector<char>& cells = frameBuffer[static_cast<std::size_t>(row)];
        std::fill(cells.begin(), cells.begin() + world.screenWidth, BLANK);
    }
    frameCast.prevSide = -1;
    frameCast.startAngle = world.viewAngle - FOV_DEGREES / 2.0f;
    frameCast.widthAsFloat = static_cast<float>(world.screenWidth);
    refreshRayTable();
    for (std::int32_t x = 0; x < world.screenWidth; ++x) {
        castColumn(x);
    }
    return frameCast.viewDir;
}

ColumnCast castColumn(std::int32_t x) {
    const MapGrid& map = *world.currentMap;
    ColumnCast cast{};

    const auto column = static_cast<std::size_t>(x);
    const ColumnRay ray =
        rayTableFits() && column < RAY_TABLE_SIZE ? rayTable[column] : traceRay(x);
    cast.rayAngle = ray.rayAngle;
    cast.rayDir = ray.rayDir;

    cast.cellX = static_cast<std::int32_t>(world.playerX);
    cast.cellY = static_cast<std::int32_t>(world.playerY);
    const float deltaDistX = boundarySpacing(cast.rayDir.x);
    const float deltaDistY = boundarySpacing(cast.rayDir.y);

    std::int32_t stepX = 1;
    float sideDistX = (static_cast<float>(cast.cellX) + 1.0f - world.playerX) * deltaDistX;
    if (cast.rayDir.x < 0.0f) {
        stepX = -1;
        sideDistX = (world.playerX - static_cast<float>(cast.cellX)) * deltaDistX;
    }
    std::int32_t stepY = 1;
    float sideDistY = (static_cast<float>(cast.cellY) + 1.0f - world.playerY) * deltaDistY;
    if (cast.rayDir.y < 0.0f) {
        stepY = -1;
        sideDistY = (world.playerY - static_cast<float>(cast.cellY)) * deltaDistY;
    }

    // Walk from boundary to boundary; ties step in y. Every step leaves a row or a column
    // behind for good, so the walk ends within 64 steps even without a wall.
    cast.hitSide = 0;
    while (!stopsRay(map, cast.cellX, cast.cellY)) {
        if (sideDistX < sideDistY) {
            sideDistX += deltaDistX;
            cast.cellX += stepX;
            cast.hitSide = 0;
        } else {
            sideDistY += deltaDistY;
            cast.cellY += stepY;
            cast.hitSide = 1;
        }
    }
    cast.faceChange = x > 0 && cast.hitSide != frameCast.prevSide;

    cast.wallDist = cast.hitSide == 0 ? sideDistX - deltaDistX : sideDistY - deltaDistY;
    if (cast.wallDist < MIN_WALL_DIST) {
        cast.wallDist = MIN_WALL_DIST;
    }

    // Fish-eye correction: the distance is projected onto the view direction.
    const float projected = ray.correction * cast.wallDist;
    cast.sliceHeight = truncateSliceHeight(static_cast<float>(world.screenHeight) / projected);
    cast.sliceTop = (world.screenHeight - cast.sliceHeight) / 2;
    cast.sliceEnd = cast.sliceTop + cast.sliceHeight;

    const float alongFace =
        cast.hitSide == 0 ? cast.wallDist * cast.rayDir.y : cast.wallDist * cast.rayDir.x;
    const float wallCoordinate = (cast.hitSide == 0 ? world.playerY : world.playerX) + alongFace;
    const float wallFloor = static_cast<float>(std::floor(static_cast<double>(wallCoordinate)));
    cast.wallFrac = wallCoordinate - wallFloor;
    cast.cornerColumn = isCornerColumn(map, cast);

    frameCast.prevSide = cast.hitSide;
    drawSlice(x, cast);
    return cast;
}
