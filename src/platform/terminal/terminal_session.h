// The terminal session: the settings the game found, the modes it sets (raw input, the
// alternate screen, a hidden cursor, no autowrap, mouse reporting, the keyboard protocol) and
// the restore that undoes them in reverse order on every way out.
#pragma once

namespace terminal_platform {

// True when the terminal's input and output are terminals and TERM does not say "dumb".
// Reads: terminal.inputFd, terminal.outputFd.
bool terminalIsInteractive();

// Makes the signal record and installs its handlers, a crash's restoring the terminal before
// the process dies, before anything touches the terminal. False when that cannot be done: no
// signal could then ever be acted on.
bool sessionPrepareSignals();

// Saves the terminal's settings and registers the restore (at exit; the signals register it
// for themselves), then sets the game's modes. Waits in the background first; false when a
// signal that ends the game came while it waited. Sets: terminal.outputFd (opened anew).
bool sessionTake();

// Gives the terminal back: keyboard protocol flags popped, mouse reporting off, colours reset
// and what the game drew erased, autowrap on, cursor shown, the main screen with its contents,
// unread input discarded and the saved settings. Output the terminal does not take within a
// bounded time is discarded and the settings are restored regardless. Async-signal-safe; does
// nothing unless the terminal is taken, and touches nothing from the background.
void sessionRestore();

// Takes the terminal again after a stop, keeping the settings the shell handed back as the
// ones to restore. False when the terminal could not be read (the game then runs untaken).
bool sessionRetakeAfterStop();

// Game input: bytes as they come, no echo; Ctrl+C and Ctrl+Z still signal where the terminal
// controls the session; mouse reporting and the keyboard protocol on.
void sessionRawInput();

// Typed lines: still raw (the platform edits lines itself), mouse reporting off, keyboard
// protocol flags popped, key bytes not yet read discarded.
void sessionLineInput();

// Pushes the keyboard protocol flags (`flags` > 0), or pops them (0). The restore pops them.
void sessionKeyboardFlags(int flags);

// Discards input that has arrived and not been read.
void sessionDiscardInput();

// After a continue: true when the terminal's settings are no longer the ones the game set,
// because somebody else (a shell, while the game was stopped) changed them.
bool sessionTerminalChanged();

// Sets the game's screen and input modes again after somebody else used the terminal,
// discarding nothing typed. The caller repaints afterwards.
void sessionRetake();

}  // namespace terminal_platform
