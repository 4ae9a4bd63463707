// What every platform's console shows the game in, said once: its colours, its wall glyph, its
// largest size, the frame it starts with and the desktop a platform without one pretends to.
#pragma once

#include <cstdint>

// The running view's attribute: bright white text (low four bits) on aqua (high four bits).
constexpr std::uint8_t RUNNING_ATTRIBUTE = 0x3F;

// The wall glyph: the full block, byte 219 in the game's single-byte character set, and the
// same character in UTF-8.
constexpr unsigned char WALL_BYTE = 219;
constexpr char WALL_UTF8[] = "\xE2\x96\x88";

// The largest console any frame needs, in both directions: the largest frame size.
constexpr int LARGEST_CONSOLE = 512;

// The frame, and so the console's visible part, before the settings change it.
constexpr int DEFAULT_FRAME_COLUMNS = 120;
constexpr int DEFAULT_FRAME_ROWS = 40;

// The desktop of a platform that has none of its own, in pixels.
constexpr std::int32_t DESKTOP_WIDTH = 1920;
constexpr std::int32_t DESKTOP_HEIGHT = 1080;
