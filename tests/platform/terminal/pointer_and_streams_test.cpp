// The virtual pointer and the window's geometry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/virtual_pointer.h"

using namespace terminal_platform;

namespace {

TEST(WindowGeometry, CellSizeFromPixelsThenReplyThenDefault) {
    struct Case {
        const char* name;
        int columns, rows, pixelWidth, pixelHeight, replyWidth, replyHeight;
        int cellWidth, cellHeight;
        std::int32_t windowPixels;
    };
    const std::vector<Case> cases{
        {"size report has pixels", 120, 40, 1200, 800, 0, 0, 10, 20, 1200},
        {"pixels win over the reply", 100, 30, 900, 600, 7, 14, 9, 20, 900},
        {"reply when no pixels", 120, 40, 0, 0, 9, 18, 9, 18, 1080},
        {"nothing known", 80, 24, 0, 0, 0, 0, 8, 16, 640},
    };
    for (const Case& c : cases) {
        const WindowGeometry g = measureWindow(c.columns, c.rows, c.pixelWidth, c.pixelHeight,
                                               c.replyWidth, c.replyHeight);
        EXPECT_EQ(g.cellWidth, c.cellWidth) << c.name;
        EXPECT_EQ(g.cellHeight, c.cellHeight) << c.name;
        EXPECT_EQ(g.pixelWidth(), c.windowPixels) << c.name;
    }
}

TEST(WindowGeometry, AWindowOfNoSizeFallsBackToTheEnvironmentThenEightyByTwentyFour) {
    struct Case {
        int reported;
        const char* variable;
        int cells;
    };
    const std::vector<Case> cases{
        {120, "200", 120}, {0, "132", 132}, {0, nullptr, 80}, {0, "", 80},
        {0, "0", 80},      {0, "-5", 80},   {0, "99999", 80}, {0, "80x", 80},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(windowCells(c.reported, c.variable, 80), c.cells)
            << c.reported << " " << (c.variable != nullptr ? c.variable : "unset");
    }
}

TEST(VirtualPointer, FirstReportAnchorsLaterOnesMove) {
    VirtualPointer pointer(500, 300);
    pointer.report(40, 10);  // where the real pointer happens to be says nothing of motion
    EXPECT_EQ(pointer.x(), 500);
    pointer.report(60, 5);
    EXPECT_EQ(pointer.x(), 520);
    EXPECT_EQ(pointer.y(), 295);
    pointer.report(-15, 5);  // pixel reports may lie left of the window
    EXPECT_EQ(pointer.x(), 445);
}

TEST(VirtualPointer, AfterAMoveMotionCountsFromTheTarget) {
    VirtualPointer pointer(0, 0);
    pointer.report(100, 100);
    pointer.report(105, 100);
    pointer.moveTo(11, 100);  // the game wrapped the cursor
    EXPECT_EQ(pointer.x(), 11);
    pointer.report(103, 100);  // the real pointer went 2 pixels left meanwhile
    EXPECT_EQ(pointer.x(), 9);
    pointer.nudge(36);
    EXPECT_EQ(pointer.x(), 45);
}

TEST(VirtualPointer, CellReportsAreCellsTimesTheCellSize) {
    const WindowGeometry geometry{120, 40, 9, 18};
    VirtualPointer pointer(540, 360);
    pointer.reportCell(60, 20, geometry);
    pointer.reportCell(63, 19, geometry);
    EXPECT_EQ(pointer.x(), 540 + 27);
    EXPECT_EQ(pointer.y(), 360 - 18);
}

// Swings between the extremes a report can hold, cells as wide as a size report allows, and
// nudges that never stop: the pointer stays bounded instead of overflowing.
TEST(VirtualPointer, ExtremeReportsAndEndlessNudgesStayBounded) {
    constexpr std::int32_t BOUND = std::int32_t{1} << 30;
    const WindowGeometry wide{1, 1, 65535, 65535};
    VirtualPointer pointer(0, 0);
    for (int i = 0; i < 100; ++i) {
        pointer.reportCell(i % 2 == 0 ? -(1 << 20) : 1 << 20, 1 << 20, wide);
        pointer.report(i % 2 == 0 ? (1 << 20) : -(1 << 20), 0);
        pointer.nudge(1 << 30);
        EXPECT_LE(pointer.x(), BOUND);
        EXPECT_GE(pointer.x(), -BOUND);
        EXPECT_LE(pointer.y(), BOUND);
        EXPECT_GE(pointer.y(), -BOUND);
    }
    pointer.nudge(1 << 30);
    pointer.nudge(1 << 30);
    EXPECT_EQ(pointer.x(), BOUND);  // pushed to the bound, not wrapped to a negative
}

}  // namespace
