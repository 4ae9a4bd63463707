// The headless platform: an in-memory console, scripted keys and cursor, a string for standard
// input and a virtual clock. Nothing here touches the real terminal or waits for real time.
#include <algorithm>
#include <string>

#include "platform/console/console_facts.h"
#include "platform/console/console_model.h"
#include "platform/console/hosted_console.h"
#include "platform/console/key_state.h"
#include "platform/console/typed_input.h"
#include "platform/headless/headless_control.h"
#include "platform/platform.h"

namespace {

constexpr int KEY_COUNT = 256;

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
ConsoleModel console(DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS);
std::uint64_t sleptMilliseconds;
HeadlessSleepObserver sleepObserver;

// Standard input: what has been typed so far; reads past it see end of input.
std::string typedInput;
std::size_t inputPosition;
bool inputEnded;

// The typed input's source: hands out what has been typed and not read yet, 0 at its end.
std::size_t readTyped(char* into, std::size_t room) {
    const std::size_t count = std::min(room, typedInput.size() - inputPosition);
    typedInput.copy(into, count, inputPosition);
    inputPosition += count;
    return count;
}

TypedInputBuffer inputBuffer(readTyped);
std::istream inputStream(&inputBuffer);

bool validKey(int key) {
    return key >= 0 && key < KEY_COUNT;
}

// The model starts in its reset state before main runs.
const bool initialised = (headlessReset(), true);

}  // namespace

ConsoleModel& hostedConsole() {
    return console;
}

void headlessReset() {
    std::fill(std::begin(keys), std::end(keys), KeyFlags{false, false});
    desktop = Desktop{DESKTOP_WIDTH, DESKTOP_HEIGHT, DESKTOP_WIDTH / 2, DESKTOP_HEIGHT / 2, false};
    console = ConsoleModel(DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS);
    hostedCursorInfo = ConsoleCursorInfo{25, true};
    typedInput.clear();
    inputPosition = 0;
    inputEnded = false;
    inputBuffer = TypedInputBuffer(readTyped);  // nothing read ahead outlives the reset
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
    return hostedCursorInfo.visible;
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

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    return console.writeRow(column, row, chars, length);
}

std::int16_t platformKeyState(int key) {
    if (!validKey(key)) {
        return 0;
    }
    const std::int16_t state = keyStateWord(keys[key].held, keys[key].wentDown);
    keys[key].wentDown = false;
    return state;
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

std::istream& platformInput() {
    return inputStream;
}
