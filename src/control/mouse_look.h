// Turning the view: horizontal mouse motion, the cursor wrap at the screen edges, and bringing
// the angle back into [0, 360).
#pragma once

#include <cstdint>

constexpr float MOUSE_TURN_RATE = 0.1f;          // degrees per pixel of horizontal motion
constexpr std::int32_t CURSOR_WRAP_MARGIN = 10;  // pixels from a screen edge that wrap

// Turns world.viewAngle by the cursor's horizontal travel since mouseAnchorX, then moves a
// cursor within the margin of the left or right screen edge to just inside the opposite wrap
// zone, with the anchor following it so the jump turns nothing. A cursor that cannot be read
// makes a frame without motion. Reads: the desktop cursor and screen width. Sets:
// world.viewAngle, mouseAnchorX, maybe the desktop cursor.
void applyMouseLook(std::int32_t& mouseAnchorX);

// Adds 360 to a negative world.viewAngle, then subtracts 360 from one at 360 or above; each at
// most once, so a turn of less than a full circle per frame stays within [0, 360).
void normaliseViewAngle();
