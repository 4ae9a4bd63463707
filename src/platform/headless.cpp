// The headless platform: an in-memory console, scripted keys and cursor, a string for standard
// input and a virtual clock. Nothing here touches the real terminal or waits for real time.
#include <algorithm>
#include <cstring>
#include <streambuf>
#include <vector>

#include "platform/headless_control.h"
#include "platform/platform.h"

namespace {

constexpr int KEY_COUNT = 256;
constexpr int DEFAULT_COLUMNS = 120;
constexpr int DEFAULT_ROWS = 40;
constexpr unsigned DEFAULT_ATTRIBUTE = 0x07;
constexpr unsigned RUNNING_ATTRIBUTE = 0x3F;

struct KeyFlags {
    bool held;
    bool wentDown;
};

struct Desktop {
    std::int32_t width;
    std::int32_t height;
    std::int32_t cursorX;
    std::int32_t cursorY;
    bool cursorUnreadable;
};

struct Console {
    int columns;
    int rows;
    std::vector<char> cells;  // rows * columns, row-major
    unsigned attribute;
    int cursorColumn;
    int cursorRow;
    ConsoleCursorInfo cursorInfo;
};

KeyFlags keys[KEY_COUNT];
Desktop desktop;
Console console;
std::uint64_t sleptMilliseconds;
HeadlessSleepObserver sleepObserver;

// Standard input: what has been typed so far; reads past it see end of input.
std::string typedInput;
std::size_t inputPosition;
bool inputEnded;

void blankConsole() {
    std::fill(console.cells.begin(), console.cells.end(), ' ');
    console.cursorColumn = 0;
    console.cursorRow = 0;
}

void makeConsole(int columns, int rows) {
    console.columns = std::max(columns, 1);
    console.rows = std::max(rows, 1);
    console.cells.assign(
        static_cast<std::size_t>(console.columns) * static_cast<std::size_t>(console.rows), ' ');
    console.attribute = DEFAULT_ATTRIBUTE;
    console.cursorColumn = 0;
    console.cursorRow = 0;
    console.cursorInfo = ConsoleCursorInfo{25, true};
}

void scrollUp() {
    const auto width = static_cast<std::ptrdiff_t>(console.columns);
    std::copy(console.cells.begin() + width, console.cells.end(), console.cells.begin());
    std::fill(console.cells.end() - width, console.cells.end(), ' ');
}

// Writes one character at the text cursor the way a console does: '\n' ends the line, a
// character past the last column wraps, and going below the last row scrolls.
void putCharacter(char c) {
    if (c == '\n') {
        console.cursorColumn = 0;
        ++console.cursorRow;
    } else {
        if (console.cursorColumn >= console.columns) {
            console.cursorColumn = 0;
            ++console.cursorRow;
        }
        if (console.cursorRow >= console.rows) {
            scrollUp();
            console.cursorRow = console.rows - 1;
        }
        console.cells[static_cast<std::size_t>(console.cursorRow * console.columns +
                                               console.cursorColumn)] = c;
        ++console.cursorColumn;
        return;
    }
    if (console.cursorRow >= console.rows) {
        scrollUp();
        console.cursorRow = console.rows - 1;
    }
}

class ConsoleOutputBuffer : public std::streambuf {
protected:
    int_type overflow(int_type ch) override {
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            putCharacter(traits_type::to_char_type(ch));
        }
        return traits_type::not_eof(ch);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        for (std::streamsize i = 0; i < count; ++i) {
            putCharacter(text[i]);
        }
        return count;
    }
};

class TypedInputBuffer : public std::streambuf {
protected:
    int_type underflow() override {
        if (inputPosition >= typedInput.size()) {
            return traits_type::eof();
        }
        current = typedInput[inputPosition];
        setg(&current, &current, &current + 1);
        ++inputPosition;
        return traits_type::to_int_type(current);
    }

private:
    char current = 0;
};

ConsoleOutputBuffer outputBuffer;
TypedInputBuffer inputBuffer;
std::ostream outputStream(&outputBuffer);
std::istream inputStream(&inputBuffer);

bool validKey(int key) {
    return key >= 0 && key < KEY_COUNT;
}

// The model starts in its reset state before main runs.
const bool initialised = (headlessReset(), true);

}  // namespace

void headlessReset() {
    std::fill(std::begin(keys), std::end(keys), KeyFlags{false, false});
    desktop = Desktop{1920, 1080, 960, 540, false};
    makeConsole(DEFAULT_COLUMNS, DEFAULT_ROWS);
    typedInput.clear();
    inputPosition = 0;
    inputEnded = false;
    inputStream.clear();
    sleptMilliseconds = 0;
    sleepObserver = nullptr;
}

