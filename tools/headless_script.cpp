// Reads and carries out mazecast-headless scripts.
#include "headless_script.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_loop.h"
#include "message_text.h"
#include "platform/console/console_facts.h"
#include "platform/headless/headless_control.h"
#include "platform/platform.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

namespace {

constexpr long long MAX_PASSES = 100000000;
constexpr long long MAX_CONSOLE_SIDE = 4096;
constexpr long long MAX_SCREEN_SIDE = 1000000;

// A script line is a short command; a longer line is refused before it is read to its end.
constexpr std::size_t MAX_LINE_BYTES = 4096;

// A pass that sleeps this long in virtual time waits for something no script line can change
// while it runs (Enter held when the settings screen ends): the script stops with an error
// instead of spinning for ever.
constexpr std::uint64_t STUCK_PASS_MS = 3600000;
struct StuckPass {};
std::uint64_t passStartedAt;

void watchForStuckPass(std::uint32_t) {
    if (headlessSleptMilliseconds() - passStartedAt > STUCK_PASS_MS) {
        throw StuckPass{};
    }
}

// Runs `count` passes; false when one of them got stuck.
bool runPasses(MainLoopLocals& locals, long long count) {
    headlessSetSleepObserver(watchForStuckPass);
    try {
        for (long long i = 0; i < count; ++i) {
            passStartedAt = headlessSleptMilliseconds();
            runPass(locals);
        }
    } catch (const StuckPass&) {
        headlessSetSleepObserver(nullptr);
        return false;
    }
    headlessSetSleepObserver(nullptr);
    return true;
}

struct Key {
    const char* name;
    int code;
};
constexpr Key KEYS[] = {{"up", KEY_UP},       {"down", KEY_DOWN}, {"enter", KEY_RETURN},
                        {"shift", KEY_SHIFT}, {"w", KEY_W},       {"a", KEY_A},
                        {"s", KEY_S},         {"d", KEY_D}};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool keyCode(const std::string& name, int& code) {
    const std::string wanted = lowerCase(name);
    for (const Key& key : KEYS) {
        if (wanted == key.name) {
            code = key.code;
            return true;
        }
    }
    return false;
}

// A whole decimal number within [low, high], and nothing else.
bool parseNumber(const std::string& text, long long low, long long high, long long& value) {
    std::size_t used = 0;
    try {
        value = std::stoll(text, &used, 10);
    } catch (...) {
        return false;
    }
    return used == text.size() && value >= low && value <= high;
}

const char* stateName(AppState state) {
    switch (state) {
        case Menu:
            return "Menu";
        case Settings:
            return "Settings";
        case Running:
            return "Running";
    }
    return "Unknown";
}

void printConsole(std::ostream& out) {
    for (int row = 0; row < headlessConsoleRows(); ++row) {
        std::string text = headlessConsoleRow(row);
        text.erase(text.find_last_not_of(' ') + 1);
        std::string printable;
        for (const char c : text) {
            if (c == WALL_GLYPH) {
                printable += WALL_UTF8;
            } else {
                printable += c;
            }
        }
        out << printable << '\n';
    }
    out << "---\n";
}

void printState(std::ostream& out, const MainLoopLocals& locals) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "state=%s menuRow=%" PRId32 " x=%f y=%f angle=%f width=%" PRId32
                  " height=%" PRId32 " colour=%02x cursor=%" PRId32 ",%" PRId32 " slept=%" PRIu64,
                  stateName(locals.appState), locals.menuRow, static_cast<double>(world.playerX),
                  static_cast<double>(world.playerY), static_cast<double>(world.viewAngle),
                  world.screenWidth, world.screenHeight, headlessConsoleAttribute(),
                  headlessCursorX(), headlessCursorY(), headlessSleptMilliseconds());
    out << line << '\n';
}

