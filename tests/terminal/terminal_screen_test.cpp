// Presenting frame rows: only rows that changed, each placed with a cursor move, clipped to
// the window, in one buffer; and the glyph the locale can show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal_screen.h"

namespace {

const char WALL = static_cast<char>(219);

void write(TerminalScreen& screen, int row, const std::string& text) {
    screen.writeRow(row, 0, text.data(), text.size());
}

TEST(Presenting, FirstPresentSendsEveryWrittenRowThenOnlyChangedOnes) {
    TerminalScreen screen(8, 3, false);
    write(screen, 0, "abc     ");
    write(screen, 1, "def     ");
    write(screen, 2, "ghi     ");
    EXPECT_EQ(screen.present(), "\x1b[1;1Habc     \x1b[2;1Hdef     \x1b[3;1Hghi     ");

    // The next frame writes every row again, but only row 1 differs.
    write(screen, 0, "abc     ");
    write(screen, 1, "dXf     ");
    write(screen, 2, "ghi     ");
    EXPECT_EQ(screen.present(), "\x1b[2;1HdXf     ");

    write(screen, 0, "abc     ");
    EXPECT_EQ(screen.present(), "");  // nothing changed: nothing to write at all
}

TEST(Presenting, RowsAreClippedToTheWindowNeverWrapped) {
    TerminalScreen screen(5, 2, false);
    EXPECT_TRUE(screen.writeRow(0, 0, "0123456789", 10));
    EXPECT_FALSE(screen.writeRow(2, 0, "below", 5));  // past the last row
    EXPECT_FALSE(screen.writeRow(1, 5, "right", 5));  // starts past the last column
    EXPECT_TRUE(screen.writeRow(1, 3, "xyz", 3));
    EXPECT_EQ(screen.present(), "\x1b[1;1H01234\x1b[2;4Hxy");
}

TEST(Presenting, WallGlyphFollowsTheLocaleAndControlBytesCannotReachTheTerminal) {
    const std::string row{WALL, ' ', 'X', '\x1b', '\n', static_cast<char>(0xB0)};
    struct Case {
        bool utf8;
        std::string shown;
    };
    for (const Case& c : std::vector<Case>{{true, "\xE2\x96\x88 X???"}, {false, "# X???"}}) {
        TerminalScreen screen(10, 1, c.utf8);
        write(screen, 0, row);
        EXPECT_EQ(screen.present(), "\x1b[1;1H" + c.shown) << c.utf8;
    }
}

TEST(Presenting, AfterBlankingOnlyRowsWrittenAgainAreSentEvenIfUnchanged) {
    TerminalScreen screen(4, 2, false);
    write(screen, 0, "aaaa");
    write(screen, 1, "bbbb");
    screen.present();
    screen.forgetRows();
    EXPECT_EQ(screen.present(), "");  // the blank window keeps no old rows
    write(screen, 1, "bbbb");
    EXPECT_EQ(screen.present(), "\x1b[2;1Hbbbb");
}

TEST(Presenting, RepaintAndResizeSendAllRowsAgain) {
    TerminalScreen screen(4, 2, false);
    write(screen, 0, "aaaa");
    write(screen, 1, "bbbb");
    screen.present();
    screen.resendAll();  // e.g. the colours changed under the rows
    EXPECT_EQ(screen.present(), "\x1b[1;1Haaaa\x1b[2;1Hbbbb");

    screen.resize(2, 1);  // narrower and shorter: what fits is sent again
    EXPECT_EQ(screen.present(), "\x1b[1;1Haa");
    screen.resize(6, 3);
    EXPECT_EQ(screen.present(), "\x1b[1;1Haa");
    write(screen, 2, "cccccc");
    EXPECT_EQ(screen.present(), "\x1b[3;1Hcccccc");
}

TEST(Presenting, PaintCoversEveryCell) {
    TerminalScreen screen(3, 2, false);
    EXPECT_EQ(screen.paint(), "\x1b[1;1H   \x1b[2;1H   ");
    EXPECT_EQ(cursorTo(11, 0), "\x1b[12;1H");
}

// Text goes where a console puts it; what the window showed beyond it is blanked over.
TEST(Presenting, TextAtTheTextCursorWrapsScrollsAndOverwritesStaleCells) {
    struct Case {
        const char* name;
        int columns;
        int rows;
        std::vector<std::string> writes;  // each after the previous present
        std::string lastPresent;
    };
    const std::vector<Case> cases{
        {"line ends and a return to the start",
         8,
         3,
         {"ab\ncd\r\nx"},
         "\x1b[1;1Hab\x1b[2;1Hcd\x1b[3;1Hx"},
        {"past the last column: on to the next row", 4, 2, {"abcdef"}, "\x1b[1;1Habcd\x1b[2;1Hef"},
        {"below the last row: every row moves up", 4, 2, {"a\nb\nc"}, "\x1b[1;1Hb\x1b[2;1Hc"},
        {"scrolled rows overwrite longer old text",
         6,
         2,
         {"long\nx", "\ny"},
         "\x1b[1;1Hx   \x1b[2;1Hy"},
    };
    for (const Case& c : cases) {
        TerminalScreen screen(c.columns, c.rows, false);
        std::string last;
        for (const std::string& text : c.writes) {
            screen.writeText(text.data(), text.size());
            last = screen.present();
        }
        EXPECT_EQ(last, c.lastPresent) << c.name;
        EXPECT_EQ(screen.present(), "") << c.name << ": nothing changed since";
    }
}

TEST(Presenting, TextCursorStaysInsideAndClearingHomesIt) {
    TerminalScreen screen(10, 4, false);
    EXPECT_TRUE(screen.setTextCursor(3, 9));
    EXPECT_FALSE(screen.setTextCursor(4, 0));
    EXPECT_FALSE(screen.setTextCursor(0, 10));
    EXPECT_FALSE(screen.setTextCursor(-1, 0));
    EXPECT_EQ(screen.textRow(), 3);
    EXPECT_EQ(screen.textColumn(), 9);
    screen.writeText("<", 1);
    EXPECT_EQ(screen.present(), "\x1b[4;10H<");
    screen.forgetRows();
    EXPECT_EQ(screen.textRow(), 0);
    EXPECT_EQ(screen.textColumn(), 0);
    EXPECT_EQ(screen.present(), "");
}

// A window of any size keeps no more than the largest frame's cells; the rest is erased.
TEST(Presenting, HugeWindowsAreClippedNotStored) {
    TerminalScreen screen(65535, 65535, false);
    EXPECT_EQ(screen.columns(), SCREEN_MAX_COLUMNS);
    EXPECT_EQ(screen.rows(), SCREEN_MAX_ROWS);
    EXPECT_FALSE(screen.writeRow(SCREEN_MAX_ROWS, 0, "x", 1));
    const std::string paint = screen.paint();
    std::size_t erasedLines = 0;
    for (std::size_t at = paint.find("\x1b[K"); at != std::string::npos;
         at = paint.find("\x1b[K", at + 1)) {
        ++erasedLines;
    }
    EXPECT_EQ(erasedLines, static_cast<std::size_t>(SCREEN_MAX_ROWS));
    EXPECT_LT(paint.size(), static_cast<std::size_t>(SCREEN_MAX_ROWS) * (SCREEN_MAX_COLUMNS + 16));
    EXPECT_EQ(paint.substr(paint.size() - 3), "\x1b[J");  // the rows below, erased at once
}

TEST(Locale, Utf8FromTheFirstSetVariable) {
    struct Case {
        const char* lcAll;
        const char* lcCtype;
        const char* lang;
        bool utf8;
    };
    const std::vector<Case> cases{
        {nullptr, nullptr, "en_US.UTF-8", true},
        {nullptr, nullptr, "C.utf8", true},
        {"", "", "de_DE.utf-8", true},
        {"C", nullptr, "en_US.UTF-8", false},  // LC_ALL wins
        {nullptr, "POSIX", "en_US.UTF-8", false},
        {nullptr, "en_GB.UTF-8", "C", true},
        {nullptr, nullptr, "en_US.ISO-8859-1", false},
        {nullptr, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(localeIsUtf8(c.lcAll, c.lcCtype, c.lang), c.utf8)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcCtype ? c.lcCtype : "-") << " "
            << (c.lang ? c.lang : "-");
    }
}

}  // namespace
