// What the web platform's parts share: the pause in which the page runs. Every wait of the
// game goes through webPause, since the page only shows what the game drew and only delivers
// key and mouse events while the game's code is paused. The console the page shows is
// hostedConsole().
#pragma once

#include <cstdint>

// Shows the console on the page if it changed, then gives the page `milliseconds` of time.
void webPause(std::uint32_t milliseconds);

// As webPause, but the pause ends early at the page's next key, focus or control event: for
// a loop that only waits for input, so that it wakes seldom yet answers at once.
void webWaitForInput(std::uint32_t longestMilliseconds);

// Counts the pauses so far: a loop that asks again without one between is spinning.
std::uint64_t webPauseCount();

// What the page shows, which decides the keys it takes from the browser.
enum class WebScreen { Menu = 0, Demo = 1, Prompt = 2 };

// Implemented in web_library.js: draws the shown `columns` x `rows` part of the console, whose
// rows lie `stride` cells apart, on the page: only the `changedCount` rows listed in
// `changedRows`, the others are shown already. `screen` is a WebScreen.
extern "C" void webShowConsole(const char* characters, const std::uint8_t* attributes, int columns,
                               int rows, int stride, const int* changedRows, int changedCount,
                               int screen);

// Implemented in web_library.js: sleeps until the page's next input event or for
// `milliseconds`, whichever comes first.
extern "C" void webWaitForEvent(std::uint32_t milliseconds);
