// The terminal platform's output: the queue, one write per flush that never waits past a
// signal, the window's size and the painting under the rows.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/terminal_session.h"
#include "platform/terminal_state.h"

namespace terminal_platform {

namespace {

constexpr char COLOURS_ON[] = "\x1b[0;97;46m";  // bright white on aqua

// Writes the queue, waiting for the terminal to take it. While it waits, game input is still
// read (a Ctrl+C in the keyboard protocol's encoding is input, not a signal). False when it
// stopped early: the terminal is gone, or a signal must be acted on at once.
bool sendQueued() {
    const char* bytes = terminal.output.data();
    std::size_t left = terminal.output.size();
    while (left > 0) {
        const ssize_t written = write(sessionOutputFd(), bytes, left);
        if (written > 0) {
            bytes += written;
            left -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return false;  // the terminal is gone
        }
        if (sessionUrgentSignal()) {
            return false;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        struct pollfd fds[3] = {{sessionOutputFd(), POLLOUT, 0},
                                {sessionSignalFd(), POLLIN, 0},
                                {STDIN_FILENO, POLLIN, 0}};
        // Typed lines are the settings screen's to read, not the decoder's.
        poll(fds, terminal.lineMode ? 2 : 3, -1);
        if ((fds[1].revents & POLLIN) != 0) {
            sessionDrainWakeUps();
        }
        if (!terminal.lineMode && fds[2].revents != 0) {
            takeInput(fds[2].revents);
        }
    }
    return true;
}

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
    terminal.lastFlush = now();
    if (terminal.output.empty()) {
        return;
    }
    if (!sessionInForeground()) {
        terminal.output.clear();  // the repaint after the retake sends everything again
        regainTerminal();
        return;
    }
    const bool complete = sendQueued();
    terminal.output.clear();
    if (!complete) {
        terminal.resized = true;  // what the window shows is no longer known
        serviceSignals();
    }
}

void paintWindow() {
    if (terminal.coloured && terminal.colourAllowed) {
        terminal.output += COLOURS_ON;
    }
    terminal.output += terminal.screen.paint();
    terminal.screen.resendAll();
    terminal.cursorAtText = false;
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
        terminal.output += rows;
        terminal.cursorAtText = false;
    }
    if (terminal.lineMode && !terminal.cursorAtText) {
        terminal.output += cursorTo(terminal.screen.textRow(), terminal.screen.textColumn());
        terminal.cursorAtText = true;
    }
    flushOutput();
}

}  // namespace terminal_platform
