// Mouse look with the cursor wrap, normalisation of the angle, and movement with collision.
#include <gtest/gtest.h>

#include <vector>

#include "control/mouse_look.h"
#include "control/movement.h"
#include "game_fixture.h"
#include "platform/platform.h"

namespace {

class ControlTest : public GameTest {};

TEST_F(ControlTest, CursorWrapsOnlyWithinTheEdgeMargins) {
    struct Case {
        std::int32_t cursorX;
        std::int32_t expectedX;  // where the cursor and the anchor end
    };
    const Case cases[] = {
        {10, 1909}, {11, 11}, {1910, 11}, {1909, 1909}, {-300, 1909}, {1920, 11}, {2500, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cursorX);
        headlessSetCursor(c.cursorX, 777);
        std::int32_t anchor = c.cursorX;  // no motion: only the wrap acts
        world.viewAngle = 90.0f;
        applyMouseLook(anchor);
        EXPECT_EQ(anchor, c.expectedX);
        EXPECT_EQ(headlessCursorX(), c.expectedX);
        EXPECT_EQ(headlessCursorY(), 777);
        EXPECT_EQ(world.viewAngle, 90.0f);
    }
}

TEST_F(ControlTest, HorizontalMotionTurnsByATenthOfADegreePerPixel) {
    struct Case {
        std::int32_t motion;
        float angle;
    };
    const Case cases[] = {{20, 182.0f}, {1, 180.100006f}, {-20, 178.0f}, {0, 180.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.motion);
        world.viewAngle = 180.0f;
        std::int32_t anchor = 960;
        headlessSetCursor(960 + c.motion, 100 + c.motion);
        applyMouseLook(anchor);
        EXPECT_EQ(world.viewAngle, c.angle);
        EXPECT_EQ(anchor, 960 + c.motion);
    }
}

TEST_F(ControlTest, WrapDoesNotTurnAndSteadyMotionTurnsSteadily) {
    // 30 frames of 100 pixels to the right, wrapping at the right edge several times.
    std::int32_t anchor = 960;
    world.viewAngle = 0.0f;
    for (int frame = 0; frame < 30; ++frame) {
        headlessSetCursor(headlessCursorX() + 100, 540);
        applyMouseLook(anchor);
        normaliseViewAngle();
    }
    EXPECT_FLOAT_EQ(world.viewAngle, 300.0f);
}

TEST_F(ControlTest, CursorJumpAcrossTheWholeIntegerRangeTurnsWithoutOverflow) {
    // The largest possible jump: its pixel count does not fit 32 bits, so a 32-bit difference
    // would wrap round to a one-pixel turn to the left.
    std::int32_t anchor = INT32_MIN;
    headlessSetScreenSize(INT32_MAX, 1080);
    headlessSetCursor(INT32_MAX - 20, 0);
    world.viewAngle = 0.0f;
    applyMouseLook(anchor);
    EXPECT_EQ(world.viewAngle, static_cast<float>(4294967275.0) * 0.1f);
    EXPECT_EQ(anchor, INT32_MAX - 20);
}

TEST_F(ControlTest, UnreadableCursorMakesAFrameWithoutMotion) {
    std::int32_t anchor = 500;
    headlessSetCursor(5, 5);  // would both turn and wrap
    headlessSetCursorUnreadable(true);
    applyMouseLook(anchor);
    EXPECT_EQ(anchor, 500);
    EXPECT_EQ(world.viewAngle, 180.0f);
    EXPECT_EQ(headlessCursorX(), 5);
}

TEST_F(ControlTest, NormalisationAdjustsAtMostOncePerDirection) {
    struct Case {
        float before, after;
    };
    const Case cases[] = {
        {-0.25f, 359.75f}, {360.0f, 0.0f},   {359.75f, 359.75f}, {-0.00001f, 0.0f},
        {370.0f, 10.0f},   {720.5f, 360.5f}, {-400.0f, -40.0f},  {0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        world.viewAngle = c.before;
        normaliseViewAngle();
        EXPECT_EQ(world.viewAngle, c.after) << c.before;
    }
}

TEST_F(ControlTest, EachKeyStepsRelativeToTheView) {
    struct Case {
        int key;
        float dx, dy;
    };
    const Case cases[] = {
        {KEY_W, 0.25f, 0.0f}, {KEY_S, -0.25f, 0.0f}, {KEY_D, 0.0f, 0.25f}, {KEY_A, 0.0f, -0.25f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        pose(demoMap1, 5.5f, 5.5f, 0.0f);
        headlessReset();
        headlessHoldKey(c.key);
        applyMovementKeys(directionOf(0.0f), 0.25f);
        EXPECT_EQ(world.playerX, 5.5f + c.dx);
        EXPECT_EQ(world.playerY, 5.5f + c.dy);
    }
}

// The step is chooseMoveSpeed's: 0.25 a frame, 0.5 with Shift.
TEST_F(ControlTest, HeldKeysWalkUntilAWallStopsThem) {
    struct Case {
        const char* what;
        std::vector<int> keys;
        float startX;
        std::vector<float> positions;  // playerX after each frame
    };
    const Case cases[] = {
        {"W into the wall at column 11", {KEY_W}, 10.0f, {10.25f, 10.5f, 10.75f, 10.75f}},
        {"W with Shift", {KEY_W, KEY_SHIFT}, 10.0f, {10.5f, 10.5f}},
        {"S onto the face of column 0", {KEY_S}, 1.5f, {1.25f, 1.0f, 1.0f}},
        {"W and S cancel", {KEY_W, KEY_S}, 5.0f, {5.0f, 5.0f}},
        {"W refused, S still taken", {KEY_W, KEY_S}, 10.75f, {10.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headlessReset();
        pose(demoMap1, c.startX, 1.5f, 0.0f);
        for (const int key : c.keys) {
            headlessHoldKey(key);
        }
        for (const float expected : c.positions) {
            const float speed = chooseMoveSpeed();
            applyMovementKeys(directionOf(world.viewAngle), speed);
            EXPECT_EQ(world.playerX, expected);
            EXPECT_EQ(world.playerY, 1.5f);
        }
    }
}

TEST_F(ControlTest, BlockedPartIsDroppedAndTheOtherTaken) {
    MapGrid map = mapWithWalls({{3, 2}, {2, 3}});
    map[5 * MAP_STRIDE + 5] = 0;  // (5, 5): outside every map, not walkable
    struct Case {
        const char* what;
        float x, y, dx, dy;
        float endX, endY;
    };
    const Case cases[] = {
        {"slides along a wall in x", 2.5f, 2.875f, 0.125f, 0.25f, 2.625f, 2.875f},
        {"slides along a wall in y", 2.875f, 2.5f, 0.25f, 0.125f, 2.875f, 2.625f},
        {"no squeezing through a diagonal gap", 2.875f, 2.875f, 0.25f, 0.25f, 2.875f, 2.875f},
        {"a zero byte blocks", 4.875f, 5.5f, 0.25f, 0.0f, 4.875f, 5.5f},
        {"truncation, not floor, near zero", 0.25f, 0.5f, -0.5f, 0.0f, -0.25f, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pose(map, c.x, c.y, 0.0f);
        tryMove(c.dx, c.dy);
        EXPECT_EQ(world.playerX, c.endX);
        EXPECT_EQ(world.playerY, c.endY);
    }
}

}  // namespace
