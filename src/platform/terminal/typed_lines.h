// Typed lines for the settings screen: the prompt's reads, edited and echoed on the console
// by the line editor, over the same wait as everything else.
#pragma once

#include <cstddef>

namespace terminal_platform {

// The next line typed, handed out whole over as many reads as it takes, `capacity` bytes at
// most each; 0 at the end of input (Ctrl+D on an empty line). Switches to typed lines first.
// Reads and sets: terminal.typed, terminal.editor, terminal.lineReady, terminal.console (the
// echo), terminal.lineMode.
std::size_t readTypedLine(char* buffer, std::size_t capacity);

// Back to game keys after typed lines: what was written for them is shown first, and what the
// keys did meanwhile is dropped. Nothing when no line was being read. Sets: terminal.lineMode,
// terminal.keys, terminal.input, terminal.typed, terminal.lineReady.
void endTypedLines();

}  // namespace terminal_platform