void headlessHoldKey(int key) {
    if (validKey(key)) {
        keys[key].wentDown = keys[key].wentDown || !keys[key].held;
        keys[key].held = true;
    }
}

void headlessReleaseKey(int key) {
    if (validKey(key)) {
        keys[key].held = false;
    }
}

void headlessTapKey(int key) {
    if (validKey(key)) {
        keys[key].wentDown = true;
    }
}

void headlessSetCursor(std::int32_t x, std::int32_t y) {
    desktop.cursorX = x;
    desktop.cursorY = y;
}

std::int32_t headlessCursorX() {
    return desktop.cursorX;
}
std::int32_t headlessCursorY() {
    return desktop.cursorY;
}
void headlessSetCursorUnreadable(bool unreadable) {
    desktop.cursorUnreadable = unreadable;
}

void headlessSetScreenSize(std::int32_t width, std::int32_t height) {
    desktop.width = width;
    desktop.height = height;
}

void headlessResizeConsole(int columns, int rows) {
    const unsigned attribute = console.attribute;
    const ConsoleCursorInfo cursorInfo = console.cursorInfo;
    makeConsole(columns, rows);
    console.attribute = attribute;
    console.cursorInfo = cursorInfo;
}

int headlessConsoleRows() {
    return console.rows;
}

std::string headlessConsoleRow(int row) {
    if (row < 0 || row >= console.rows) {
        return std::string();
    }
    const auto start = console.cells.begin() + static_cast<std::ptrdiff_t>(row) * console.columns;
    return std::string(start, start + console.columns);
}

unsigned headlessConsoleAttribute() {
    return console.attribute;
}
bool headlessTextCursorVisible() {
    return console.cursorInfo.visible;
}
int headlessTextCursorColumn() {
    return console.cursorColumn;
}
int headlessTextCursorRow() {
    return console.cursorRow;
}

void headlessTypeInput(const std::string& text) {
    if (!inputEnded) {
        typedInput += text;
    }
}

void headlessEndInput() {
    inputEnded = true;
}

std::uint64_t headlessSleptMilliseconds() {
    return sleptMilliseconds;
}

const char* platformName() {
    return "headless";
}

ConsoleHandle platformOutputHandle() {
    return &console;
}

bool platformGetCursorInfo(ConsoleHandle, ConsoleCursorInfo* info) {
    *info = console.cursorInfo;
    return true;
}

bool platformSetCursorInfo(ConsoleHandle, const ConsoleCursorInfo* info) {
    console.cursorInfo = *info;
    return true;
}

bool platformSetCursorPosition(ConsoleHandle, std::int16_t column, std::int16_t row) {
    if (column < 0 || row < 0 || column >= console.columns || row >= console.rows) {
        return false;
    }
    console.cursorColumn = column;
    console.cursorRow = row;
    return true;
}

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    if (column < 0 || row < 0 || column >= console.columns || row >= console.rows) {
        return false;
    }
    const std::size_t start =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(console.columns) +
        static_cast<std::size_t>(column);
    const std::size_t count = std::min<std::size_t>(length, console.cells.size() - start);
    std::memcpy(console.cells.data() + start, chars, count);
    return true;
}

std::int16_t platformKeyState(int key) {
    if (!validKey(key)) {
        return 0;
    }
    std::uint16_t state = 0;
    if (keys[key].held) {
        state |= 0x8000U;
    }
    if (keys[key].wentDown) {
        state |= 0x0001U;
    }
    keys[key].wentDown = false;
    return static_cast<std::int16_t>(state);
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
    if (desktop.cursorUnreadable) {
        return false;
    }
    *x = desktop.cursorX;
    *y = desktop.cursorY;
    return true;
}

bool platformSetCursorPos(std::int32_t x, std::int32_t y) {
    desktop.cursorX = x;
    desktop.cursorY = y;
    return true;
}

std::int32_t platformScreenWidth() {
    return desktop.width;
}

void headlessSetSleepObserver(HeadlessSleepObserver observer) {
    sleepObserver = observer;
}

void platformSleep(std::uint32_t milliseconds) {
    sleptMilliseconds += milliseconds;
    if (sleepObserver != nullptr) {
        sleepObserver(milliseconds);
    }
}

void platformClearConsole() {
    blankConsole();
}

void platformSetConsoleColours() {
    console.attribute = RUNNING_ATTRIBUTE;
}

std::istream& platformInput() {
    return inputStream;
}

std::ostream& platformOutput() {
    return outputStream;
}
