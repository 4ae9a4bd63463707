// A clean game for every test: the world's start values, an empty frame and a fresh headless
// platform, since the game's state is global; LoopTest also starts it up for the main loop.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "app/main_loop.h"
#include "app/settings_screen.h"
#include "platform/headless/headless_control.h"
#include "platform/platform.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        world = World{4.0f, 11.0f, &demoMap3, 40, 120, 180.0f};
        frameBuffer.clear();
        settingsHeightPending = false;
        headlessReset();
    }

    // Puts the world in a pose on a map with a frame of the given size.
    static void pose(const MapGrid& map, float x, float y, float angle, int width = 120,
                     int height = 40) {
        world.currentMap = &map;
        world.playerX = x;
        world.playerY = y;
        world.viewAngle = angle;
        sizeFrame(width, height);
    }

    // Gives the world and its frame the given size.
    static void sizeFrame(int width, int height) {
        world.screenWidth = width;
        world.screenHeight = height;
        resizeFrameBuffer();
    }

    // A map of open floor with walls only where listed.
    static MapGrid mapWithWalls(std::initializer_list<std::pair<int, int>> walls) {
        MapGrid map{};
        map.fill(OPEN_CELL);
        for (const auto& [x, y] : walls) {
            map[static_cast<std::size_t>(y * MAP_STRIDE + x)] = WALL_CELL;
        }
        return map;
    }

    // The frame's column x from top to bottom, '#' for the wall glyph.
    static std::string frameColumn(int x) {
        std::string column;
        for (const auto& row : frameBuffer) {
            column += row[static_cast<std::size_t>(x)] == WALL_GLYPH
                          ? '#'
                          : row[static_cast<std::size_t>(x)];
        }
        return column;
    }

    // Console row text with trailing blanks removed.
    static std::string consoleText(int row) {
        std::string text = headlessConsoleRow(row);
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }
};

// The game started up as the main loop starts it, run a pass at a time.
class LoopTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        startUp(locals);
    }
    void pass() { runPass(locals); }
    // Enter on the menu's row `row`, which starts that demo.
    void startDemo(int row) {
        locals.menuRow = row;
        headlessTapKey(KEY_RETURN);
        pass();
        ASSERT_EQ(locals.appState, Running);
    }

    MainLoopLocals locals{};
};
