// Mouse look with the cursor wrap, and the view angle's normalisation.
#include "control/mouse_look.h"

#include "platform/platform.h"
#include "world/world.h"

void applyMouseLook(std::int32_t& mouseAnchorX) {
    std::int32_t cursorX = 0;
    std::int32_t cursorY = 0;
    if (!platformGetCursorPos(&cursorX, &cursorY)) {
        return;  // nothing was read, so nothing moved: anchor and cursor stay
    }
    // Computed in 64 bits: cursors at opposite ends of the 32-bit range must not overflow.
    const std::int64_t delta = static_cast<std::int64_t>(cursorX) - mouseAnchorX;
    mouseAnchorX = cursorX;
    const float turn = static_cast<float>(delta) * MOUSE_TURN_RATE;
    world.viewAngle = world.viewAngle + turn;

    // Targets lie one pixel inside the opposite wrap zone, so a wrapped cursor is not wrapped
    // back on the next frame; the anchor follows, so the jump itself turns nothing.
    const std::int32_t screenWidth = platformScreenWidth();
    if (cursorX <= CURSOR_WRAP_MARGIN) {
        const std::int32_t target = screenWidth - CURSOR_WRAP_MARGIN - 1;
        platformSetCursorPos(target, cursorY);
        mouseAnchorX = target;
    } else if (cursorX >= screenWidth - CURSOR_WRAP_MARGIN) {
        const std::int32_t target = CURSOR_WRAP_MARGIN + 1;
        platformSetCursorPos(target, cursorY);
        mouseAnchorX = target;
    }
}

void normaliseViewAngle() {
    if (world.viewAngle < 0.0f) {
        world.viewAngle = world.viewAngle + 360.0f;
    }
    if (world.viewAngle >= 360.0f) {
        world.viewAngle = world.viewAngle - 360.0f;
    }
}
