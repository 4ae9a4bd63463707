// The terminal platform's output: the queue, one write per flush that never waits past a
// signal, the window's size and the painting under the rows.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

// A window that reports no size is taken to be a classic terminal's.
constexpr int DEFAULT_COLUMNS = 80;
constexpr int DEFAULT_ROWS = 24;

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
    const int columns = windowCells(size.ws_col, std::getenv("COLUMNS"), DEFAULT_COLUMNS);
    const int rows = windowCells(size.ws_row, std::getenv("LINES"), DEFAULT_ROWS);
    terminal.geometry = measureWindow(columns, rows, size.ws_xpixel, size.ws_ypixel,
                                      terminal.replies.cellWidth, terminal.replies.cellHeight);
}

void flushOutput() {
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
        terminal.screen.forget();  // what the window shows is no longer known
    }
    // The wait for room took the wake-ups of whatever came meanwhile (a resize above all):
    // it is acted on now.
    if (!complete || anySignalWaiting()) {
        serviceSignals();
    }
}

void forgetWhatTheWindowShowed() {
    terminal.keys.releaseAll();
    terminal.input.clear();
    terminal.screen.forget();
}

void present() {
    do {
        if (terminal.resized) {
            terminal.resized = false;
            readWindowSize();
            terminal.screen.resize(terminal.geometry.columns, terminal.geometry.rows);
        }
        // A line being typed stays in view, as a console window follows its cursor; otherwise
        // the window shows the buffer's top.
        const int top =
            terminal.lineMode ? terminal.console.cursorRow() - terminal.screen.rows() + 1 : 0;
        terminal.output += terminal.screen.present(terminal.console, top);
        flushOutput();           // nothing at all when nothing changed
    } while (terminal.resized);  // the window changed size while the frame was being sent
}

}  // namespace terminal_platform
