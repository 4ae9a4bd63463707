// The console model behaves as a console's screen buffer: text at the cursor, rows straight
// into the cells, clearing, colours and taking typed characters back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console/console_model.h"
#include "platform/console/console_text.h"

namespace {

std::vector<std::string> rows(const ConsoleModel& model) {
    std::vector<std::string> out;
    for (int row = 0; row < model.rows(); ++row) {
        out.push_back(model.rowText(row));
    }
    return out;
}

void write(ConsoleModel& model, const std::string& text) {
    model.writeText(text.data(), text.size());
}

TEST(ConsoleText, LinesWrapAndScrollAsAConsoleWritesThem) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> shown;
        int column;
        int row;
    };
    const std::vector<Case> cases{
        {"line ends", "ab\ncd", {"ab  ", "cd  ", "    "}, 2, 1},
        {"a full row waits for the next character to wrap", "abcd", {"abcd", "    ", "    "}, 4, 0},
        {"past the last column", "abcdef", {"abcd", "ef  ", "    "}, 2, 1},
        {"below the last row: every row moves up", "a\nb\nc\nd", {"b   ", "c   ", "d   "}, 1, 2},
        {"a line end on the last row scrolls at once", "a\nb\nc\n", {"b   ", "c   ", "    "}, 0, 2},
        {"a carriage return is a character", "a\rb", {"a\rb ", "    ", "    "}, 3, 0},
    };
    for (const Case& c : cases) {
        ConsoleModel model(4, 3);
        write(model, c.text);
        EXPECT_EQ(rows(model), c.shown) << c.name;
        EXPECT_EQ(model.cursorColumn(), c.column) << c.name;
        EXPECT_EQ(model.cursorRow(), c.row) << c.name;
    }
}

TEST(ConsoleRows, RowsContinueOnTheNextRowsAndAreCutAtTheEnd) {
    ConsoleModel model(4, 2);
    ASSERT_TRUE(model.setCursor(1, 1));
    EXPECT_TRUE(model.writeRow(2, 0, "abcdefgh", 8));
    EXPECT_EQ(rows(model), (std::vector<std::string>{"  ab", "cdef"}));
    EXPECT_EQ(model.cursorColumn(), 1);  // rows leave the text cursor alone
    EXPECT_EQ(model.cursorRow(), 1);
    EXPECT_FALSE(model.writeRow(4, 0, "x", 1));  // starts outside: nothing written
    EXPECT_FALSE(model.writeRow(0, 2, "x", 1));
    EXPECT_FALSE(model.writeRow(-1, 0, "x", 1));
    EXPECT_EQ(rows(model), (std::vector<std::string>{"  ab", "cdef"}));
}

TEST(ConsoleCursor, StaysInsideTheBuffer) {
    ConsoleModel model(3, 2);
    EXPECT_TRUE(model.setCursor(2, 1));
    EXPECT_FALSE(model.setCursor(3, 0));
    EXPECT_FALSE(model.setCursor(0, 2));
    EXPECT_FALSE(model.setCursor(0, -1));
    EXPECT_EQ(model.cursorColumn(), 2);
    EXPECT_EQ(model.cursorRow(), 1);
}

TEST(ConsoleColours, ClearAndColourCoverEveryCell) {
    ConsoleModel model(3, 2);
    write(model, "abcd");
    EXPECT_EQ(model.attributeAt(0, 1), ConsoleModel::DEFAULT_ATTRIBUTE);
    model.setAttribute(0x3F);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(model.attributeAt(column, row), 0x3F);
        }
    }
    EXPECT_EQ(model.character(0, 1), 'd');  // colours leave the characters
    model.clear();
    EXPECT_EQ(rows(model), (std::vector<std::string>{"   ", "   "}));
    EXPECT_EQ(model.attributeAt(2, 1), 0x3F);  // blanked in the colours in force
    EXPECT_EQ(model.cursorColumn(), 0);
    EXPECT_EQ(model.cursorRow(), 0);
}

