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

TerminalScreen::TerminalScreen(int columns, int rows, bool utf8)
    : windowColumns(0), windowRows(0), utf8Glyph(utf8) {
    resize(columns, rows);
}

void TerminalScreen::resize(int columns, int rows) {
    windowColumns = std::max(columns, 1);
    windowRows = std::max(rows, 1);
    rowsWanted.resize(static_cast<std::size_t>(windowRows));
    for (Row& row : rowsWanted) {
        row.wanted.resize(static_cast<std::size_t>(windowColumns), ' ');
        row.end = std::min(row.end, windowColumns);
        row.first = std::min(row.first, row.end);
        row.sentValid = false;
    }
}

bool TerminalScreen::writeRow(int row, int column, const char* bytes, std::size_t length) {
    if (row < 0 || row >= windowRows || column < 0 || column >= windowColumns) {
        return false;
    }
    const auto room = static_cast<std::size_t>(windowColumns - column);
    const std::size_t count = std::min(length, room);
    if (count == 0) {
        return true;
    }
    Row& target = rowsWanted[static_cast<std::size_t>(row)];
    target.wanted.replace(static_cast<std::size_t>(column), count, bytes, count);
    const int stop = column + static_cast<int>(count);
    if (target.first >= target.end) {
        target.first = column;
        target.end = stop;
    } else {
        target.first = std::min(target.first, column);
        target.end = std::max(target.end, stop);
    }
    return true;
}

void TerminalScreen::resendAll() {
    for (Row& row : rowsWanted) {
        row.sentValid = false;
    }
}

void TerminalScreen::forgetRows() {
    for (Row& row : rowsWanted) {
        row.first = 0;
        row.end = 0;
        row.sentValid = false;
    }
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
    for (std::size_t index = 0; index < rowsWanted.size(); ++index) {
        Row& row = rowsWanted[index];
        if (row.first >= row.end) {
            continue;  // nothing written on this row since the window was blanked
        }
        const std::string_view span = std::string_view(row.wanted)
                                          .substr(static_cast<std::size_t>(row.first),
                                                  static_cast<std::size_t>(row.end - row.first));
        if (row.sentValid && row.sentFirst == row.first && std::string_view(row.sent) == span) {
            continue;
        }
        if (rowsOut.empty()) {
            rowsOut.reserve(rowsWanted.size() * (span.size() * 3 + 16));
        }
        rowsOut += cursorTo(static_cast<int>(index), row.first);
        appendShown(rowsOut, span);
        row.sent.assign(span);  // reuses the row's storage
        row.sentFirst = row.first;
        row.sentValid = true;
    }
    return rowsOut;
}

std::string TerminalScreen::paint() const {
    std::string out;
    const std::string blanks(static_cast<std::size_t>(windowColumns), ' ');
    for (int row = 0; row < windowRows; ++row) {
        out += cursorTo(row, 0);
        out += blanks;
    }
    return out;
}
