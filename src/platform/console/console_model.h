// A console's screen buffer as a console window keeps it: cells of a character and a colour
// attribute, and the text cursor where text goes next. Platforms without a console of their
// own keep one of these and show it. Pure: no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ConsoleModel {
public:
    static constexpr std::uint8_t DEFAULT_ATTRIBUTE = 0x07;  // light grey on black

    // A blank buffer of `columns` x `rows` cells (at least 1 x 1) in the default attribute,
    // the text cursor at the top-left corner.
    ConsoleModel(int columns, int rows);

    int columns() const { return columnCount; }
    int rows() const { return rowCount; }

    // Text at the text cursor: '\n' ends the line, a character past the last column goes on
    // at the start of the next row, and going below the last row scrolls every row up. Every
    // other byte is a character; written cells take the current attribute.
    void writeText(const char* text, std::size_t length);

    // Characters from (column, row) on, continuing on the next rows when longer than the
    // buffer is wide and cut at its end; the cells keep their attributes and the text cursor
    // stays. False, writing nothing, when the start lies outside the buffer.
    bool writeRow(int column, int row, const char* chars, std::size_t length);

    // Moves the text cursor; false (and the cursor unmoved) outside the buffer.
    bool setCursor(int column, int row);
    int cursorColumn() const { return column; }
    int cursorRow() const { return row; }

    // Every cell blank in the current attribute, the text cursor home.
    void clear();

    // Every cell, and what is written from now on, in `attribute`.
    void setAttribute(std::uint8_t attribute);
    std::uint8_t attribute() const { return current; }

    // Moves the text cursor back one cell (to the end of the previous row from the start of
    // one) and blanks that cell: a typed character taken back. Nothing at the top-left corner.
    void eraseBack();

    char character(int cellColumn, int cellRow) const { return chars[index(cellColumn, cellRow)]; }
    std::uint8_t attributeAt(int cellColumn, int cellRow) const {
        return attributes[index(cellColumn, cellRow)];
    }
    // A row's cells, `columns()` of them, for comparing whole rows at once.
    const char* rowCharacters(int cellRow) const { return chars.data() + index(0, cellRow); }
    const std::uint8_t* rowAttributes(int cellRow) const {
        return attributes.data() + index(0, cellRow);
    }

    // The characters of a row, untrimmed; empty outside the buffer.
    std::string rowText(int cellRow) const;

    // Counts the changes of cells (not of the cursor): an unchanged count means the same cells.
    std::uint64_t changes() const { return changeCount; }

    // The change marks: a row is marked when any of its cells changed since the marks were
    // last cleared, so a presenter redraws only the marked rows and then clears the marks.
    // A new model has every row marked (nothing of it was shown yet).
    bool rowChanged(int cellRow) const {
        return cellRow >= 0 && cellRow < rowCount && rowMarks[static_cast<std::size_t>(cellRow)];
    }
    void clearRowChanges();

private:
    std::size_t index(int cellColumn, int cellRow) const {
        return static_cast<std::size_t>(cellRow) * static_cast<std::size_t>(columnCount) +
               static_cast<std::size_t>(cellColumn);
    }
    void put(char c);
    void scrollUp();
    void markRows(int first, int last);  // rows first to last, counted as one change
    void markAllRows() { markRows(0, rowCount - 1); }

    int columnCount;
    int rowCount;
    std::vector<char> chars;
    std::vector<std::uint8_t> attributes;
    std::uint8_t current = DEFAULT_ATTRIBUTE;
    int column = 0;
    int row = 0;
    std::uint64_t changeCount = 0;
    std::vector<bool> rowMarks;
};
