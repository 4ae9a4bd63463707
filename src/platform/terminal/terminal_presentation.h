// The presentation: the console model brought to the window, and the window's size.
#pragma once

namespace terminal_platform {

// The window's size from the terminal's size report (a report of no cells falls back to
// COLUMNS and LINES, then 80 x 24), with the replied cell size where the report has no
// pixels. Reads: terminal.outputFd, terminal.replies. Sets: terminal.geometry.
void readWindowSize();

// Applies a resize that came meanwhile, queues what changed on the console since the last
// presentation and flushes it; sends nothing at all when nothing changed. A line being typed
// stays in view, as a console window follows its cursor; otherwise the window shows the
// buffer's top. Reads: terminal.console, terminal.lineMode. Sets: terminal.screen,
// terminal.geometry, terminal.resized, terminal.output.
void present();

// Everything on the window again at the next presentation, keys let go: after the terminal
// was somebody else's. Sets: terminal.keys, terminal.input, terminal.screen.
void forgetWhatTheWindowShowed();

}  // namespace terminal_platform
