// Start-up, the state dispatch and the order of a running frame's steps.
#include "app/main_loop.h"

#include "app/settings_screen.h"
#include "app/start_menu.h"
#include "control/mouse_look.h"
#include "control/movement.h"
#include "platform/platform.h"
#include "render/ray_caster.h"
#include "render/status_line.h"
#include "screen/frame_buffer.h"

namespace {

constexpr std::uint32_t FRAME_PAUSE_MS = 40;

}  // namespace

void startUp(MainLoopLocals& locals) {
    const ConsoleHandle console = platformOutputHandle();
    ConsoleCursorInfo cursorInfo{};
    platformGetCursorInfo(console, &cursorInfo);
    cursorInfo.visible = false;  // keeps the size as read
    platformSetCursorInfo(console, &cursorInfo);

    std::int32_t cursorX = 0;
    std::int32_t cursorY = 0;
    platformGetCursorPos(&cursorX, &cursorY);
    locals.mouseAnchorX = cursorX;

    locals.menuRow = 0;
    locals.appState = Menu;
    resizeFrameBuffer();
}

void runPass(MainLoopLocals& locals) {
    switch (locals.appState) {
        case Menu:
            menuPass(locals.appState, locals.menuRow);
            break;
        case Settings:
            settingsPass(locals.appState);
            break;
        case Running:
            renderFrame(locals.mouseAnchorX);
            break;
    }
}

void renderFrame(std::int32_t& mouseAnchorX) {
    applyMouseLook(mouseAnchorX);
    platformSetConsoleColours();
    const float moveSpeed = chooseMoveSpeed();
    const Direction viewDir = castView();
    drawStatusLine();
    applyMovementKeys(viewDir, moveSpeed);
    normaliseViewAngle();
    presentFrame();
    platformSleep(FRAME_PAUSE_MS);
}
