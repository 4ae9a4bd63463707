// Taking the terminal (input modes, full-screen modes, signal handling) and giving it back
// exactly as it was on every way out. Talks to standard input and output directly, and only
// while the process is in the terminal's foreground.
#pragma once

#include <cstddef>

// True when standard input and output are both terminals and TERM does not say "dumb".
bool terminalIsInteractive();

// Makes the signal record (a flag per signal and a wake-up pipe), installs the handlers and
// unblocks the signals the game relies on, before anything touches the terminal. False when
// the wake-up pipe cannot be made: no signal could then ever be acted on.
bool sessionPrepareSignals();

// True while the process group is the terminal's foreground (or the terminal is not the
// controlling one, so job control does not apply). Async-signal-safe.
bool sessionInForeground();

// Waits, stopped, until the process is in the foreground. False when a signal that ends the
// game came first: the caller acts on it without touching the terminal.
bool sessionWaitForForeground();

// Writes all of `length` bytes to the terminal, waiting for room; gives up when a signal that
// ends the game is waiting, or, while the terminal is given back, when the restore's time is
// up. False when not everything was written. Async-signal-safe.
bool writeToTerminal(const char* bytes, std::size_t length);

// The descriptor frame output goes to: the terminal opened anew without blocking where that
// works (so a terminal that stops reading never blocks the game), else standard output.
int sessionOutputFd();

// Saves the terminal's settings and registers the restore (at exit and for every signal that
// ends the process), then raw input, the alternate screen, a hidden cursor, no autowrap and
// mouse reporting. Waits in the background first; false when a signal that ends the game
// came while it waited.
bool sessionTake();

// Gives the terminal back: keyboard protocol flags popped, mouse reporting off, colours
// reset, autowrap on, cursor shown, the main screen with its contents, unread input discarded
// and the saved settings. Output the terminal does not take within a bounded time is
// discarded and the settings are restored regardless. Async-signal-safe; does nothing unless
// the terminal is taken, and touches nothing from the background.
void sessionRestore();

// Game input: bytes as they come, no echo; Ctrl+C and Ctrl+Z still signal; mouse reporting on.
void sessionRawInput();

// Typed lines: the user's own settings (echo, line editing), mouse reporting off, keyboard
// protocol flags popped, key bytes not yet read discarded.
void sessionLineInput();

// Pushes the keyboard protocol flags (`flags` > 0), or pops them (0). The restore pops them.
void sessionKeyboardFlags(int flags);

// Discards input that has arrived and not been read.
void sessionDiscardInput();

// The read end of the pipe that wakes a waiting poll() when a signal has been recorded.
int sessionSignalFd();

// Empties the wake-up pipe; the signals stay recorded.
void sessionDrainWakeUps();

// True when a recorded signal needs acting on at once: one that ends the game, or Ctrl+Z.
bool sessionUrgentSignal();

// The next recorded signal, those that end the game first, or 0 when none is waiting.
int sessionNextSignal();

// Gives the terminal back and ends the process by `signal`, as if it had not been caught.
[[noreturn]] void sessionDieBy(int signal);

// Ctrl+Z: gives the terminal back and stops; when continued, waits to be in the foreground
// and takes the terminal again. False when a signal that ends the game came first. The caller
// repaints afterwards.
bool sessionSuspend();

// After a continue: true when the terminal's settings are no longer the ones the game set,
// because somebody else (a shell, while the game was stopped) changed them.
bool sessionTerminalChanged();

// Sets the game's modes again after the terminal was used by somebody else, without
// discarding typed input. The caller repaints afterwards.
void sessionRetake();
