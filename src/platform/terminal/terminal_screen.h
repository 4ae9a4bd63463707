// What the terminal window shows of the console model, and the bytes that bring it up to date:
// the model's top-left part, clipped to the window, as a console window shows its buffer; only
// the cells that differ from what the window is known to show. Pure: no I/O.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/console/console_model.h"

namespace terminal_platform {

// The sequence that moves the terminal's cursor to a zero-based row and column.
std::string cursorTo(int row, int column);

// True when the locale the environment names (LC_ALL, else LC_CTYPE, else LANG; null or empty
// means unset) uses UTF-8, so the terminal can show the full-block glyph.
bool localeIsUtf8(const char* lcAll, const char* lcCtype, const char* lang);

// The colours of a console attribute (foreground in the low four bits, background in the high
// four, each blue 1, green 2, red 4, bright 8) as a terminal's SGR sequence; the default
// attribute is the terminal's own colours.
std::string coloursOf(std::uint8_t attribute);

class TerminalScreen {
public:
    // A window of `columns` x `rows` cells; `utf8` picks the wall glyph "█" over "#";
    // `colour` false keeps the terminal's own colours whatever the attributes say.
    TerminalScreen(int columns, int rows, bool utf8, bool colour);

    int columns() const { return windowColumns; }
    int rows() const { return windowRows; }

    // The window changed size: everything is sent again at the next presentation.
    void resize(int columns, int rows);

    // The model's row that the window's first row shows.
    int top() const { return shownTop; }

    // True while the window is known to show what the last presentation sent.
    bool upToDate() const { return known; }

    // What the window shows is no longer known (a resume, a new screen): everything is sent
    // again at the next presentation.
    void forget();

    // The bytes that make the window show `model` from its row `top` on: in the rows the
    // model marks as changed, each run of cells that differ from what the window shows placed
    // with one cursor move, colours set where they change (the caller clears the marks once
    // the bytes are sent); after a resize or
    // forget(), every cell the window shows, and what lies beyond the model erased; then the
    // cursor back to the window's top-left. Empty when nothing changed.
    std::string present(const ConsoleModel& model, int top = 0);

private:
    void appendCell(std::string& out, char c, std::uint8_t attribute);
    void appendRun(std::string& out, const ConsoleModel& model, int row, int first, int end);

    int shownTop = 0;  // the model's row on the window's first row

    int windowColumns;
    int windowRows;
    bool utf8Glyph;
    bool colourAllowed;
    bool known = false;    // shownChars and shownAttributes are what the window shows
    int shownColumns = 0;  // the part of the window the model covers
    int shownRows = 0;
    int colours = -1;                // the attribute whose colours are in force; -1: not known
    std::uint64_t shownChanges = 0;  // the model's change count at the last presentation
    std::vector<char> shownChars;
    std::vector<std::uint8_t> shownAttributes;
};

}  // namespace terminal_platform
