// The services the game needs from the machine it runs on: console text and rows, key states,
// the desktop cursor, sleeping and the standard streams. Each platform (one folder under
// src/platform/, its files together) defines all of them; each executable links exactly one
// platform, so a missing or doubled definition is a link error. Results the game never looks
// at are still returned, for callers that want them.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>

// Opaque handle to the console's output, as the platform hands it out.
using ConsoleHandle = void*;

// Size and visibility of the console's text cursor.
struct ConsoleCursorInfo {
    std::uint32_t size;
    bool visible;
};

// Key codes understood by platformKeyState (the desktop's virtual-key numbering).
enum KeyCode : int {
    KEY_RETURN = 0x0D,
    KEY_SHIFT = 0x10,
    KEY_LEFT = 0x25,  // Left and Right: asked by platforms that turn with them
    KEY_UP = 0x26,
    KEY_RIGHT = 0x27,
    KEY_DOWN = 0x28,
    KEY_A = 0x41,
    KEY_D = 0x44,
    KEY_S = 0x53,
    KEY_W = 0x57,
};

// Short name of this platform ("headless", "terminal", "windows-console", "web").
const char* platformName();

// The console's output handle; valid for the whole run.
ConsoleHandle platformOutputHandle();

// Reads the text cursor's size and visibility; false when it cannot.
bool platformGetCursorInfo(ConsoleHandle console, ConsoleCursorInfo* info);

// Sets the text cursor's size and visibility; false when it cannot.
bool platformSetCursorInfo(ConsoleHandle console, const ConsoleCursorInfo* info);

// Moves the text cursor, where standard-output text goes next; false when it cannot.
bool platformSetCursorPosition(ConsoleHandle console, std::int16_t column, std::int16_t row);

// Writes `length` single-byte characters into the screen buffer from (column, row), continuing
// on the next rows when longer than the buffer is wide; leaves the text cursor and colours alone.
bool platformWriteRow(ConsoleHandle console, const char* chars, std::uint32_t length,
                      std::int16_t column, std::int16_t row);

// The 16-bit asynchronous state of a key: negative while it is held, bit 0 set when it went
// down since the previous query of that key (which this query clears).
std::int16_t platformKeyState(int key);

// Reads the desktop cursor position in pixels; false (and *x, *y untouched) when it cannot.
bool platformGetCursorPos(std::int32_t* x, std::int32_t* y);

// Moves the desktop cursor; false when it cannot.
bool platformSetCursorPos(std::int32_t x, std::int32_t y);

// Width of the primary desktop screen in pixels.
std::int32_t platformScreenWidth();

// Pauses the program for `milliseconds`.
void platformSleep(std::uint32_t milliseconds);

// Blanks the whole console and homes the text cursor.
void platformClearConsole();

// Sets the whole console to bright white text on aqua (attribute 0x3F).
void platformSetConsoleColours();

// The standard input stream that typed numbers are read from.
std::istream& platformInput();

// The standard output stream for menu and settings text, written at the text cursor.
std::ostream& platformOutput();
