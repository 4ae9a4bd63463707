// The console screen buffer: text at the cursor, rows written straight into the cells,
// clearing and colours.
#include "platform/console/console_model.h"

#include <algorithm>
#include <cstring>

ConsoleModel::ConsoleModel(int columns, int rows)
    : columnCount(std::max(columns, 1)),
      rowCount(std::max(rows, 1)),
      chars(static_cast<std::size_t>(columnCount) * static_cast<std::size_t>(rowCount), ' '),
      attributes(chars.size(), DEFAULT_ATTRIBUTE),
      rowMarks(static_cast<std::size_t>(rowCount), true) {}

void ConsoleModel::markRows(int first, int last) {
    ++changeCount;
    std::fill(rowMarks.begin() + first, rowMarks.begin() + last + 1, true);
}

void ConsoleModel::clearRowChanges() {
    std::fill(rowMarks.begin(), rowMarks.end(), false);
}

void ConsoleModel::scrollUp() {
    markAllRows();  // every row moved up one
    const auto width = static_cast<std::ptrdiff_t>(columnCount);
    std::copy(chars.begin() + width, chars.end(), chars.begin());
    std::fill(chars.end() - width, chars.end(), ' ');
    std::copy(attributes.begin() + width, attributes.end(), attributes.begin());
    std::fill(attributes.end() - width, attributes.end(), current);
}

// One character the way a console writes it; the wrap past the last column waits for the
// next character, so a row can be filled to its end without scrolling.
void ConsoleModel::put(char c) {
    if (c != '\n' && column >= columnCount) {
        column = 0;
        ++row;
    }
    if (c == '\n') {
        column = 0;
        ++row;
    }
    if (row >= rowCount) {
        scrollUp();
        row = rowCount - 1;
    }
    if (c == '\n') {
        return;
    }
    const std::size_t at = index(column, row);
    if (chars[at] != c || attributes[at] != current) {
        chars[at] = c;
        attributes[at] = current;
        markRows(row, row);
    }
    ++column;
}

void ConsoleModel::writeText(const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        put(text[i]);
    }
}

bool ConsoleModel::writeRow(int cellColumn, int cellRow, const char* text, std::size_t length) {
    if (cellColumn < 0 || cellRow < 0 || cellColumn >= columnCount || cellRow >= rowCount) {
        return false;
    }
    const std::size_t start = index(cellColumn, cellRow);
    const std::size_t count = std::min(length, chars.size() - start);
    char* cells = chars.data() + start;
    if (count == 0 || std::memcmp(cells, text, count) == 0) {
        return true;  // the same characters again
    }
    const auto first = std::mismatch(cells, cells + count, text).first - cells;
    // Only the rows from the first to the last differing cell are marked.
    std::size_t last = count - 1;
    while (cells[last] == text[last]) {
        --last;
    }
    std::memcpy(cells, text, count);
    const auto width = static_cast<std::size_t>(columnCount);
    markRows(static_cast<int>((start + static_cast<std::size_t>(first)) / width),
             static_cast<int>((start + last) / width));
    return true;
}

bool ConsoleModel::setCursor(int cellColumn, int cellRow) {
    if (cellColumn < 0 || cellRow < 0 || cellColumn >= columnCount || cellRow >= rowCount) {
        return false;
    }
    column = cellColumn;
    row = cellRow;
    return true;
}

void ConsoleModel::clear() {
    std::fill(chars.begin(), chars.end(), ' ');
    std::fill(attributes.begin(), attributes.end(), current);
    column = 0;
    row = 0;
    markAllRows();
}

void ConsoleModel::setAttribute(std::uint8_t attribute) {
    if (attribute == current) {
        return;  // every cell already has it: each write takes the current attribute
    }
    current = attribute;
    std::fill(attributes.begin(), attributes.end(), attribute);
    markAllRows();
}

void ConsoleModel::eraseBack() {
    if (column == 0 && row == 0) {
        return;
    }
    if (column == 0) {
        column = columnCount;
        --row;
    }
    --column;
    chars[index(column, row)] = ' ';
    attributes[index(column, row)] = current;
    markRows(row, row);
}

std::string ConsoleModel::rowText(int cellRow) const {
    if (cellRow < 0 || cellRow >= rowCount) {
        return std::string();
    }
    const auto start = chars.begin() + static_cast<std::ptrdiff_t>(index(0, cellRow));
    return std::string(start, start + columnCount);
}
