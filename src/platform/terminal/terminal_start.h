// Starting the terminal platform on a pair of descriptors: the program's standard input and
// output, or a pseudo-terminal a test opened, so a session can be driven in-process.
#pragma once

namespace terminal_platform {

// Refuses to run (one line on standard error, exit status 2) unless both descriptors are a
// terminal and TERM allows it, or when signals cannot be recorded; otherwise takes the
// terminal (waiting, stopped, while in the background), measures the window, probes what the
// terminal can do and discards what was typed before the menu shows. Once per process; the
// platform's first call starts it on standard input and output.
void startTerminal(int inputFd, int outputFd);

}  // namespace terminal_platform