// Carries out one command; returns an error message, or an empty string when it went well.
std::string runCommand(const std::string& line, MainLoopLocals& locals, std::ostream& out) {
    std::istringstream words(line);
    std::string given;  // the command as written, for messages
    words >> given;
    const std::string command = lowerCase(given);
    std::vector<std::string> args;
    for (std::string word; words >> word;) {
        args.push_back(word);
    }
    const auto number = [&](std::size_t index, long long low, long long high, long long& value) {
        return index < args.size() && parseNumber(args[index], low, high, value);
    };

    if (command == "type") {
        // Everything after "type " is typed as it stands, blanks included.
        const std::size_t textStart = command.size() + 1;
        headlessTypeInput((line.size() > textStart ? line.substr(textStart) : std::string()) +
                          "\n");
        return "";
    }
    if (command == "pass") {
        long long count = 1;
        if (args.size() > 1 || (args.size() == 1 && !number(0, 0, MAX_PASSES, count))) {
            return "pass takes an optional count from 0 to 100000000";
        }
        if (!runPasses(locals, count)) {
            return "a pass did not finish within an hour of virtual time (is Enter held?)";
        }
        return "";
    }
    if (command == "hold" || command == "release" || command == "tap") {
        if (args.empty()) {
            return command + " needs at least one key";
        }
        std::vector<int> codes;
        for (const std::string& name : args) {
            int code = 0;
            if (!keyCode(name, code)) {
                return "unknown key '" + quoteText(name) + "'";
            }
            codes.push_back(code);
        }
        for (const int code : codes) {
            if (command == "hold") {
                headlessHoldKey(code);
            } else if (command == "release") {
                headlessReleaseKey(code);
            } else {
                headlessTapKey(code);
            }
        }
        return "";
    }
    if (command == "cursor" || command == "move") {
        long long x = 0;
        long long y = 0;
        const bool moving = command == "move";
        const bool ok = moving ? (args.size() == 1 || args.size() == 2) : args.size() == 2;
        if (!ok || !number(0, INT32_MIN, INT32_MAX, x) ||
            (args.size() == 2 && !number(1, INT32_MIN, INT32_MAX, y))) {
            return moving ? "move takes DX [DY]" : "cursor takes X Y";
        }
        if (moving) {
            x += headlessCursorX();
            y += headlessCursorY();
            if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX) {
                return "the cursor would leave the 32-bit range";
            }
        }
        headlessSetCursor(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
        return "";
    }
    if (command == "screen" || command == "console") {
        const long long high = command == "screen" ? MAX_SCREEN_SIDE : MAX_CONSOLE_SIDE;
        long long width = 0;
        long long height = 0;
        if (args.size() != 2 || !number(0, 1, high, width) || !number(1, 1, high, height)) {
            return command + " takes two sizes from 1 to " + std::to_string(high);
        }
        if (command == "screen") {
            headlessSetScreenSize(static_cast<std::int32_t>(width),
                                  static_cast<std::int32_t>(height));
        } else {
            headlessResizeConsole(static_cast<int>(width), static_cast<int>(height));
        }
        return "";
    }
    if (command == "eof" || command == "show" || command == "state") {
        if (!args.empty()) {
            return command + " takes no arguments";
        }
        if (command == "eof") {
            headlessEndInput();
        } else if (command == "show") {
            printConsole(out);
        } else {
            printState(out, locals);
        }
        return "";
    }
    return "unknown command '" + quoteText(given) + "'";
}

enum class LineRead { Line, End, TooLong, Failed };

// Reads the next line without its "\n" or "\r\n" line end, holding at most MAX_LINE_BYTES + 1
// bytes of it.
LineRead readLine(std::istream& script, std::string& line) {
    // Room for the limit, a '\r' before the line end and getline's closing NUL.
    char buffer[MAX_LINE_BYTES + 2];
    script.getline(buffer, sizeof buffer);
    const auto got = static_cast<std::size_t>(script.gcount());
    if (script.bad()) {
        return LineRead::Failed;
    }
    if (script.eof()) {
        if (got == 0) {
            return LineRead::End;
        }
        line.assign(buffer, got);  // a last line without a line end
    } else if (script.fail()) {
        return LineRead::TooLong;  // the buffer filled before the line end came
    } else {
        line.assign(buffer, got - 1);  // the count includes the line end
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line.size() > MAX_LINE_BYTES ? LineRead::TooLong : LineRead::Line;
}

// ": " and the system's description of `reason`, or nothing when there is none.
std::string becauseOf(int reason) {
    return reason != 0 ? std::string(": ") + std::strerror(reason) : std::string();
}

}  // namespace

int runHeadlessScript(std::istream& script, std::ostream& out, std::ostream& err) {
    headlessReset();
    MainLoopLocals locals{};
    startUp(locals);
    const auto lineError = [&err](long long lineNumber, const std::string& message) {
        err << "mazecast-headless: line " << lineNumber << ": " << message << '\n';
        return 2;
    };
    std::string line;
    for (long long lineNumber = 1;; ++lineNumber) {
        errno = 0;
        const LineRead read = readLine(script, line);
        if (read == LineRead::End) {
            return 0;
        }
        if (read == LineRead::Failed) {
            return lineError(lineNumber, "cannot read the script" + becauseOf(errno));
        }
        if (read == LineRead::TooLong) {
            return lineError(lineNumber,
                             "longer than " + std::to_string(MAX_LINE_BYTES) + " bytes");
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        errno = 0;
        const std::string error = runCommand(line.substr(first), locals, out);
        // Output leaves after every command: a reader sees it as the script runs, and a write
        // that fails stops the script there.
        if (!out.flush()) {
            err << "mazecast-headless: cannot write the output" << becauseOf(errno) << '\n';
            return 1;
        }
        if (!error.empty()) {
            return lineError(lineNumber, error);
        }
    }
}
