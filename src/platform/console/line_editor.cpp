// The settings screen's line editing.
#include "platform/console/line_editor.h"

namespace {

constexpr char END_OF_INPUT = 0x04;  // Ctrl+D
constexpr char BACKSPACE = 0x08;     // Ctrl+H
constexpr char ERASE_LINE = 0x15;    // Ctrl+U
constexpr char ERASE_WORD = 0x17;    // Ctrl+W
constexpr char ESCAPE = 0x1b;
constexpr char DELETE = 0x7f;  // what the Backspace key sends

}  // namespace

void LineEditor::takeBack(std::size_t count, ConsoleModel& model) {
    for (; count > 0 && !text.empty(); --count) {
        text.pop_back();
        model.eraseBack();
    }
}

LineStatus LineEditor::take(char byte, ConsoleModel& model) {
    if (finished) {
        text.clear();
        finished = false;
    }
    switch (escape) {
        case Escape::Started:
            escape = byte == '['   ? Escape::Sequence
                     : byte == 'O' ? Escape::SingleShift
                                   : Escape::None;
            return LineStatus::Editing;
        case Escape::Sequence:
            if (byte >= 0x40 && byte <= 0x7e) {
                escape = Escape::None;  // the final byte
            }
            return LineStatus::Editing;
        case Escape::SingleShift:
            escape = Escape::None;
            return LineStatus::Editing;
        case Escape::None:
            break;
    }
    switch (byte) {
        case '\r':
        case '\n':
            text.push_back('\n');
            model.writeText("\n", 1);
            finished = true;
            return LineStatus::Done;
        case END_OF_INPUT:
            if (text.empty()) {
                return LineStatus::EndOfInput;
            }
            finished = true;  // what was typed goes as it is, as a terminal's line editor does
            return LineStatus::Done;
        case BACKSPACE:
        case DELETE:
            takeBack(1, model);
            return LineStatus::Editing;
        case ERASE_LINE:
            takeBack(text.size(), model);
            return LineStatus::Editing;
        case ERASE_WORD: {
            const std::size_t lastWord = text.find_last_not_of(' ');
            const std::size_t wordStart =
                lastWord == std::string::npos ? 0 : text.find_last_of(' ', lastWord) + 1;
            takeBack(text.size() - (lastWord == std::string::npos ? 0 : wordStart), model);
            return LineStatus::Editing;
        }
        case ESCAPE:
            escape = Escape::Started;
            return LineStatus::Editing;
        default:
            break;
    }
    const auto code = static_cast<unsigned char>(byte);
    if (code >= 0x20 && code < 0x7f && text.size() < MAX_LINE) {
        text.push_back(byte);
        model.writeText(&byte, 1);
    }
    return LineStatus::Editing;
}
