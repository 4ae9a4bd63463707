// A clean game for every test: the world's start values, an empty frame and a fresh headless
// platform, since the game's state is global.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/main_loop.h"
#include "app/settings_screen.h"
#include "platform/headless/headless_control.h"
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
        world.screenWidth = width;
        world.screenHeight = height;
        resizeFrameBuffer();
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
