// Controls of the headless platform: a scripted desktop, keyboard, console and standard input
// with a virtual clock. Tests and the headless runner use these to drive and inspect the game.
#pragma once

#include <cstdint>
#include <string>

// Puts the whole model back to its start: a 1920 x 1080 desktop with the cursor at (960, 540),
// no keys down, a blank 120 x 40 console with attribute 07 and a visible text cursor at (0, 0),
// empty standard input and a clock at 0.
void headlessReset();

// The key goes down and stays down.
void headlessHoldKey(int key);
// The key comes up (a press not yet queried is still reported once).
void headlessReleaseKey(int key);
// The key goes down and up again before its next query.
void headlessTapKey(int key);

void headlessSetCursor(std::int32_t x, std::int32_t y);
std::int32_t headlessCursorX();
std::int32_t headlessCursorY();
// Makes the next cursor reads fail (true) or succeed again (false).
void headlessSetCursorUnreadable(bool unreadable);
void headlessSetScreenSize(std::int32_t width, std::int32_t height);

// Replaces the console by a blank one of that size (at least 1 x 1).
void headlessResizeConsole(int columns, int rows);
int headlessConsoleRows();
// The raw bytes of a console row, untrimmed.
std::string headlessConsoleRow(int row);
unsigned headlessConsoleAttribute();
bool headlessTextCursorVisible();
int headlessTextCursorColumn();
int headlessTextCursorRow();

// Appends text to standard input; a read past it sees end of input until more is typed.
void headlessTypeInput(const std::string& text);
// Standard input has ended for good.
void headlessEndInput();

// Virtual milliseconds slept so far.
std::uint64_t headlessSleptMilliseconds();

// Called with the length of every sleep, after the clock has advanced; lets a test look at the
// console during a pause or change the keys while the game waits. nullptr removes it.
using HeadlessSleepObserver = void (*)(std::uint32_t milliseconds);
void headlessSetSleepObserver(HeadlessSleepObserver observer);