TEST(ConsoleText, ErasingBackGoesOverRowStartsAndStopsAtTheCorner) {
    ConsoleModel model(3, 2);
    write(model, "abcd");
    model.eraseBack();
    model.eraseBack();
    EXPECT_EQ(rows(model), (std::vector<std::string>{"ab ", "   "}));
    EXPECT_EQ(model.cursorColumn(), 2);
    EXPECT_EQ(model.cursorRow(), 0);
    model.eraseBack();
    model.eraseBack();
    model.eraseBack();  // nothing left before the corner
    EXPECT_EQ(rows(model), (std::vector<std::string>{"   ", "   "}));
    EXPECT_EQ(model.cursorColumn(), 0);
}

TEST(ConsoleChanges, OnlyRealChangesCount) {
    ConsoleModel model(4, 2);
    const auto before = model.changes();
    model.writeRow(0, 0, "    ", 4);  // the same blanks again
    model.setAttribute(ConsoleModel::DEFAULT_ATTRIBUTE);
    model.setCursor(0, 0);
    EXPECT_EQ(model.changes(), before);
    model.writeRow(0, 0, "a", 1);
    EXPECT_GT(model.changes(), before);
}

// Which rows carry a change mark after an action on a 4 x 4 model whose first row reads "ab"
// and whose marks were then cleared.
TEST(ConsoleChanges, MarksExactlyTheRowsThatChanged) {
    struct Case {
        const char* name;
        void (*action)(ConsoleModel&);
        std::vector<int> marked;
    };
    const std::vector<Case> cases{
        {"nothing", [](ConsoleModel&) {}, {}},
        {"the same characters again", [](ConsoleModel& m) { m.writeRow(0, 0, "ab  ", 4); }, {}},
        {"one cell of a row", [](ConsoleModel& m) { m.writeRow(1, 2, "x", 1); }, {2}},
        {"a long row: only the rows whose cells differ",
         [](ConsoleModel& m) { m.writeRow(0, 0, "ab      xy", 10); },
         {2}},
        {"a row going on over two rows",
         [](ConsoleModel& m) { m.writeRow(3, 1, "xy", 2); },
         {1, 2}},
        {"text at the cursor", [](ConsoleModel& m) { write(m, "\nabcde"); }, {1, 2}},
        {"the text cursor alone", [](ConsoleModel& m) { m.setCursor(2, 3); }, {}},
        {"taking a typed character back",
         [](ConsoleModel& m) {
             m.setCursor(0, 2);
             m.eraseBack();
         },
         {1}},
        {"a scroll moves every row",
         [](ConsoleModel& m) {
             m.setCursor(0, 3);
             write(m, "\n");
         },
         {0, 1, 2, 3}},
        {"clearing", [](ConsoleModel& m) { m.clear(); }, {0, 1, 2, 3}},
        {"new colours", [](ConsoleModel& m) { m.setAttribute(0x3F); }, {0, 1, 2, 3}},
        {"the colours in force again", [](ConsoleModel& m) { m.setAttribute(0x07); }, {}},
    };
    for (const Case& c : cases) {
        ConsoleModel model(4, 4);
        EXPECT_TRUE(model.rowChanged(3)) << c.name << ": a new model is all to be shown";
        write(model, "ab");
        model.clearRowChanges();
        const auto before = model.changes();
        c.action(model);
        std::vector<int> marked;
        for (int row = -1; row <= 4; ++row) {
            if (model.rowChanged(row)) {
                marked.push_back(row);
            }
        }
        EXPECT_EQ(marked, c.marked) << c.name;
        EXPECT_EQ(model.changes() != before, !c.marked.empty()) << c.name;
    }
}

TEST(ConsoleText, StreamOutputGoesToTheModelAtItsCursor) {
    ConsoleModel model(6, 2);
    ConsoleTextBuffer buffer(model);
    std::ostream out(&buffer);
    model.setCursor(2, 0);
    out << "ab" << 7 << '\n' << "x";
    out.flush();
    EXPECT_EQ(rows(model), (std::vector<std::string>{"  ab7 ", "x     "}));
}

}  // namespace
