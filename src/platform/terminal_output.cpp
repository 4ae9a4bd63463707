// The terminal platform's output: the queue, one write per flush, the window's size and the
// painting under the frame rows.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal_session.h"
#include "platform/terminal_state.h"

namespace terminal_platform {

namespace {

constexpr char COLOURS_ON[] = "\x1b[0;97;46m";  // bright white on aqua
constexpr char SAVE_CURSOR[] = "\0337";         // ESC 7: save the cursor

constexpr char RESTORE_CURSOR[] = "\0338";  // ESC 8: restore it

}  // namespace

Terminal terminal;

void readWindowSize() {
    struct winsize size {};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) {
        return;
    }
    terminal.geometry = measureWindow(size.ws_col, size.ws_row, size.ws_xpixel, size.ws_ypixel,
                                      terminal.replies.cellWidth, terminal.replies.cellHeight);
}

void flushOutput() {
    if (!terminal.output.empty()) {
        writeToTerminal(terminal.output.data(), terminal.output.size());
        terminal.output.clear();
    }
    terminal.lastFlush = now();
}

void saveTextCursor() {
    if (!terminal.textCursorSaved) {
        terminal.output += SAVE_CURSOR;
        terminal.textCursorSaved = true;
    }
}

void restoreTextCursor() {
    if (terminal.textCursorSaved) {
        terminal.output += RESTORE_CURSOR;
        terminal.textCursorSaved = false;
    }
}

void paintWindow() {
    if (terminal.coloured && terminal.colourAllowed) {
        terminal.output += COLOURS_ON;
    }
    saveTextCursor();
    terminal.output += terminal.screen.paint();
    terminal.screen.resendAll();
}

static void applyResize() {
    if (!terminal.resized) {
        return;
    }
    terminal.resized = false;
    readWindowSize();
    terminal.screen.resize(terminal.geometry.columns, terminal.geometry.rows);
    paintWindow();
}

void present() {
    applyResize();
    const std::string rows = terminal.screen.present();
    if (!rows.empty()) {
        saveTextCursor();
        terminal.output += rows;
    }
    flushOutput();
}

}  // namespace terminal_platform
