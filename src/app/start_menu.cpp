// One pass of the start menu.
#include "app/start_menu.h"

#include <ostream>

#include "platform/platform.h"
#include "world/world.h"

namespace {

constexpr std::uint32_t MOVE_PAUSE_MS = 120;
constexpr std::int16_t MARKER_COLUMN = 12;  // two past the longest entry text

bool isHeld(int key) {
    return platformKeyState(key) < 0;
}
bool wasPressed(int key) {
    return (platformKeyState(key) & 1) != 0;
}

void startDemo(AppState& appState, const MapGrid& map, float x, float y) {
    appState = Running;
    world.currentMap = &map;
    platformClearConsole();
    world.playerX = x;
    world.playerY = y;
}

}  // namespace

void menuPass(AppState& appState, std::int32_t& menuRow) {
    platformSetCursorPosition(platformOutputHandle(), 0, 0);
    std::ostream& out = platformOutput();
    // Written over the previous pass's text without clearing; the line ends only pass over
    // rows 1, 3 and 5.
    out << "Run DEMO 1\n\n"
        << "Run DEMO 2\n\n"
        << "Run DEMO 3\n\n"
        << "Settings\n";
    out.flush();

    if (isHeld(KEY_UP) && menuRow > 0) {
        menuRow -= 2;
        platformSleep(MOVE_PAUSE_MS);
        platformClearConsole();
    }
    if (isHeld(KEY_DOWN) && menuRow < MENU_LAST_ROW) {
        menuRow += 2;
        platformSleep(MOVE_PAUSE_MS);
        platformClearConsole();
    }

    platformSetCursorPosition(platformOutputHandle(), MARKER_COLUMN,
                              static_cast<std::int16_t>(menuRow));
    out << "<--";
    out.flush();

    if (!wasPressed(KEY_RETURN)) {
        return;
    }
    switch (menuRow) {
        case 0:
            startDemo(appState, demoMap1, 6.0f, 6.0f);
            break;
        case 2:
            startDemo(appState, demoMap2, 3.5f, 10.0f);
            world.viewAngle = 270.0f;
            break;
        case 4:
            startDemo(appState, demoMap3, 15.0f, 3.5f);
            break;
        case MENU_LAST_ROW:
            appState = Settings;
            platformClearConsole();
            break;
        default:
            break;
    }
}
