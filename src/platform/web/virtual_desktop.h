// The desktop the game sees in a page: a screen as wide as the page in device pixels, and a
// cursor on it. With the pointer locked the mouse's motion moves the cursor and the game's own
// moves of it stick, as on a desktop; without the lock the pointer's place over the page is the
// cursor. Like a desktop's, the cursor never leaves the screen. Pure: no I/O.
#pragma once

#include <cstdint>

class VirtualDesktop {
public:
    // A screen of that size with the cursor in its middle.
    VirtualDesktop(std::int32_t width, std::int32_t height);

    // The page changed size. Until the pointer was first seen or the cursor moved, the cursor
    // stays in the middle; afterwards it is only kept on the screen.
    void resize(std::int32_t width, std::int32_t height);

    // The pointer is over (x, y) of the page (no lock).
    void pointAt(std::int32_t x, std::int32_t y);

    // The locked pointer moved by (dx, dy) device pixels. Browsers report motion in CSS pixels,
    // so a motion may end between device pixels: the fraction is kept for the next one, and a
    // motion turns the same however it is split into events.
    void moveBy(double dx, double dy);

    // The game put the cursor at (x, y).
    void moveTo(std::int32_t x, std::int32_t y);

    std::int32_t width() const { return screenWidth; }
    std::int32_t height() const { return screenHeight; }
    std::int32_t x() const { return cursorX; }
    std::int32_t y() const { return cursorY; }

private:
    void place(std::int64_t x, std::int64_t y);

    std::int32_t screenWidth = 1;
    std::int32_t screenHeight = 1;
    std::int32_t cursorX = 0;
    std::int32_t cursorY = 0;
    bool placed = false;  // the pointer was seen or the cursor moved
    double restX = 0;     // the motion not moved yet, less than a pixel
    double restY = 0;
};
