// Typed lines at the settings prompt: what a terminal user's keys do to the line and to the
// screen, and the standard input stream the lines are read through.
#include <gtest/gtest.h>

#include <algorithm>
#include <istream>
#include <string>
#include <vector>

#include "platform/console/line_editor.h"
#include "platform/console/typed_input.h"

namespace {

struct Typed {
    std::string line;  // the finished line, or "" when none finished
    LineStatus last;
    std::string screen;  // row 0 of the console, trailing blanks cut
    int column;          // where the text cursor ends
};

// The finished line, copied out in small pieces as a stream's reads take it.
std::string handedOut(LineEditor& editor) {
    std::string line;
    char piece[7];
    for (std::size_t count; (count = editor.copyLine(piece, sizeof piece)) > 0;) {
        line.append(piece, count);
    }
    return line;
}

Typed type(const std::string& keys) {
    ConsoleModel model(12, 2);
    model.writeText("W? ", 3);
    LineEditor editor;
    Typed typed{"", LineStatus::Editing, "", 0};
    for (const char key : keys) {
        typed.last = editor.take(key, model);
        if (typed.last == LineStatus::Done) {
            typed.line = handedOut(editor);
        }
    }
    typed.screen = model.rowText(0);
    typed.screen.erase(typed.screen.find_last_not_of(' ') + 1);
    typed.column = model.cursorColumn();
    return typed;
}

TEST(LineEditing, KeysEditTheLineAndItsEcho) {
    struct Case {
        const char* name;
        std::string keys;
        std::string line;
        LineStatus last;
        std::string screen;
        int column;
    };
    const std::vector<Case> cases{
        {"digits and Enter", "80\r", "80\n", LineStatus::Done, "W? 80", 0},
        {"a line feed ends it too", "25\n", "25\n", LineStatus::Done, "W? 25", 0},
        {"Backspace takes the last character back", "81\1770", "", LineStatus::Editing, "W? 80", 5},
        {"Ctrl+H as well, never past the prompt", "8\b\b\b", "", LineStatus::Editing, "W?", 3},
        {"Ctrl+U takes the whole line back", "123\0259\r", "9\n", LineStatus::Done, "W? 9", 0},
        {"Ctrl+W takes the last word back", "80 25\x17", "", LineStatus::Editing, "W? 80", 6},
        {"Ctrl+D on an empty line ends the input", "\x04", "", LineStatus::EndOfInput, "W?", 3},
        {"Ctrl+D after text hands it over as it is", "12\x04", "12", LineStatus::Done, "W? 12", 5},
        {"control bytes are dropped, Escape too", "1\001\007\0332", "", LineStatus::Editing,
         "W? 12", 5},
        {"non-ASCII characters are kept, each echoed as one cell", "\331\250\331\240\r",
         "\331\250\331\240\n", LineStatus::Done, "W? ??", 0},
        {"Backspace takes a whole non-ASCII character back", "8\303\251\177\r", "8\n",
         LineStatus::Done, "W? 8", 0},
        {"the wall byte typed is no wall on the screen", "\333\r", "\333\n", LineStatus::Done,
         "W? ?", 0},
    };
    for (const Case& c : cases) {
        const Typed typed = type(c.keys);
        EXPECT_EQ(typed.line, c.line) << c.name;
        EXPECT_EQ(typed.last, c.last) << c.name;
        EXPECT_EQ(typed.screen, c.screen) << c.name;
        EXPECT_EQ(typed.column, c.column) << c.name;
    }
}

TEST(LineEditing, ALineOfTooManyRunsIsCutThereAndTheNextOneStartsAfresh) {
    ConsoleModel model(600, 3);
    LineEditor editor;
    for (std::size_t i = 0; i < LineEditor::MAX_RUNS + 20; ++i) {
        editor.take(i % 2 == 0 ? '1' : '2', model);
    }
    ASSERT_EQ(editor.take('\r', model), LineStatus::Done);
    const std::string cut = handedOut(editor);
    EXPECT_EQ(cut, cut.substr(0, LineEditor::MAX_RUNS) + "\n");  // the line end is kept
    EXPECT_EQ(cut.size(), LineEditor::MAX_RUNS + 1);
    editor.take('5', model);
    ASSERT_EQ(editor.take('\r', model), LineStatus::Done);
    EXPECT_EQ(handedOut(editor), "5\n");
}

TEST(TextStreams, TypedLinesFeedExtractionAndAnEmptyReadIsEndOfInput) {
    std::vector<std::string> lines{"80 2", "5\n", "abc\n"};
    std::size_t next = 0;
    TypedInputBuffer buffer([&](char* into, std::size_t capacity) -> std::size_t {
        if (next >= lines.size()) {
            return 0;  // Ctrl+D
        }
        const std::string& line = lines[next++];
        const std::size_t count = std::min(capacity, line.size());
        line.copy(into, count);
        return count;
    });
    std::istream in(&buffer);
    int width = 0;
    int height = 0;
    in >> width >> height;  // "25" arrives in two reads
    EXPECT_EQ(width, 80);
    EXPECT_EQ(height, 25);
    int value = 7;
    in >> value;
    EXPECT_TRUE(in.fail());
    in.clear();
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "abc");
    in >> rest;
    EXPECT_TRUE(in.eof());
}

}  // namespace
