// The start-up probe: what the terminal can do, asked once before the menu is shown.
#pragma once

namespace terminal_platform {

// Asks for the keyboard protocol, the pixel mouse mode, the cell size and the text area, each
// answer closed by the device attributes reply; uses the keyboard protocol only when the
// terminal answers its query and, after the flags are pushed, confirms them. A terminal that
// answers nothing is given up on after a second. Sets: terminal.replies, terminal.keys
// (exact events or not), terminal.geometry.
void probe();

}  // namespace terminal_platform
