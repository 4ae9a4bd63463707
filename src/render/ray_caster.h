// The running view: one ray per frame column through the current map, each column's wall
// slice drawn as an outline of WALL_GLYPH.
#pragma once

#include <cstdint>

#include "render/view_direction.h"

constexpr float FOV_DEGREES = 60.0f;         // view width, spread over the frame's columns
constexpr float FAR_DELTA = 1e30f;           // boundary spacing of a ray parallel to an axis
constexpr float MIN_WALL_DIST = 0.01f;       // keeps the slice height finite
constexpr float EDGE_EPSILON = 0.03f;        // a hit this close to a face's low end is at its edge
constexpr float EDGE_HIGH = 0.97f;           // a hit beyond this is at the face's high end
constexpr std::int32_t CORNER_LIMIT_X = 22;  // high-x neighbours examined only below this column
constexpr std::int32_t CORNER_LIMIT_Y = 14;  // high-y neighbours examined only below this row

// Values shared by all columns of the frame being cast; set by castView.
struct FrameCast {
    Direction viewDir;      // the direction of world.viewAngle
    float startAngle;       // the leftmost ray's angle, world.viewAngle - 30
    float widthAsFloat;     // world.screenWidth as a float
    std::int32_t prevSide;  // hitSide of the previous column; -1 before column 0
};
extern FrameCast frameCast;

// Everything one column's ray found, as drawn.
struct ColumnCast {
    float rayAngle;
    Direction rayDir;
    std::int32_t cellX, cellY;  // the wall cell that stopped the ray
    std::int32_t hitSide;       // 0: entered through an x face, 1: through a y face
    float wallDist;             // along the ray, at least MIN_WALL_DIST
    std::int32_t sliceHeight;
    std::int32_t sliceTop;  // first slice row, may be negative
    std::int32_t sliceEnd;  // row after the last, may be past the frame
    float wallFrac;         // hit point along its face within the cell, in [0, 1)
    bool cornerColumn;      // the column shows a vertical edge of a wall block
    bool faceChange;        // hitSide differs from the previous column's
};

// Computes the frame's view direction, blanks the frame and casts every column from left to
// right. Reads: world (pose, map, frame size). Sets: frameCast, frameBuffer. Returns the view
// direction, which the same frame's movement uses.
Direction castView();

// Casts and draws column x (0 <= x < world.screenWidth) with the values castView set, into a
// column that castView has blanked. Reads: world, frameCast. Sets: frameCast.prevSide, the
// slice's glyphs in column x of frameBuffer.
ColumnCast castColumn(std::int32_t x);
