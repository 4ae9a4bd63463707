// The ray caster's figures: view direction, per-column hits, slice rows and outlines.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "render/ray_caster.h"

namespace {

class RayCasterTest : public GameTest {
protected:
    // Casts the frame, then casts columns 0..x again so prevSide is as in the frame, and
    // returns what column x found.
    static ColumnCast castThrough(int x) {
        castView();
        frameCast.prevSide = -1;
        ColumnCast cast{};
        for (int column = 0; column <= x; ++column) {
            cast = castColumn(column);
        }
        return cast;
    }

    // Column as drawn: '#' at each listed row, blanks elsewhere.
    static std::string glyphRows(std::initializer_list<int> rows, int height = 40) {
        std::string column(static_cast<std::size_t>(height), ' ');
        for (const int row : rows) {
            column[static_cast<std::size_t>(row)] = '#';
        }
        return column;
    }
};

TEST_F(RayCasterTest, ViewDirectionAtHalfTurnLeansSlightlyDown) {
    const Direction dir = directionOf(180.0f);
    EXPECT_EQ(dir.x, -1.0f);
    EXPECT_GT(dir.y, 2.0e-6f);  // positive: 3.14159 lies below pi
    EXPECT_LT(dir.y, 3.0e-6f);
    EXPECT_EQ(directionOf(0.0f).x, 1.0f);
    EXPECT_EQ(directionOf(0.0f).y, 0.0f);
}

TEST_F(RayCasterTest, RadiansMultiplyByPiBeforeDividing) {
    // Expected values worked out independently; a precomputed 3.14159 / 180 factor gives a
    // different last bit for most of these angles.
    struct Case {
        float degrees;
        float radians;
    };
    const Case cases[] = {
        {45.0f, 0x1.921fap-1f},    {90.0f, 0x1.921fap+0f},    {180.0f, 0x1.921fap+1f},
        {13.0f, 0x1.d0ad14p-3f},   {359.75f, 0x1.91d822p+2f}, {100.0f, 0x1.becdccp+0f},
        {-30.0f, -0x1.0c1516p-1f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toRadians(c.degrees), c.radians) << c.degrees;
    }
}

struct ColumnFigure {
    int column;
    float rayAngle;
    int cellX, cellY, hitSide;
    int sliceHeight, sliceTop, sliceEnd;
    bool corner, faceChange;
};

// The glyphs these columns draw are pinned, with the rest of the frame, by the golden case
// render.demo_one_start.
TEST_F(RayCasterTest, DemoOneStartPoseColumns) {
    pose(demoMap1, 6.0f, 6.0f, 180.0f);
    const ColumnFigure figures[] = {
        {60, 180.0f, 0, 6, 0, 8, 16, 24, false, false},
        {0, 150.0f, 4, 7, 1, 23, 8, 31, false, false},
        {23, 161.5f, 3, 7, 1, 13, 13, 26, true, false},
        {24, 162.0f, 0, 7, 0, 7, 16, 23, false, true},
        {97, 198.5f, 3, 4, 1, 13, 13, 26, true, true},
    };
    for (const ColumnFigure& figure : figures) {
        SCOPED_TRACE(figure.column);
        const ColumnCast cast = castThrough(figure.column);
        EXPECT_EQ(cast.rayAngle, figure.rayAngle);
        EXPECT_EQ(cast.cellX, figure.cellX);
        EXPECT_EQ(cast.cellY, figure.cellY);
        EXPECT_EQ(cast.hitSide, figure.hitSide);
        EXPECT_EQ(cast.sliceHeight, figure.sliceHeight);
        EXPECT_EQ(cast.sliceTop, figure.sliceTop);
        EXPECT_EQ(cast.sliceEnd, figure.sliceEnd);
        EXPECT_EQ(cast.cornerColumn, figure.corner);
        EXPECT_EQ(cast.faceChange, figure.faceChange);
    }
}

TEST_F(RayCasterTest, DemoOneStartPoseDistancesAndFractions) {
    pose(demoMap1, 6.0f, 6.0f, 180.0f);
    const ColumnCast straight = castThrough(60);
    EXPECT_EQ(straight.rayDir.x, -1.0f);
    EXPECT_EQ(straight.wallDist, 5.0f);
    EXPECT_LT(straight.wallFrac, 0.001f);  // close to the face's end, but (0, 5) is a wall

    const ColumnCast leftmost = castThrough(0);
    EXPECT_NEAR(leftmost.wallDist, 2.0f, 0.001f);

    const ColumnCast corner = castThrough(23);
    EXPECT_NEAR(corner.wallFrac, 0.011f, 0.001f);
}

TEST_F(RayCasterTest, StandingAtAFlatWallDrawsNothing) {
    pose(demoMap1, 1.5f, 5.5f, 180.0f);
    castView();
    frameCast.prevSide = -1;
    for (int x = 0; x < 120; ++x) {
        const ColumnCast cast = castColumn(x);
        EXPECT_TRUE(cast.sliceHeight == 79 || cast.sliceHeight == 80) << x;
        EXPECT_TRUE(cast.sliceTop == -19 || cast.sliceTop == -20) << x;
        EXPECT_FALSE(cast.cornerColumn || cast.faceChange) << x;
    }
    for (const auto& row : frameBuffer) {
        EXPECT_EQ(std::string(row.begin(), row.end()), std::string(120, ' '));
    }
}

TEST_F(RayCasterTest, SliceRowsAtTheFrameEdges) {
    struct Case {
        const char* what;
        float x;
        int height;
        int sliceHeight, sliceTop;
        std::string drawn;
    };
    const Case cases[] = {
        // One row taller than the frame: the top glyph lands in row 0, the bottom one outside.
        {"41 on 40 rows", 1.97f, 40, 41, 0, glyphRows({0})},
        {"height 1", 5.0f, 5, 1, 2, glyphRows({2}, 5)},
        {"height 0", 6.5f, 5, 0, 2, std::string(5, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pose(demoMap1, c.x, 5.5f, 180.0f, 120, c.height);
        const ColumnCast cast = castThrough(60);
        EXPECT_EQ(cast.sliceHeight, c.sliceHeight);
        EXPECT_EQ(cast.sliceTop, c.sliceTop);
        EXPECT_EQ(cast.sliceEnd, c.sliceTop + c.sliceHeight);
        EXPECT_EQ(frameColumn(60), c.drawn);
    }
}

TEST_F(RayCasterTest, RayAnglesOfNarrowFrames) {
    pose(demoMap1, 6.0f, 6.0f, 100.0f, 1, 40);
    EXPECT_EQ(castThrough(0).rayAngle, 70.0f);
    pose(demoMap1, 6.0f, 6.0f, 100.0f, 2, 40);
    EXPECT_EQ(castThrough(0).rayAngle, 70.0f);
    EXPECT_EQ(castThrough(1).rayAngle, 100.0f);
}

TEST_F(RayCasterTest, RayAlongAnAxisMovesOnlyAlongIt) {
    pose(demoMap1, 6.5f, 5.5f, 30.0f);
    const ColumnCast cast = castThrough(0);
    EXPECT_EQ(cast.rayAngle, 0.0f);
    EXPECT_EQ(cast.rayDir.y, 0.0f);
    EXPECT_EQ(cast.hitSide, 0);
    EXPECT_EQ(cast.cellX, 11);
    EXPECT_EQ(cast.cellY, 5);
    EXPECT_EQ(cast.wallDist, 4.5f);
}

TEST_F(RayCasterTest, TiedCrossingsStepInY) {
    // From a cell corner both first crossings are at distance 0; the tie steps in y, into the
    // wall above, rather than in x, into the wall to the left.
    const MapGrid map = mapWithWalls({{1, 2}, {2, 1}});
    pose(map, 2.0f, 2.0f, 255.0f, 1, 40);
    const ColumnCast cast = castThrough(0);
    EXPECT_EQ(cast.rayAngle, 225.0f);
    EXPECT_EQ(cast.hitSide, 1);
    EXPECT_EQ(cast.cellX, 2);
    EXPECT_EQ(cast.cellY, 1);
}

TEST_F(RayCasterTest, PlayerInsideAWall) {
    pose(demoMap1, 0.5f, 0.5f, 180.0f);
    const ColumnCast cast = castThrough(60);
    EXPECT_EQ(cast.hitSide, 0);
    EXPECT_EQ(cast.cellX, 0);
    EXPECT_EQ(cast.cellY, 0);
    EXPECT_EQ(cast.wallDist, MIN_WALL_DIST);
    EXPECT_EQ(cast.sliceHeight, 4000);
    EXPECT_EQ(cast.sliceTop, -1980);
}

TEST_F(RayCasterTest, FullLineColumnTallerThanTheFrameFillsIt) {
    // Right at a flat wall every slice is taller than the frame; a previous column that hit a
    // y face makes column 60 a face change, drawn over the whole frame height.
    pose(demoMap1, 1.5f, 5.5f, 180.0f);
    castView();
    frameCast.prevSide = 1;
    const ColumnCast cast = castColumn(60);
    EXPECT_TRUE(cast.faceChange);
    EXPECT_LT(cast.sliceTop, 0);
    EXPECT_EQ(frameColumn(60), std::string(40, '#'));
}

TEST_F(RayCasterTest, HighEndGuardsSuppressCornersFarOut) {
    // A wall cell with open floor beyond its high end: a hit near that end is a corner only
    // while the cell is below column 22 (a y face) or row 14 (an x face).
    struct Case {
        int wallX, wallY;
        float x, y, angle;  // one column, whose ray is the angle less 30 degrees
        int hitSide;
        bool corner;
    };
    const Case cases[] = {
        // Looking straight down (+y) at the wall cell's right end from above it.
        {21, 10, 21.99f, 7.5f, 120.0f, 1, true},
        {22, 10, 22.99f, 7.5f, 120.0f, 1, false},
        // Looking along +x at the wall cell's lower end from its left.
        {10, 13, 7.5f, 13.99f, 30.0f, 0, true},
        {10, 14, 7.5f, 14.99f, 30.0f, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.wallX) + "," + std::to_string(c.wallY));
        const MapGrid map = mapWithWalls({{c.wallX, c.wallY}});
        pose(map, c.x, c.y, c.angle, 1, 40);
        const ColumnCast cast = castThrough(0);
        ASSERT_EQ(cast.cellX, c.wallX);
        ASSERT_EQ(cast.cellY, c.wallY);
        ASSERT_EQ(cast.hitSide, c.hitSide);
        ASSERT_GT(cast.wallFrac, EDGE_HIGH);
        EXPECT_EQ(cast.cornerColumn, c.corner);
    }
}

TEST_F(RayCasterTest, RaysStopAtTheGridEdgeOnAnOpenMap) {
    const MapGrid open = mapWithWalls({});
    const float angles[] = {0.0f, 45.0f, 90.0f, 180.0f, 270.0f, 333.3f};
    for (const float angle : angles) {
        pose(open, 16.5f, 16.5f, angle);
        castView();
        frameCast.prevSide = -1;
        for (int x = 0; x < 120; ++x) {
            const ColumnCast cast = castColumn(x);
            const bool outside = cast.cellX < 0 || cast.cellX >= MAP_SIZE || cast.cellY < 0 ||
                                 cast.cellY >= MAP_SIZE;
            EXPECT_TRUE(outside) << angle << " column " << x;
        }
    }
}

TEST_F(RayCasterTest, EveryFrameStartsBlank) {
    pose(demoMap1, 6.0f, 6.0f, 180.0f);
    for (auto& row : frameBuffer) {
        std::fill(row.begin(), row.end(), 'x');
    }
    castView();
    for (const auto& row : frameBuffer) {
        for (const char cell : row) {
            EXPECT_TRUE(cell == ' ' || cell == WALL_GLYPH);
        }
    }
}

}  // namespace
