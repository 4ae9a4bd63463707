// Taking the terminal (input modes, full-screen modes, signal handling) and giving it back
// exactly as it was on every way out. Talks to standard input and output directly.
#pragma once

#include <cstddef>

// True when standard input and output are both terminals and TERM does not say "dumb".
bool terminalIsInteractive();

// Writes all of `length` bytes to standard output, retrying after interruptions.
// Async-signal-safe.
void writeToTerminal(const char* bytes, std::size_t length);

// Saves the terminal's settings and registers the restore (at exit and for every signal that
// ends the process) before changing anything; then raw input, the alternate screen, a hidden
// cursor, no autowrap and mouse reporting.
void sessionTake();

// Gives the terminal back: keyboard protocol flags popped, mouse reporting off, colours
// reset, autowrap on, cursor shown, the main screen with its contents, unread input discarded
// and the saved settings. Async-signal-safe; does nothing unless the terminal is taken.
void sessionRestore();

// Game input: bytes as they come, no echo; Ctrl+C and Ctrl+Z still signal; mouse reporting on.
void sessionRawInput();

// Typed lines: the user's own settings (echo, line editing), mouse reporting off, keyboard
// protocol flags popped, pending input discarded.
void sessionLineInput();

// Pushes the keyboard protocol flags (`flags` > 0), or pops them (0). The restore pops them.
void sessionKeyboardFlags(int flags);

// The read end of the pipe that signal handlers write the signal number to.
int sessionSignalFd();

// The next recorded signal, or 0 when none is waiting.
int sessionNextSignal();

// Gives the terminal back and ends the process by `signal`, as if it had not been caught.
[[noreturn]] void sessionDieBy(int signal);

// Ctrl+Z: gives the terminal back and stops; when continued, takes the terminal again (raw
// input, full-screen modes, keyboard flags). The caller repaints afterwards.
void sessionSuspend();
