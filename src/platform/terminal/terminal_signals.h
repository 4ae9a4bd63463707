// The terminal platform's record of signals: a flag per signal, set by the handlers, and a
// pipe whose bytes only wake a waiting poll(). The flags hold the truth, so a flood of signals
// that fills the pipe loses none of them.
#pragma once

namespace terminal_platform {

// Makes the wake-up pipe, then records every signal whose default would end the process
// (except crashes, which go to `crashHandler` with their default action back in place) and
// the job-control signals, and unblocks them. Signals inherited as ignored stay ignored,
// SIGTSTP among them, except the game's ways out (Ctrl+C, SIGTERM, SIGHUP, SIGQUIT). False, with
// nothing installed, when the pipe cannot be made.
bool installSignalRecord(void (*crashHandler)(int));

// The pipe's read end, or -1 before it exists.
int signalWakeFd();

// Empties the pipe; the flags stay. Async-signal-safe.
void drainSignalWakeUps();

// True when a signal that ends the game has been recorded and not yet taken.
// Async-signal-safe.
bool terminatingSignalWaiting();

// True when `signal` has been recorded and not yet taken.
bool signalWaiting(int signal);

// True when any signal has been recorded and not yet taken, whether or not its wake-up byte
// is still in the pipe: a wait that drained the pipe leaves the signal to act on.
bool anySignalWaiting();

// Takes the next recorded signal: those that end the game first, then SIGTSTP, SIGCONT and
// SIGWINCH; 0 when none is waiting.
int takeRecordedSignal();

// Ends the process by `signal` with its default action, as if it had never been caught.
[[noreturn]] void dieBySignal(int signal);

// Stops the process by `signal` (SIGTSTP) with its default action; returns when continued,
// with the signal recorded again from then on.
void stopBySignal(int signal);

}  // namespace terminal_platform
