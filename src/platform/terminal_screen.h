// What the terminal window should show of the frame rows, and the bytes that bring it there:
// only rows that changed since they were last sent, clipped to the window. Pure: no I/O.
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

class TerminalScreen {
public:
    // A window of `columns` x `rows` cells; `utf8` picks the wall glyph "█" over "#".
    TerminalScreen(int columns, int rows, bool utf8);

    int columns() const { return windowColumns; }
    int rows() const { return windowRows; }

    // The window changed size: rows keep what fits and all are sent again.
    void resize(int columns, int rows);

    // Stores single-byte characters for cells (column..) of a row; what lies outside the window
    // is clipped, never wrapped. False when the start lies outside the window.
    bool writeRow(int row, int column, const char* bytes, std::size_t length);

    // The window was repainted under the rows: every stored row is sent again.
    void resendAll();

    // The window was blanked: rows stored before are gone from it and from here.
    void forgetRows();

    // The bytes that bring the window up to date: each changed row placed with a cursor move.
    // They move the terminal's cursor; keeping the text cursor is the caller's part. Empty
    // when nothing changed.
    std::string present();

    // Blanks over every cell of the window, row by row, in whatever colours are in force.
    std::string paint() const;

private:
    struct Row {
        std::string wanted;  // the window's width of bytes
        int first = 0;       // columns [first, end) were written since the last blanking
        int end = 0;
        bool sentValid = false;  // `sent` is what the window shows at `sentFirst`
        int sentFirst = 0;
        std::string sent;
    };

    void appendShown(std::string& out, std::string_view bytes) const;

    int windowColumns;
    int windowRows;
    bool utf8Glyph;
    std::vector<Row> rowsWanted;
};
