// The script language of mazecast-headless: keys, cursor, console and typed input, and passes
// of the game's main loop, one command a line.
#pragma once

#include <istream>
#include <ostream>

// Starts the game on the headless platform and runs `script` against it, printing what `show`
// and `state` ask for on `out`, flushed after every command. Returns 0 at the end of the script;
// 2 after writing a message naming the offending line on `err` for a bad command, a line longer
// than 4096 bytes or a script that cannot be read; 1 after a message on `err` when `out` cannot
// be written.
int runHeadlessScript(std::istream& script, std::ostream& out, std::ostream& err);
