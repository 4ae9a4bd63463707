// The terminal platform's input: reading what the terminal sends, decoding it into keys,
// pointer motion and replies, and the one wait that takes in input and signals.
#pragma once

#include "platform/terminal/key_tracker.h"

namespace terminal_platform {

// Takes in what a poll() reported as `events` on terminal.inputFd: game input is decoded and
// acted on (keys, pointer, replies, Ctrl+C and Ctrl+Z as bytes), typed lines are kept for the
// line reader; ends the game when the terminal has gone. Sets: terminal.input, .inputSince,
// .lastInput, .typed, .keys, .pointer, .replies, .geometry.
void takeInput(short events);

// Waits up to `timeoutMs` (-1: no limit) for input or a signal and takes in whatever came,
// acting on every recorded signal, those recorded during some other wait included; a sequence
// left unfinished for long is decoded as it is. The platform's only wait for input.
void pump(int timeoutMs);

// Takes in input and signals until `milliseconds` have passed, presenting what a resize or a
// resume meanwhile calls for at once. Sets: terminal.lastPause.
void sleepFor(Millis milliseconds);

}  // namespace terminal_platform
