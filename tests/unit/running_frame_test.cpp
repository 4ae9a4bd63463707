// Running frames end to end: what a frame shows and how look and movement carry over.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "platform/platform.h"

namespace {

class RunningFrameTest : public LoopTest {
protected:
    std::string rowZeroStart(std::size_t length) { return headlessConsoleRow(0).substr(0, length); }
};

// The frame's colours and its 40 ms pause are pinned by the golden case headless.console_small.
TEST_F(RunningFrameTest, FirstFrameOfDemoOne) {
    startDemo(0);
    pass();
    EXPECT_EQ(rowZeroStart(35), "X:6.000000 Y:6.000000 A:180.000000 ");
    // Column 60's slice: glyphs in rows 16 and 23, blanks between.
    EXPECT_EQ(headlessConsoleRow(16)[60], WALL_GLYPH);
    EXPECT_EQ(headlessConsoleRow(20)[60], ' ');
    EXPECT_EQ(headlessConsoleRow(23)[60], WALL_GLYPH);
}

TEST_F(RunningFrameTest, StatusLineShowsThePoseBeforeTheFramesStep) {
    startDemo(0);
    headlessHoldKey(KEY_W);
    pass();
    EXPECT_EQ(rowZeroStart(34), "X:6.000000 Y:6.000000 A:180.000000");
    EXPECT_EQ(world.playerX, 5.75f);
    EXPECT_EQ(world.playerY, 6.0f + 0x1p-21f);
    pass();
    EXPECT_EQ(rowZeroStart(34), "X:5.750000 Y:6.000000 A:180.000000");
}

TEST_F(RunningFrameTest, MouseLookAcrossTheWrapPoint) {
    startDemo(0);
    headlessSetCursor(961, 540);
    pass();
    EXPECT_EQ(rowZeroStart(34), "X:6.000000 Y:6.000000 A:180.100006");

    world.viewAngle = 0.25f;
    headlessSetCursor(956, 540);
    pass();
    EXPECT_EQ(rowZeroStart(34), "X:6.000000 Y:6.000000 A:-0.250000 ");
    pass();
    EXPECT_EQ(rowZeroStart(35), "X:6.000000 Y:6.000000 A:359.750000 ");
}

// A travel past a whole turn, shown as 370 and stored as 10, is the golden case
// headless.first_frame_turn.
TEST_F(RunningFrameTest, FirstFrameTurnsByTheTravelSinceStartUp) {
    headlessSetScreenSize(4000, 1080);  // keep the cursor clear of the wrap zones
    headlessSetCursor(960 + 500, 540);
    startDemo(2);
    pass();
    EXPECT_EQ(consoleText(0).substr(23, 12), "A:320.000000");
    EXPECT_EQ(world.viewAngle, 320.0f);
}

TEST_F(RunningFrameTest, NothingLeadsBackToTheMenu) {
    startDemo(4);
    for (const int key : {KEY_UP, KEY_DOWN, KEY_RETURN}) {
        headlessTapKey(key);
        headlessHoldKey(key);
    }
    for (int i = 0; i < 5; ++i) {
        pass();
    }
    EXPECT_EQ(locals.appState, Running);
    EXPECT_EQ(locals.menuRow, 4);
}

}  // namespace
