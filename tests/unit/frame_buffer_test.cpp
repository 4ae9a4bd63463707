// Resizing the frame and presenting it on the console.
#include <gtest/gtest.h>

#include <string>

#include "game_fixture.h"
#include "platform/platform.h"

namespace {

class FrameBufferTest : public GameTest {
protected:
    // Fills every cell with a letter that tells its row.
    static void paintRows() {
        for (std::size_t row = 0; row < frameBuffer.size(); ++row) {
            std::fill(frameBuffer[row].begin(), frameBuffer[row].end(),
                      static_cast<char>('a' + row % 26));
        }
    }
    static void expectShape(int columns, int rows) {
        ASSERT_EQ(frameBuffer.size(), static_cast<std::size_t>(rows));
        for (const auto& row : frameBuffer) {
            ASSERT_EQ(row.size(), static_cast<std::size_t>(columns));
        }
    }
};

TEST_F(FrameBufferTest, ResizeKeepsTheTopLeftPictureAndBlanksNewCells) {
    struct Case {
        int columns, rows;
    };
    for (const Case c : {Case{200, 60}, Case{60, 20}, Case{1, 1}, Case{512, 512}}) {
        SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows));
        sizeFrame(120, 40);
        paintRows();
        sizeFrame(c.columns, c.rows);
        expectShape(c.columns, c.rows);
        for (int row = 0; row < c.rows; ++row) {
            const std::string text(frameBuffer[static_cast<std::size_t>(row)].begin(),
                                   frameBuffer[static_cast<std::size_t>(row)].end());
            const int kept = row < 40 ? std::min(c.columns, 120) : 0;
            EXPECT_EQ(text, std::string(static_cast<std::size_t>(kept),
                                        static_cast<char>('a' + row % 26)) +
                                std::string(static_cast<std::size_t>(c.columns - kept), ' '));
        }
    }
}

TEST_F(FrameBufferTest, ShrinkingKeepsTheRowsStorage) {
    resizeFrameBuffer();
    const char* const before = frameBuffer[0].data();
    sizeFrame(10, 40);
    EXPECT_EQ(frameBuffer[0].data(), before);
}

TEST_F(FrameBufferTest, PresentWritesEachRowAtItsConsoleRow) {
    sizeFrame(5, 3);
    paintRows();
    frameBuffer[1][2] = WALL_GLYPH;
    presentFrame();
    EXPECT_EQ(headlessConsoleRow(0).substr(0, 6), "aaaaa ");
    EXPECT_EQ(headlessConsoleRow(1).substr(0, 6), std::string("bb") + WALL_GLYPH + "bb ");
    EXPECT_EQ(headlessConsoleRow(2).substr(0, 6), "ccccc ");
    EXPECT_EQ(consoleText(3), "");
    EXPECT_EQ(headlessTextCursorColumn(), 0);
    EXPECT_EQ(headlessTextCursorRow(), 0);
}

TEST_F(FrameBufferTest, RowsWiderThanTheConsoleContinueOnTheNextLine) {
    headlessResizeConsole(4, 3);
    sizeFrame(6, 2);
    paintRows();
    presentFrame();
    // Each row spills onto the next console line, where the next row overwrites it.
    EXPECT_EQ(headlessConsoleRow(0), "aaaa");
    EXPECT_EQ(headlessConsoleRow(1), "bbbb");
    EXPECT_EQ(headlessConsoleRow(2), "bb  ");
}

TEST_F(FrameBufferTest, SingleRowFrame) {
    sizeFrame(3, 1);
    paintRows();
    presentFrame();
    EXPECT_EQ(consoleText(0), "aaa");
    EXPECT_EQ(consoleText(1), "");
}

}  // namespace
