// Presenting frame rows: only rows that changed, each placed with a cursor move, clipped to
// the window, in one buffer; and the glyph the locale can show.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/terminal/terminal_screen.h"

using namespace terminal_platform;

namespace {

const char WALL = static_cast<char>(219);

void write(ConsoleModel& model, int column, int row, const std::string& text) {
    model.writeRow(column, row, text.data(), text.size());
}

// What a presentation sent before it parks the cursor at the window's top-left, which every
// presentation that sends anything ends with.
std::string presented(TerminalScreen& screen, const ConsoleModel& model, int top = 0) {
    std::string sent = screen.present(model, top);
    const std::string park = "\x1b[H";
    if (!sent.empty()) {
        EXPECT_EQ(sent.substr(sent.size() - std::min(sent.size(), park.size())), park) << sent;
        sent.resize(sent.size() - park.size());
    }
    return sent;
}

TEST(Presenting, FirstEveryCellThenOnlyRunsOfChangedCells) {
    ConsoleModel model(12, 3);
    TerminalScreen screen(10, 2, false, false);
    write(model, 0, 0, "abcdefghijkl");
    EXPECT_EQ(presented(screen, model), "\x1b[1Habcdefghij\x1b[2H          ");
    EXPECT_EQ(presented(screen, model), "");  // nothing changed: nothing to write at all

    struct Case {
        const char* name;
        int column;
        int row;
        std::string text;
        std::string sent;
    };
    const std::vector<Case> cases{
        {"one cell", 2, 0, "X", "\x1b[1;3HX"},
        {"the same again", 2, 0, "X", ""},
        {"two cells four apart: one run", 0, 1, "1    6", "\x1b[2H1    6"},
        {"beyond the window: clipped", 10, 0, "zz", ""},
        {"below the window: clipped", 0, 2, "below", ""},
    };
    for (const Case& c : cases) {
        write(model, c.column, c.row, c.text);
        EXPECT_EQ(presented(screen, model), c.sent) << c.name;
    }
}

TEST(Presenting, CellsFarApartAreSentAsRunsOfTheirOwn) {
    ConsoleModel model(12, 1);
    TerminalScreen screen(12, 1, false, false);
    presented(screen, model);  // shown once: what follows is only the changes
    write(model, 0, 0, "a");
    write(model, 6, 0, "b");  // five unchanged cells between
    write(model, 11, 0, "c");
    EXPECT_EQ(presented(screen, model), "\x1b[1Ha\x1b[1;7Hb    c");
}

TEST(Presenting, ResizeAndForgettingSendEverythingAgain) {
    ConsoleModel model(8, 4);
    model.writeText("ab\ncd", 5);
    TerminalScreen screen(3, 2, false, false);
    presented(screen, model);  // shown once: what follows is only the changes
    screen.forget();           // a resume: the window's cells are not known
    EXPECT_EQ(presented(screen, model), "\x1b[1Hab \x1b[2Hcd ");
    screen.resize(2, 1);
    EXPECT_EQ(presented(screen, model), "\x1b[1Hab");
    EXPECT_TRUE(screen.upToDate());
    screen.resize(4, 2);
    EXPECT_FALSE(screen.upToDate());
}

TEST(Presenting, AWindowFurtherDownShowsThoseRowsAndStopsAtTheBottom) {
    ConsoleModel model(3, 4);
    model.writeText("a\nb\nc\nd", 7);
    TerminalScreen screen(3, 2, false, false);
    EXPECT_EQ(presented(screen, model, 1), "\x1b[1Hb  \x1b[2Hc  ");
    EXPECT_EQ(screen.top(), 1);
    EXPECT_EQ(presented(screen, model, 1), "");
    EXPECT_EQ(presented(screen, model, 9), "\x1b[1Hc  \x1b[2Hd  ");  // no further than the end
    EXPECT_EQ(presented(screen, model, -3), "\x1b[1Ha  \x1b[2Hb  ");
}

TEST(Presenting, AWindowLargerThanTheBufferIsErasedBeyondIt) {
    ConsoleModel model(2, 1);
    TerminalScreen screen(5, 3, false, false);
    EXPECT_EQ(presented(screen, model), "\x1b[1H  \x1b[K\x1b[2H\x1b[J");
}

TEST(Presenting, WallGlyphFollowsTheLocaleAndControlBytesCannotReachTheTerminal) {
    const std::string row{WALL, ' ', 'X', '\x1b', '\n', static_cast<char>(0xB0)};
    struct Case {
        bool utf8;
        std::string shown;
    };
    for (const Case& c : std::vector<Case>{{true, "\xE2\x96\x88 X???"}, {false, "# X???"}}) {
        ConsoleModel model(6, 1);
        write(model, 0, 0, row);
        TerminalScreen screen(10, 1, c.utf8, false);
        EXPECT_EQ(presented(screen, model), "\x1b[1H" + c.shown + "\x1b[K") << c.utf8;
    }
}

TEST(Presenting, AColourChangeSendsEveryCellOnceUnlessColoursAreOff) {
    for (const bool colour : {true, false}) {
        ConsoleModel model(3, 1);
        write(model, 0, 0, "ab");
        TerminalScreen screen(3, 1, false, colour);
        EXPECT_EQ(presented(screen, model), colour ? "\x1b[1H\x1b[0mab " : "\x1b[1Hab ");
        model.setAttribute(0x3F);
        EXPECT_EQ(presented(screen, model), colour ? "\x1b[1H\x1b[0;97;46mab " : "") << colour;
        write(model, 2, 0, "c");
        EXPECT_EQ(presented(screen, model), "\x1b[1;3Hc") << "the colours stay in force";
    }
}

TEST(Presenting, AttributesBecomeTheTerminalsColours) {
    struct Case {
        std::uint8_t attribute;
        std::string sequence;
    };
    const std::vector<Case> cases{
        {0x07, "\x1b[0m"},         // the terminal's own colours
        {0x3F, "\x1b[0;97;46m"},   // bright white on aqua
        {0x1E, "\x1b[0;93;44m"},   // bright yellow on blue
        {0x70, "\x1b[0;30;47m"},   // black on light grey
        {0xC9, "\x1b[0;94;101m"},  // bright blue on bright red
    };
    for (const Case& c : cases) {
        EXPECT_EQ(coloursOf(c.attribute), c.sequence) << int{c.attribute};
    }
    EXPECT_EQ(cursorTo(11, 0), "\x1b[12H");
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
