// Presenting the console model in the terminal window, at the window's size.
#include "platform/terminal/terminal_presentation.h"

#include <sys/ioctl.h>

#include <cstdlib>

#include "platform/terminal/terminal_state.h"
#include "platform/terminal/terminal_writer.h"

namespace terminal_platform {

namespace {

// A window that reports no size is taken to be a classic terminal's.
constexpr int CLASSIC_COLUMNS = 80;
constexpr int CLASSIC_ROWS = 24;

}  // namespace

void readWindowSize() {
    struct winsize size {};
    if (ioctl(terminal.outputFd, TIOCGWINSZ, &size) != 0) {
        return;
    }
    const int columns = windowCells(size.ws_col, std::getenv("COLUMNS"), CLASSIC_COLUMNS);
    const int rows = windowCells(size.ws_row, std::getenv("LINES"), CLASSIC_ROWS);
    terminal.geometry = measureWindow(columns, rows, size.ws_xpixel, size.ws_ypixel,
                                      terminal.replies.cellWidth, terminal.replies.cellHeight);
}

void present() {
    do {
        if (terminal.resized) {
            terminal.resized = false;
            readWindowSize();
            terminal.screen.resize(terminal.geometry.columns, terminal.geometry.rows);
        }
        const int top =
            terminal.lineMode ? terminal.console.cursorRow() - terminal.screen.rows() + 1 : 0;
        terminal.output += terminal.screen.present(terminal.console, top);
        terminal.console.clearRowChanges();  // what changed is in the output now
        flushOutput();
    } while (terminal.resized);  // the window changed size while the frame was being sent
}

void forgetWhatTheWindowShowed() {
    terminal.keys.releaseAll();
    terminal.input.clear();
    terminal.screen.forget();
}

}  // namespace terminal_platform
