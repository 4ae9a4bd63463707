// The frame rows as the terminal window should show them, and the row-by-row updates.
#include "platform/terminal_screen.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

constexpr unsigned char BLOCK_BYTE = 219;  // the wall glyph in the game's single-byte charset
constexpr const char* BLOCK_UTF8 = "\xE2\x96\x88";
constexpr char BLOCK_FALLBACK = '#';

bool isSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

std::string cursorTo(int row, int column) {
    return "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H";
}

bool localeIsUtf8(const char* lcAll, const char* lcCtype, const char* lang) {
    const char* name = isSet(lcAll) ? lcAll : isSet(lcCtype) ? lcCtype : lang;
    if (!isSet(name)) {
        return false;
    }
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

TerminalScreen::TerminalScreen(int columns, int rows, bool utf8) : utf8Glyph(utf8) {
    resize(columns, rows);
}

void TerminalScreen::resize(int columns, int rows) {
    windowColumns = std::max(columns, 1);
    windowRows = std::max(rows, 1);
    keptColumns = std::min(windowColumns, SCREEN_MAX_COLUMNS);
    keptRows = std::min(windowRows, SCREEN_MAX_ROWS);
    wantedRows.resize(static_cast<std::size_t>(keptRows));
    sentRows.assign(static_cast<std::size_t>(keptRows), Sent{});
    for (Wanted& row : wantedRows) {
        row.cells.resize(static_cast<std::size_t>(keptColumns), ' ');
        row.end = std::min(row.end, keptColumns);
        row.first = std::min(row.first, row.end);
    }
    cursorRow = std::min(cursorRow, keptRows - 1);
    cursorColumn = std::min(cursorColumn, keptColumns);
}

void TerminalScreen::mark(Wanted& row, int first, int end) {
    if (row.first >= row.end) {
        row.first = first;
        row.end = end;
    } else {
        row.first = std::min(row.first, first);
        row.end = std::max(row.end, end);
    }
}

bool TerminalScreen::writeRow(int row, int column, const char* bytes, std::size_t length) {
    if (row < 0 || row >= keptRows || column < 0 || column >= keptColumns) {
        return false;
    }
    const auto room = static_cast<std::size_t>(keptColumns - column);
    const std::size_t count = std::min(length, room);
    if (count == 0) {
        return true;
    }
    Wanted& target = wantedRows[static_cast<std::size_t>(row)];
    target.cells.replace(static_cast<std::size_t>(column), count, bytes, count);
    mark(target, column, column + static_cast<int>(count));
    return true;
}

bool TerminalScreen::setTextCursor(int row, int column) {
    if (row < 0 || row >= keptRows || column < 0 || column >= keptColumns) {
        return false;
    }
    cursorRow = row;
    cursorColumn = column;
    return true;
}

void TerminalScreen::writeText(const char* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        putText(bytes[i]);
    }
}

// The window keeps showing its old rows: only what the rows should show moves up.
void TerminalScreen::scrollUp() {
    std::rotate(wantedRows.begin(), wantedRows.begin() + 1, wantedRows.end());
    Wanted& last = wantedRows.back();
    std::fill(last.cells.begin(), last.cells.end(), ' ');
    last.first = 0;
    last.end = 0;
}

void TerminalScreen::putText(char c) {
    if (c == '\r') {
        cursorColumn = 0;
        return;
    }
    if (c == '\n' || cursorColumn >= keptColumns) {
        cursorColumn = 0;
        ++cursorRow;
    }
    if (cursorRow >= keptRows) {
        scrollUp();
        cursorRow = keptRows - 1;
    }
    if (c == '\n') {
        return;
    }
    Wanted& row = wantedRows[static_cast<std::size_t>(cursorRow)];
    row.cells[static_cast<std::size_t>(cursorColumn)] = c;
    mark(row, cursorColumn, cursorColumn + 1);
    ++cursorColumn;
}

void TerminalScreen::resendAll() {
    std::fill(sentRows.begin(), sentRows.end(), Sent{});
}

void TerminalScreen::forgetRows() {
    for (Wanted& row : wantedRows) {
        std::fill(row.cells.begin(), row.cells.end(), ' ');
        row.first = 0;
        row.end = 0;
    }
    resendAll();
    cursorRow = 0;
    cursorColumn = 0;
}

// Printable ASCII goes as it is, the wall byte as the glyph the locale can show, anything
// else (control bytes above all) as '?', so no frame byte can move the cursor or change modes.
void TerminalScreen::appendShown(std::string& out, std::string_view bytes) const {
    const std::string_view glyph =
        utf8Glyph ? std::string_view(BLOCK_UTF8) : std::string_view(&BLOCK_FALLBACK, 1);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == BLOCK_BYTE) {
            out.append(glyph);
        } else if (byte >= 0x20 && byte < 0x7F) {
            out.push_back(c);
        } else {
            out.push_back('?');
        }
    }
}

std::string TerminalScreen::present() {
    std::string rowsOut;
    for (std::size_t index = 0; index < wantedRows.size(); ++index) {
        const Wanted& row = wantedRows[index];
        Sent& sent = sentRows[index];
        int first = row.first;
        int end = row.end;
        if (sent.valid && !sent.cells.empty()) {
            // What the window shows beyond the written part is overwritten with blanks.
            const int sentEnd = sent.first + static_cast<int>(sent.cells.size());
            first = first < end ? std::min(first, sent.first) : sent.first;
            end = std::min(std::max(end, sentEnd), keptColumns);
        }
        if (first >= end) {
            continue;  // nothing written on this row since the window was blanked
        }
        const std::string_view span = std::string_view(row.cells).substr(
            static_cast<std::size_t>(first), static_cast<std::size_t>(end - first));
        if (sent.valid && sent.first == first && std::string_view(sent.cells) == span) {
            continue;
        }
        if (rowsOut.empty()) {
            rowsOut.reserve(wantedRows.size() * (span.size() * 3 + 16));
        }
        rowsOut += cursorTo(static_cast<int>(index), first);
        appendShown(rowsOut, span);
        sent.cells.assign(span);  // reuses the row's storage
        sent.first = first;
        sent.valid = true;
    }
    return rowsOut;
}

std::string TerminalScreen::paint() const {
    std::string out;
    const std::string blanks(static_cast<std::size_t>(keptColumns), ' ');
    const bool wider = windowColumns > keptColumns;
    for (int row = 0; row < keptRows; ++row) {
        out += cursorTo(row, 0);
        out += blanks;
        if (wider) {
            out += "\x1b[K";  // erase to the end of the line
        }
    }
    if (windowRows > keptRows) {
        out += cursorTo(keptRows, 0) + "\x1b[J";  // erase every row below
    }
    return out;
}
