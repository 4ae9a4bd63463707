// The settings screen: a new frame width and height typed on standard input.
#pragma once

#include <cstdint>

#include "app/main_loop.h"

constexpr std::int32_t MAX_SCREEN_DIMENSION = 512;  // largest accepted width and height
constexpr std::uint32_t RESULT_PAUSE_MS = 5000;     // how long the new size stays on screen

// Set while an accepted width waits for its height; false whenever a pass begins or ends.
extern bool settingsHeightPending;

// Whether 1 <= value <= MAX_SCREEN_DIMENSION.
bool isAcceptedDimension(std::int32_t value);

// Asks for a width; a rejected one ends the pass (the next pass asks again). After an accepted
// width, asks for heights until one is accepted, then resizes the frame, shows the size for
// RESULT_PAUSE_MS, clears the console, returns to the menu and waits for Enter to be released.
// When standard input ends, the visit is abandoned: the size stays as it was, the console is
// cleared and the menu returns. Reads: standard input. Sets: world.screenWidth,
// world.screenHeight, frameBuffer, appState.
void settingsPass(AppState& appState);
