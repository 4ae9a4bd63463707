// The status line's text and how it is written over the frame's first row.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "render/ray_caster.h"
#include "render/status_line.h"

namespace {

class StatusLineTest : public GameTest {};

TEST_F(StatusLineTest, FormatsEachValueWithSixDecimals) {
    struct Case {
        float x, y, angle;
        const char* text;
    };
    const Case cases[] = {
        {6.0f, 6.0f, 180.0f, "X:6.000000 Y:6.000000 A:180.000000"},
        {3.5f, 10.0f, 270.0f, "X:3.500000 Y:10.000000 A:270.000000"},
        {15.0f, 3.5f, 180.0f, "X:15.000000 Y:3.500000 A:180.000000"},
        {5.75f, 6.0f + 0x1p-21f, 180.0f, "X:5.750000 Y:6.000000 A:180.000000"},
        {6.0f, 6.0f, 180.0f + 0.1f, "X:6.000000 Y:6.000000 A:180.100006"},
        {1.0f, 2.0f, -0.25f, "X:1.000000 Y:2.000000 A:-0.250000"},
        {1.0f, 2.0f, 359.75f, "X:1.000000 Y:2.000000 A:359.750000"},
        {4.0f, 11.0f, 1e20f, "X:4.000000 Y:11.000000 A:100000002004087734272.000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatStatusLine(c.x, c.y, c.angle), c.text);
    }
}

TEST_F(StatusLineTest, OverwritesOnlyTheStartOfRowZero) {
    struct Case {
        int width;
        std::string rowZeroStart;  // what row 0 begins with
    };
    const Case cases[] = {
        {120, "X:6.000000 Y:6.000000 A:180.000000"},
        {20, "X:6.000000 Y:6.00000"},
        {1, "X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        pose(demoMap1, 6.0f, 6.0f, 180.0f, c.width, 40);
        for (auto& row : frameBuffer) {
            std::fill(row.begin(), row.end(), '.');
        }
        drawStatusLine();
        const std::string rowZero(frameBuffer[0].begin(), frameBuffer[0].end());
        const std::string rest(static_cast<std::size_t>(c.width) - c.rowZeroStart.size(), '.');
        EXPECT_EQ(rowZero, c.rowZeroStart + rest);
        EXPECT_EQ(std::string(frameBuffer[1].begin(), frameBuffer[1].end()),
                  std::string(static_cast<std::size_t>(c.width), '.'));
    }
}

TEST_F(StatusLineTest, ShorterLineLeavesNothingOfTheLastFrame) {
    pose(demoMap1, 10.5f, 10.5f, 180.0f);
    castView();
    drawStatusLine();
    world.playerX = 1.5f;
    castView();
    drawStatusLine();
    const std::string rowZero(frameBuffer[0].begin(), frameBuffer[0].end());
    EXPECT_EQ(rowZero.substr(0, 35), "X:1.500000 Y:10.500000 A:180.000000");
    // The longer line's last character stood in column 35; the ray caster's output is there now.
    EXPECT_TRUE(rowZero[35] == ' ' || rowZero[35] == WALL_GLYPH);
}

}  // namespace
