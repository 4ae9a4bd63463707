// Turns the bytes a terminal sends into key, mouse and reply events. Pure: no I/O, no clock.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace terminal_platform {

// The keys the game asks about, numbered above the byte range so no caller mistakes a key for
// a byte. Every other key is dropped by the decoder.
enum class TermKey : int {
    Enter = 256,
    Shift,
    Up,
    Down,
    Left,
    Right,
    W,
    A,
    S,
    D,
};

// How a key event came: with the keyboard protocol's event type, or as plain bytes, which say
// only that the key went down or auto-repeated.
enum class KeyAction { Press, Repeat, Release, Typed };

enum class InputKind {
    Key,               // key, action, shift
    Mouse,             // x, y: the pointer position as reported (cells or pixels)
    Interrupt,         // Ctrl+C arrived as bytes rather than as a signal
    Suspend,           // Ctrl+Z arrived as bytes
    Quit,              // Ctrl+\ arrived as bytes
    FocusLost,         // the window lost the keyboard focus; held keys will not report release
    KeyboardFlags,     // reply to the keyboard protocol query: value = the flags in force
    DeviceAttributes,  // reply to the primary device attributes request
    PixelMouseMode,    // reply to the mode request for SGR-pixel mouse: value = its state
    CellSize,          // reply to the cell size request: x = width, y = height in pixels
    TextAreaSize,      // reply to the text area size request: x = width, y = height in pixels
};

// Mouse positions are clamped to this far either side of the window's corner, in cells or
// pixels: no real window is near it, and sums of positions stay far from overflow.
constexpr int MOUSE_COORDINATE_LIMIT = 1 << 20;
// A cell-size reply is taken only with a width and height from 1 to this many pixels, a
// text-area reply with its sides from 1 to the larger limit.
constexpr int CELL_SIZE_LIMIT = 1024;
constexpr int TEXT_AREA_LIMIT = 1 << 20;

// No item waits for more bytes once it is this long: an unfinished string reply (DCS, OSC, APC,
// PM) is cut off there, a control sequence well before.
constexpr std::size_t LONGEST_TERMINAL_ITEM = 1024;

struct InputEvent {
    InputKind kind;
    TermKey key;
    KeyAction action;
    bool shift;  // Shift was down (from a modifier parameter or an upper-case letter)
    int x;
    int y;
    int value;
};

// Decodes the one item (a byte, or an escape sequence or string) at the start of `bytes`,
// appending its event, if any, to `events`; returns its length, or 0 when it is cut short and
// `final` is not set. Every item gives at most one event, and nothing else is allocated.
std::size_t decodeTerminalItem(std::string_view bytes, bool final, std::vector<InputEvent>& events);

// Decodes every whole item at the start of `bytes`, appending its events to `events`, and
// returns how many bytes were used. An item cut short at the end is left for the next call,
// unless `final` is set (no more bytes are coming soon): then it is dropped as garbage.
// Replies to queries become reply events, never keys; unknown sequences are skipped whole.
std::size_t decodeTerminalInput(std::string_view bytes, bool final,
                                std::vector<InputEvent>& events);

}  // namespace terminal_platform
