// The web platform's keyboard and mouse: the page hands its key and pointer events to the
// functions below while the game is paused, and the game's queries answer from them.
#include <emscripten.h>

#include "platform/console/console_facts.h"
#include "platform/platform.h"
#include "platform/web/virtual_desktop.h"
#include "platform/web/web_keyboard.h"
#include "platform/web/web_page_link.h"
#include "platform/web/web_typing.h"

namespace {

// A loop that queries a key again with no pause since its previous query (the idle menu)
// waits for the page's next input event, so it answers a key at once. Only the page's events
// change what it asks, so the wait's bound is long: every wake-up costs the browser a task.
constexpr std::uint32_t IDLE_WAIT_MS = 500;
constexpr double ARROW_TURN_PIXELS = 36;  // per frame: a held arrow turns about 90 degrees a second

WebKeyboard keyboard;
VirtualDesktop desktop(DESKTOP_WIDTH, DESKTOP_HEIGHT);
// For each key, the number of pauses made before its last query, plus one (0: never queried).
std::uint64_t queriedAfterPauses[WebKeyboard::KEY_COUNT];

}  // namespace

extern "C" {

// A key went down: `key` is its code, `physical` names the key of the keyboard, `typed` is the
// byte it types at the settings prompt (0 for none), `repeat` marks an auto-repeat, `capsLock`
// says whether Caps Lock is on.
EMSCRIPTEN_KEEPALIVE void webKeyDown(int key, int physical, int typed, int repeat, int capsLock) {
    keyboard.setCapsLock(capsLock != 0);
    if (repeat == 0) {
        keyboard.press(key, physical);
    }
    if (typed != 0) {
        webTypeByte(static_cast<char>(typed));
    }
}

EMSCRIPTEN_KEEPALIVE void webKeyUp(int key, int physical, int capsLock) {
    keyboard.setCapsLock(capsLock != 0);
    keyboard.release(key, physical);
}

// The page lost the focus or was hidden: it sees no key releases until it comes back.
EMSCRIPTEN_KEEPALIVE void webReleaseKeys() {
    keyboard.releaseAll();
}

EMSCRIPTEN_KEEPALIVE void webScreenSize(int width, int height) {
    desktop.resize(width, height);
}

EMSCRIPTEN_KEEPALIVE void webPointerAt(int x, int y) {
    desktop.pointAt(x, y);
}

// The locked pointer moved by (dx, dy) device pixels, fractions of one included.
EMSCRIPTEN_KEEPALIVE void webPointerMove(double dx, double dy) {
    desktop.moveBy(dx, dy);
}

}  // extern "C"

std::int16_t platformKeyState(int key) {
    if (key >= 0 && key < WebKeyboard::KEY_COUNT) {
        std::uint64_t& lastQuery = queriedAfterPauses[key];
        if (lastQuery == webPauseCount() + 1) {
            webWaitForInput(IDLE_WAIT_MS);  // asked again with no pause in between
        }
        lastQuery = webPauseCount() + 1;
    }
    return keyboard.query(key);
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
    // The game asks once a frame; held arrows turn on without the pointer's limits.
    if (keyboard.held(KEY_LEFT)) {
        desktop.moveBy(-ARROW_TURN_PIXELS, 0);
    }
    if (keyboard.held(KEY_RIGHT)) {
        desktop.moveBy(ARROW_TURN_PIXELS, 0);
    }
    *x = desktop.x();
    *y = desktop.y();
    return true;
}

bool platformSetCursorPos(std::int32_t x, std::int32_t y) {
    desktop.moveTo(x, y);
    return true;
}

std::int32_t platformScreenWidth() {
    return desktop.width();
}
