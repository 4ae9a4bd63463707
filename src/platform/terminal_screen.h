// What the terminal window should show, frame rows and text alike, and the bytes that bring it
// there: only rows that changed since they were last sent, clipped to the window. Pure: no I/O.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The sequence that moves the terminal's cursor to a zero-based row and column.
std::string cursorTo(int row, int column);

// True when the locale the environment names (LC_ALL, else LC_CTYPE, else LANG; null or empty
// means unset) uses UTF-8, so the terminal can show the full-block glyph.
bool localeIsUtf8(const char* lcAll, const char* lcCtype, const char* lang);

// Nothing the game shows is larger than this (the largest frame; the menu and the settings
// text fit inside it), so a window larger than this is clipped, never stored cell by cell.
constexpr int SCREEN_MAX_COLUMNS = 512;
constexpr int SCREEN_MAX_ROWS = 512;

class TerminalScreen {
public:
    // A window of `columns` x `rows` cells; `utf8` picks the wall glyph "█" over "#".
    TerminalScreen(int columns, int rows, bool utf8);

    // The cells kept: the window's, up to SCREEN_MAX_COLUMNS x SCREEN_MAX_ROWS.
    int columns() const { return keptColumns; }
    int rows() const { return keptRows; }

    // The window changed size: rows keep what fits and all are sent again.
    void resize(int columns, int rows);

    // Text at the text cursor, as a console shows it: '\n' ends the line, '\r' goes back to its
    // start, a character past the last column continues on the next row, and going below the
    // last row scrolls every row up.
    void writeText(const char* bytes, std::size_t length);

    // Moves the text cursor; false (and the cursor unmoved) outside the kept cells.
    bool setTextCursor(int row, int column);
    int textRow() const { return cursorRow; }
    int textColumn() const { return cursorColumn; }

    // Stores single-byte characters for cells (column..) of a row; what lies outside the window
    // is clipped, never wrapped. False when the start lies outside the window.
    bool writeRow(int row, int column, const char* bytes, std::size_t length);

    // The window was repainted under the rows: every stored row is sent again.
    void resendAll();

    // The window was blanked: rows stored before are gone from it and from here, and the text
    // cursor is home.
    void forgetRows();

    // The bytes that bring the window up to date: each changed row placed with a cursor move.
    // They move the terminal's cursor; keeping the text cursor is the caller's part. Empty
    // when nothing changed.
    std::string present();

    // Blanks over every cell of the window, row by row, in whatever colours are in force:
    // the kept cells one by one, the rest of a larger window by erasing.
    std::string paint() const;

private:
    // What a row should show; scrolling moves these, not what the window shows.
    struct Wanted {
        std::string cells;  // the kept width of bytes
        int first = 0;      // columns [first, end) were written since the last blanking
        int end = 0;
    };
    // What the window shows on a row, as last sent.
    struct Sent {
        bool valid = false;  // `cells` is what the window shows at `first`
        int first = 0;
        std::string cells;
    };

    void mark(Wanted& row, int first, int end);
    void putText(char c);
    void scrollUp();
    void appendShown(std::string& out, std::string_view bytes) const;

    int windowColumns = 0;
    int windowRows = 0;
    int keptColumns = 0;
    int keptRows = 0;
    int cursorRow = 0;
    int cursorColumn = 0;
    bool utf8Glyph;
    std::vector<Wanted> wantedRows;
    std::vector<Sent> sentRows;
};
