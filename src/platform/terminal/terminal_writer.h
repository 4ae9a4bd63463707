// The terminal platform's writer: output goes to the terminal without ever blocking the game,
// waiting for room in poll() only as long as no signal or key needs acting on.
#pragma once

#include <cstddef>

#include "platform/terminal/key_tracker.h"

namespace terminal_platform {

// Opens the terminal that terminal.outputFd is anew, without blocking: the flag then belongs to
// this process's own open file, not to the one it shares with the shell. Keeps the descriptor
// it had where that cannot be done. Sets: terminal.outputFd.
void openOutput();

// While the terminal is given back, writes give up at `deadline` (now() milliseconds); 0: no
// limit. Async-signal-safe.
void setWriteDeadline(Millis deadline);

// Writes all of `length` bytes to terminal.outputFd, waiting for room; gives up when a signal
// that ends the game is waiting (unless a deadline is set) or when the deadline has passed.
// False when not everything was written. Async-signal-safe.
bool writeToTerminal(const char* bytes, std::size_t length);

template <std::size_t N>
bool writeLiteral(const char (&text)[N]) {
    return writeToTerminal(text, N - 1);
}

// Writes what is queued in one go, taking in input while the terminal does not read (a Ctrl+C
// in the keyboard protocol's encoding is input, not a signal), but never past a signal that
// must be acted on. Only in the foreground: a game that finds itself in the background waits
// there, stopped, and takes the terminal again. Acts on the signals recorded meanwhile.
// Reads: terminal.outputFd, terminal.inputFd. Sets: terminal.output (emptied), terminal.screen
// (forgotten when not all of it went out).
void flushOutput();

}  // namespace terminal_platform
