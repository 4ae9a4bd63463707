// Typed lines for the settings screen, edited as a terminal user expects (printable
// characters, Backspace, Ctrl+U, Ctrl+W, Enter, Ctrl+D) and echoed into the console model at its
// text cursor, so what was typed is part of the screen like everything else. Other control
// bytes are dropped; the keys' escape sequences are the caller's to take out. Pure: no I/O.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/console/console_model.h"

enum class LineStatus {
    Editing,     // more to come
    Done,        // the line is finished: copyLine() hands it out, ending in '\n' after Enter
    EndOfInput,  // Ctrl+D on an empty line
};

class LineEditor {
public:
    // A line is kept as runs of one repeated byte, so a line of any length whose bytes repeat
    // (a hundred thousand zeros before a number) is kept whole in bounded memory; a byte that
    // would start a run past this many is dropped, as a full line buffer drops it.
    static constexpr std::size_t MAX_RUNS = 510;

    // Takes one typed byte, echoing it (or taking it back) in `model`.
    LineStatus take(char byte, ConsoleModel& model);

    // Copies up to `capacity` bytes of the finished line, from where the previous copy ended;
    // 0 once all of it has been handed out. Valid after Done until the next take().
    std::size_t copyLine(char* out, std::size_t capacity);

private:
    struct Run {
        char byte;
        std::size_t count;
    };

    void append(char byte, ConsoleModel& model);
    char lastByte(std::size_t fromEnd) const;
    void takeBackCharacter(ConsoleModel& model);
    void popByte();

    std::vector<Run> runs;  // the line as typed
    bool finished = false;
    bool dropping = false;      // a byte was dropped: so is what follows, until one is taken back
    std::size_t handedRun = 0;  // copyLine's place: the run, and how much of it went out
    std::size_t handedInRun = 0;
};
