// What the web platform's parts share: the console the page shows, and the pause in which the
// page runs. Every wait of the game goes through webPause, since the page only shows what the
// game drew and only delivers key and mouse events while the game's code is paused.
#pragma once

#include <cstdint>

#include "platform/console/console_model.h"

// The console model behind the page's grid: as large as the largest frame.
ConsoleModel& webConsole();

// Shows the console on the page if it changed, then gives the page `milliseconds` of time.
void webPause(std::uint32_t milliseconds);

// Counts the pauses so far: a loop that asks again without one between is spinning.
std::uint64_t webPauseCount();

// Implemented in web_library.js: draws the shown `columns` x `rows` part of the console, whose
// rows lie `stride` cells apart, on the page.
extern "C" void webShowConsole(const char* characters, const std::uint8_t* attributes, int columns,
                               int rows, int stride);
