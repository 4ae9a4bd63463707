// The start menu: three demos and the settings entry, one every second console row.
#pragma once

#include <cstdint>

#include "app/main_loop.h"

constexpr std::int32_t MENU_LAST_ROW = 6;  // the settings entry

// Writes the menu from the console's top-left corner, moves the selection with Up and Down
// (pausing 120 ms and clearing the console after each move) and, when Enter was pressed since
// its previous query, starts the selected demo or opens the settings screen.
// Reads and sets: appState, menuRow, world (map and start pose when a demo starts).
void menuPass(AppState& appState, std::int32_t& menuRow);
