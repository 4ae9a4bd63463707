// The console model as the terminal window shows it, and the cell-by-cell updates.
#include "platform/terminal/terminal_screen.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "platform/console/console_facts.h"

namespace terminal_platform {

namespace {

constexpr char BLOCK_FALLBACK = '#';  // the wall where the locale cannot show the full block
// Unchanged cells this few between two changed ones are sent again rather than paying for a
// second cursor move.
constexpr int JOIN_GAP = 4;
// After each presentation the hidden cursor waits at the window's top-left: a terminal that
// keeps the cursor's row in view when its window shrinks then scrolls neither screen.
constexpr const char PARK_CURSOR[] = "\x1b[H";

bool isSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

std::string cursorTo(int row, int column) {
    // The column is left out where it is the first, as it defaults to that.
    const std::string to = "\x1b[" + std::to_string(row + 1);
    return column == 0 ? to + "H" : to + ";" + std::to_string(column + 1) + "H";
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

std::string coloursOf(std::uint8_t attribute) {
    if (attribute == ConsoleModel::DEFAULT_ATTRIBUTE) {
        return "\x1b[0m";
    }
    // The console's blue-green-red bits in the order of the terminal's colour numbers.
    constexpr std::array<int, 8> TERMINAL_COLOUR{0, 4, 2, 6, 1, 5, 3, 7};
    const int foreground = attribute & 0x0F;
    const int background = attribute >> 4;
    const int fg = ((foreground & 8) != 0 ? 90 : 30) + TERMINAL_COLOUR[foreground & 7];
    const int bg = ((background & 8) != 0 ? 100 : 40) + TERMINAL_COLOUR[background & 7];
    return "\x1b[0;" + std::to_string(fg) + ";" + std::to_string(bg) + "m";
}

TerminalScreen::TerminalScreen(int columns, int rows, bool utf8, bool colour)
    : windowColumns(std::max(columns, 1)),
      windowRows(std::max(rows, 1)),
      utf8Glyph(utf8),
      colourAllowed(colour) {}

void TerminalScreen::resize(int columns, int rows) {
    windowColumns = std::max(columns, 1);
    windowRows = std::max(rows, 1);
    known = false;
}

void TerminalScreen::forget() {
    known = false;
    colours = -1;
}

// Printable ASCII goes as it is, the wall byte as the glyph the locale can show, anything
// else (control bytes above all) as '?', so no cell can move the cursor or change modes.
void TerminalScreen::appendCell(std::string& out, char c, std::uint8_t attribute) {
    if (colourAllowed && attribute != colours) {
        out += coloursOf(attribute);
        colours = attribute;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte == WALL_BYTE) {
        if (utf8Glyph) {
            out.append(WALL_UTF8, sizeof WALL_UTF8 - 1);
        } else {
            out.push_back(BLOCK_FALLBACK);
        }
    } else if (byte >= 0x20 && byte < 0x7F) {
        out.push_back(c);
    } else {
        out.push_back('?');
    }
}

void TerminalScreen::appendRun(std::string& out, const ConsoleModel& model, int row, int first,
                               int end) {
    out += cursorTo(row, first);
    for (int column = first; column < end; ++column) {
        const char c = model.character(column, shownTop + row);
        const std::uint8_t attribute = model.attributeAt(column, shownTop + row);
        appendCell(out, c, attribute);
        const auto at = static_cast<std::size_t>(row) * static_cast<std::size_t>(shownColumns) +
                        static_cast<std::size_t>(column);
        shownChars[at] = c;
        shownAttributes[at] = attribute;
    }
}

std::string TerminalScreen::present(const ConsoleModel& model, int top) {
    std::string out;
    top = std::clamp(top, 0, std::max(model.rows() - windowRows, 0));
    const int columns = std::min(windowColumns, model.columns());
    const int rows = std::min(windowRows, model.rows() - top);
    if (top != shownTop) {
        shownTop = top;
        known = false;  // the window scrolled: every row shows another one
    }
    if (!known || columns != shownColumns || rows != shownRows) {
        shownColumns = columns;
        shownRows = rows;
        const auto cells = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
        shownChars.assign(cells, ' ');
        shownAttributes.assign(cells, ConsoleModel::DEFAULT_ATTRIBUTE);
        out.reserve(cells + static_cast<std::size_t>(rows) * 16);
        for (int row = 0; row < rows; ++row) {
            appendRun(out, model, row, 0, columns);
            if (windowColumns > columns) {
                out += "\x1b[K";  // the window beyond the buffer's right edge
            }
        }
        if (windowRows > rows) {
            out += cursorTo(rows, 0) + "\x1b[J";  // and below its last row
        }
        known = true;
        shownChanges = model.changes();
        return out + PARK_CURSOR;
    }
    if (model.changes() == shownChanges) {
        return out;  // not a cell of the model changed since the last presentation
    }
    shownChanges = model.changes();
    const auto width = static_cast<std::size_t>(columns);
    for (int row = 0; row < rows; ++row) {
        if (!model.rowChanged(top + row)) {
            continue;  // not a cell of the row changed since the last presentation
        }
        const std::size_t rowStart = static_cast<std::size_t>(row) * width;
        const auto differs = [&](int column) {
            const std::size_t at = rowStart + static_cast<std::size_t>(column);
            return shownChars[at] != model.character(column, top + row) ||
                   (colourAllowed && shownAttributes[at] != model.attributeAt(column, top + row));
        };
        int column = 0;
        while (column < columns) {
            if (!differs(column)) {
                ++column;
                continue;
            }
            const int first = column;
            int end = column + 1;
            for (int next = end; next < columns && next - end <= JOIN_GAP; ++next) {
                if (differs(next)) {
                    end = next + 1;
                }
            }
            appendRun(out, model, row, first, end);
            column = end;
        }
    }
    if (!out.empty()) {
        out += PARK_CURSOR;
    }
    return out;
}

}  // namespace terminal_platform
