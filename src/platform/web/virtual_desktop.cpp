// The page's virtual desktop and its cursor.
#include "platform/web/virtual_desktop.h"

#include <algorithm>
#include <cmath>

namespace {

std::int32_t atLeastOne(std::int32_t size) {
    return std::max<std::int32_t>(size, 1);
}

// A coordinate kept on a screen `size` pixels long.
std::int32_t onScreen(std::int64_t value, std::int32_t size) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, size - 1));
}

}  // namespace

VirtualDesktop::VirtualDesktop(std::int32_t width, std::int32_t height) {
    resize(width, height);  // not placed yet: the cursor goes to the middle
}

void VirtualDesktop::resize(std::int32_t width, std::int32_t height) {
    screenWidth = atLeastOne(width);
    screenHeight = atLeastOne(height);
    if (!placed) {
        cursorX = screenWidth / 2;
        cursorY = screenHeight / 2;
        return;
    }
    cursorX = onScreen(cursorX, screenWidth);
    cursorY = onScreen(cursorY, screenHeight);
}

void VirtualDesktop::place(std::int64_t x, std::int64_t y) {
    cursorX = onScreen(x, screenWidth);
    cursorY = onScreen(y, screenHeight);
    placed = true;
}

void VirtualDesktop::pointAt(std::int32_t x, std::int32_t y) {
    place(x, y);
}

void VirtualDesktop::moveBy(double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    restX += dx;
    restY += dy;
    const double wholeX = std::trunc(restX);
    const double wholeY = std::trunc(restY);
    restX -= wholeX;
    restY -= wholeY;
    place(static_cast<std::int64_t>(cursorX) + static_cast<std::int64_t>(wholeX),
          static_cast<std::int64_t>(cursorY) + static_cast<std::int64_t>(wholeY));
}

void VirtualDesktop::moveTo(std::int32_t x, std::int32_t y) {
    place(x, y);
}
