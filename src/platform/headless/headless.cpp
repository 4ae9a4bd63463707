// The headless platform: an in-memory console, scripted keys and cursor, a string for standard
// input and a virtual clock. Nothing here touches the real terminal or waits for real time.
#include <algorithm>
#include <cstring>
#include <streambuf>
#include <vector>

#include "platform/console/console_model.h"
#include "platform/console/console_text.h"
#include "platform/headless/headless_control.h"
#include "platform/platform.h"

namespace {

constexpr int KEY_COUNT = 256;
constexpr int DEFAULT_COLUMNS = 120;
constexpr int DEFAULT_ROWS = 40;
constexpr std::uint8_t RUNNING_ATTRIBUTE = 0x3F;

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

KeyFlags keys[KEY_COUNT];
Desktop desktop;
ConsoleModel console(DEFAULT_COLUMNS, DEFAULT_ROWS);
ConsoleCursorInfo cursorInfo{25, true};
std::uint64_t sleptMilliseconds;
HeadlessSleepObserver sleepObserver;

// Standard input: what has been typed so far; reads past it see end of input.
std::string typedInput;
std::size_t inputPosition;
bool inputEnded;

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

ConsoleTextBuffer outputBuffer(console);
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
    console = ConsoleModel(DEFAULT_COLUMNS, DEFAULT_ROWS);
    cursorInfo = ConsoleCursorInfo{25, true};
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
    const std::uint8_t attribute = console.attribute();
    console = ConsoleModel(columns, rows);
    console.setAttribute(attribute);
}

int headlessConsoleRows() {
    return console.rows();
}

std::string headlessConsoleRow(int row) {
    return console.rowText(row);
}

unsigned headlessConsoleAttribute() {
    return console.attribute();
}
bool headlessTextCursorVisible() {
    return cursorInfo.visible;
}
int headlessTextCursorColumn() {
    return console.cursorColumn();
}
int headlessTextCursorRow() {
    return console.cursorRow();
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
    *info = cursorInfo;
    return true;
}

bool platformSetCursorInfo(ConsoleHandle, const ConsoleCursorInfo* info) {
    cursorInfo = *info;
    return true;
}

bool platformSetCursorPosition(ConsoleHandle, std::int16_t column, std::int16_t row) {
    return console.setCursor(column, row);
}

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    return console.writeRow(column, row, chars, length);
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
    console.clear();
}

void platformSetConsoleColours() {
    console.setAttribute(RUNNING_ATTRIBUTE);
}

std::istream& platformInput() {
    return inputStream;
}

std::ostream& platformOutput() {
    return outputStream;
}
