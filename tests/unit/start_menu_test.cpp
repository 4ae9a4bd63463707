// The start menu: drawing, moving the selection and starting a demo or the settings.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/start_menu.h"
#include "game_fixture.h"
#include "platform/platform.h"

namespace {

class StartMenuTest : public LoopTest {};

// The golden case headless.menu pins the state and row after start-up and the first pass.
TEST_F(StartMenuTest, StartUpHidesTheTextCursorAndTakesTheAnchor) {
    EXPECT_FALSE(headlessTextCursorVisible());
    EXPECT_EQ(locals.mouseAnchorX, 960);
    ASSERT_EQ(frameBuffer.size(), 40U);
    EXPECT_EQ(frameBuffer[39].size(), 120U);
}

TEST_F(StartMenuTest, FirstPassWritesOverOldTextWithTheMarkerOnDemoOne) {
    platformOutput() << std::string(20, 'x') << "\n\n\n\n\n\n\n"
                     << "leftover" << std::flush;
    pass();
    EXPECT_EQ(consoleText(0), "Run DEMO 1xx<--xxxxx");
    EXPECT_EQ(consoleText(1), "");
    EXPECT_EQ(consoleText(2), "Run DEMO 2");
    EXPECT_EQ(consoleText(4), "Run DEMO 3");
    EXPECT_EQ(consoleText(6), "Settings");
    EXPECT_EQ(consoleText(7), "leftover");
}

// Down from the first entry, Up on it, Up and Down on the last one, a move clearing all but the
// marker, and Down held to the last entry are pinned by the golden case headless.menu.
TEST_F(StartMenuTest, ArrowsMoveTheSelectionWithinTheEntries) {
    struct Case {
        const char* what;
        std::int32_t from;
        bool up, down;
        std::int32_t to;
        std::uint64_t slept;  // 120 ms per move
    };
    const Case cases[] = {
        {"up", 4, true, false, 2, 120},
        {"down on the last entry", 6, false, true, 6, 0},
        {"both from the first entry", 0, true, true, 2, 120},
        {"both from the middle", 2, true, true, 2, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headlessReset();
        locals.menuRow = c.from;
        if (c.up) {
            headlessHoldKey(KEY_UP);
        }
        if (c.down) {
            headlessHoldKey(KEY_DOWN);
        }
        pass();
        EXPECT_EQ(locals.menuRow, c.to);
        EXPECT_EQ(headlessSleptMilliseconds(), c.slept);
        EXPECT_EQ(locals.appState, Menu);
    }
}

TEST_F(StartMenuTest, EnterStartsTheSelectedDemo) {
    struct Case {
        std::int32_t row;
        const MapGrid* map;
        float x, y, angle;
    };
    const Case cases[] = {
        {0, &demoMap1, 6.0f, 6.0f, 180.0f},
        {2, &demoMap2, 3.5f, 10.0f, 270.0f},
        {4, &demoMap3, 15.0f, 3.5f, 180.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        world.viewAngle = 180.0f;
        locals.appState = Menu;
        startDemo(c.row);
        EXPECT_EQ(world.currentMap, c.map);
        EXPECT_EQ(world.playerX, c.x);
        EXPECT_EQ(world.playerY, c.y);
        EXPECT_EQ(world.viewAngle, c.angle);
        EXPECT_EQ(consoleText(0), "");  // cleared for the running view
        EXPECT_EQ(locals.menuRow, c.row);
    }
}

TEST_F(StartMenuTest, EnterOnSettingsOpensThemOnAClearConsole) {
    locals.menuRow = 6;
    headlessTapKey(KEY_RETURN);
    pass();
    EXPECT_EQ(locals.appState, Settings);
    EXPECT_EQ(consoleText(0), "");
    EXPECT_EQ(world.currentMap, &demoMap3);
}

TEST_F(StartMenuTest, OnlyAPressSinceTheLastQueryCounts) {
    headlessHoldKey(KEY_RETURN);
    headlessReleaseKey(KEY_RETURN);  // pressed and released between two passes
    pass();
    EXPECT_EQ(locals.appState, Running);

    SetUp();
    headlessHoldKey(KEY_RETURN);
    pass();  // takes up the press
    locals.appState = Menu;
    pass();  // still held, but not pressed again
    EXPECT_EQ(locals.appState, Menu);
}

}  // namespace
