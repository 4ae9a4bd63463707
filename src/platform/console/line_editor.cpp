// The settings screen's line editing.
#include "platform/console/line_editor.h"

#include <algorithm>

namespace {

constexpr char END_OF_INPUT = 0x04;  // Ctrl+D
constexpr char BACKSPACE = 0x08;     // Ctrl+H
constexpr char ERASE_LINE = 0x15;    // Ctrl+U
constexpr char ERASE_WORD = 0x17;    // Ctrl+W
constexpr char DELETE = 0x7f;        // what the Backspace key sends
// A character the console cannot show (any non-ASCII one) is echoed as this, one cell for
// each, so the echo never holds a byte that means something else there (the wall glyph).
constexpr char UNSHOWN = '?';

bool isContinuation(unsigned char byte) {
    return byte >= 0x80 && byte < 0xC0;
}

}  // namespace

// The byte `fromEnd` places before the line's last one (0: the last), or 0 past its start.
char LineEditor::lastByte(std::size_t fromEnd) const {
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (fromEnd < run->count) {
            return run->byte;
        }
        fromEnd -= run->count;
    }
    return 0;
}

void LineEditor::popByte() {
    if (--runs.back().count == 0) {
        runs.pop_back();
    }
}

// A UTF-8 character's bytes after the first share its cell; every other byte has a cell.
void LineEditor::append(char byte, ConsoleModel& model) {
    const auto code = static_cast<unsigned char>(byte);
    const bool ownCell = !isContinuation(code) || static_cast<unsigned char>(lastByte(0)) < 0x80;
    if (dropping) {
        return;  // what is kept stays the start of what was typed
    }
    if (!runs.empty() && runs.back().byte == byte) {
        ++runs.back().count;
    } else if (runs.size() < MAX_RUNS) {
        runs.push_back(Run{byte, 1});
    } else {
        dropping = true;
        return;
    }
    if (ownCell) {
        const char shown = code < 0x80 ? byte : UNSHOWN;
        model.writeText(&shown, 1);
    }
}

// The last character and its cell: the bytes that shared a cell go with the one that had it.
void LineEditor::takeBackCharacter(ConsoleModel& model) {
    dropping = false;
    while (!runs.empty()) {
        const auto last = static_cast<unsigned char>(lastByte(0));
        const bool sharedCell =
            isContinuation(last) && static_cast<unsigned char>(lastByte(1)) >= 0x80;
        popByte();
        if (!sharedCell) {
            model.eraseBack();
            return;
        }
    }
}

LineStatus LineEditor::take(char byte, ConsoleModel& model) {
    if (finished) {
        runs.clear();
        finished = false;
        dropping = false;
    }
    switch (byte) {
        case '\r':
        case '\n':
            runs.push_back(Run{'\n', 1});  // past the limit too: the line must end
            model.writeText("\n", 1);
            break;
        case END_OF_INPUT:
            if (runs.empty()) {
                return LineStatus::EndOfInput;
            }
            break;  // what was typed goes as it is, as a terminal's line editor does
        case BACKSPACE:
        case DELETE:
            takeBackCharacter(model);
            return LineStatus::Editing;
        case ERASE_LINE:
            while (!runs.empty()) {
                takeBackCharacter(model);
            }
            return LineStatus::Editing;
        case ERASE_WORD:
            while (!runs.empty() && lastByte(0) == ' ') {
                takeBackCharacter(model);
            }
            while (!runs.empty() && lastByte(0) != ' ') {
                takeBackCharacter(model);
            }
            return LineStatus::Editing;
        default:
            // Control bytes are keys, not text; everything else is, UTF-8 included.
            if (static_cast<unsigned char>(byte) >= 0x20) {
                append(byte, model);
            }
            return LineStatus::Editing;
    }
    finished = true;
    handedRun = 0;
    handedInRun = 0;
    return LineStatus::Done;
}

std::size_t LineEditor::copyLine(char* out, std::size_t capacity) {
    std::size_t copied = 0;
    while (finished && copied < capacity && handedRun < runs.size()) {
        const Run& run = runs[handedRun];
        const std::size_t count = std::min(run.count - handedInRun, capacity - copied);
        std::fill_n(out + copied, count, run.byte);
        copied += count;
        handedInRun += count;
        if (handedInRun == run.count) {
            ++handedRun;
            handedInRun = 0;
        }
    }
    return copied;
}
