// Typed lines for the settings screen, edited as a terminal user expects (printable
// characters, Backspace, Ctrl+U, Ctrl+W, Enter, Ctrl+D) and echoed into the console model at its
// text cursor, so what was typed is part of the screen like everything else. Pure: no I/O.
#pragma once

#include <cstddef>
#include <string>

#include "platform/console/console_model.h"

enum class LineStatus {
    Editing,     // more to come
    Done,        // line() holds the text, ending in '\n' when Enter finished it
    EndOfInput,  // Ctrl+D on an empty line
};

class LineEditor {
public:
    // The longest line kept; what is typed beyond it is dropped, as a full line buffer does.
    static constexpr std::size_t MAX_LINE = 510;

    // Takes one typed byte, echoing it (or taking it back) in `model`.
    LineStatus take(char byte, ConsoleModel& model);

    // The finished line; valid after Done until the next take().
    const std::string& line() const { return text; }

private:
    enum class Escape { None, Started, Sequence, SingleShift };

    void takeBack(std::size_t count, ConsoleModel& model);

    std::string text;
    bool finished = false;
    Escape escape = Escape::None;  // bytes of a key's escape sequence are skipped, not typed
};
