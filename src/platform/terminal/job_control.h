// Job control and the other signals the game acts on: the foreground checks, stopping and
// continuing, taking the terminal back, resizes, and ending by a signal.
#pragma once

namespace terminal_platform {

// True while the process group is the terminal's foreground (or the terminal is not the
// controlling one, so job control does not apply). Reads: terminal.inputFd.
// Async-signal-safe.
bool inForeground();

// Waits, stopped, until the process is in the foreground. False when a signal that ends the
// game came first: the caller acts on it without touching the terminal.
bool waitForForeground();

// Acts on the signals recorded so far, those that end the game first: quit, suspend (Ctrl+Z),
// continue, resize. Sets: terminal.resized; after a stop or a retake, what
// forgetWhatTheWindowShowed() sets.
void serviceSignals();

// Back in the foreground after somebody else had the terminal: the game's modes again, no
// keys held, and everything repainted at the next presentation. Ends the game instead when a
// signal that ends it came while it waited.
void regainTerminal();

// Gives the terminal back and ends the process by `signal`, as if it had not been caught.
// Sets: terminal.output (dropped).
[[noreturn]] void quit(int signal);

// Ends the game by the first recorded signal that ends it (SIGTERM when, oddly, none is).
[[noreturn]] void quitByWaitingSignal();

}  // namespace terminal_platform
