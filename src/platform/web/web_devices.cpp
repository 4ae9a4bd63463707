// The web platform's keyboard and mouse: the page hands its key and pointer events to the
// functions below while the game is paused, and the game's queries answer from them.
#include <emscripten.h>

#include "platform/platform.h"
#include "platform/web/virtual_desktop.h"
#include "platform/web/web_keyboard.h"
#include "platform/web/web_page_link.h"
#include "platform/web/web_typing.h"

namespace {

// A loop that queries a key again with no pause since its previous query (the idle menu)
// gives the page this long, so events arrive and the loop does not burn a core.
constexpr std::uint32_t IDLE_PAUSE_MS = 10;

WebKeyboard keyboard;
VirtualDesktop desktop(1920, 1080);
// For each key, the number of pauses made before its last query, plus one (0: never queried).
std::uint64_t queriedAfterPauses[WebKeyboard::KEY_COUNT];

}  // namespace

extern "C" {

// A key went down: `key` is its code, `physical` names the key of the keyboard, `typed` is the
// byte it types at the settings prompt (0 for none), `repeat` marks an auto-repeat.
EMSCRIPTEN_KEEPALIVE void webKeyDown(int key, int physical, int typed, int repeat) {
    if (repeat == 0) {
        keyboard.press(key, physical);
    }
    if (typed != 0) {
        webTypeByte(static_cast<char>(typed));
    }
}

EMSCRIPTEN_KEEPALIVE void webKeyUp(int key, int physical) {
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

EMSCRIPTEN_KEEPALIVE void webPointerMove(int dx, int dy) {
    desktop.moveBy(dx, dy);
}

}  // extern "C"

std::int16_t platformKeyState(int key) {
    if (key >= 0 && key < WebKeyboard::KEY_COUNT) {
        std::uint64_t& lastQuery = queriedAfterPauses[key];
        if (lastQuery == webPauseCount() + 1) {
            webPause(IDLE_PAUSE_MS);  // asked again with no pause in between
        }
        lastQuery = webPauseCount() + 1;
    }
    return keyboard.query(key);
}

bool platformGetCursorPos(std::int32_t* x, std::int32_t* y) {
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
