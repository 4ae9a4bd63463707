// Writing to the terminal: non-blocking writes, the waits for room, and their deadlines.
#include "platform/terminal/terminal_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/terminal/job_control.h"
#include "platform/terminal/terminal_input.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

volatile std::sig_atomic_t deadlineSet = 0;
Millis writeDeadline = 0;

// How a write waits for room: as the restore does (nothing but the terminal and the signals),
// or as the game does (taking in input meanwhile, and stopping for Ctrl+Z as well).
enum class Waiting { Plain, TakingInput };

bool giveUp(Waiting waiting) {
    if (waiting == Waiting::TakingInput) {
        return terminatingSignalWaiting() || signalWaiting(SIGTSTP);
    }
    return deadlineSet == 0 && terminatingSignalWaiting();
}

bool writeAll(const char* bytes, std::size_t length, Waiting waiting) {
    while (length > 0) {
        if (giveUp(waiting)) {
            return false;  // the game is about to end or stop: the restore writes what matters
        }
        const ssize_t written = write(terminal.outputFd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return false;  // the terminal is gone; nothing more can be shown
        }
        int timeout = -1;
        if (deadlineSet != 0) {
            timeout = static_cast<int>(writeDeadline - now());
            if (timeout <= 0) {
                return false;
            }
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        struct pollfd fds[3] = {{terminal.outputFd, POLLOUT, 0},
                                {signalWakeFd(), POLLIN, 0},
                                {terminal.inputFd, POLLIN, 0}};
        // The wake-ups are taken here; the recorded signals stay for whoever acts on them.
        poll(fds, waiting == Waiting::TakingInput ? 3 : 2, timeout);
        if ((fds[1].revents & POLLIN) != 0) {
            drainSignalWakeUps();
        }
        if (waiting == Waiting::TakingInput && fds[2].revents != 0) {
            takeInput(fds[2].revents);
        }
    }
    return true;
}

}  // namespace

void openOutput() {
    const char* name = ttyname(terminal.outputFd);
    if (name == nullptr) {
        return;
    }
    const int fd = open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    struct stat given {};
    if (fd < 0) {
        return;
    }
    if (fstat(fd, &opened) != 0 || fstat(terminal.outputFd, &given) != 0 ||
        opened.st_rdev != given.st_rdev) {
        close(fd);
        return;
    }
    terminal.outputFd = fd;
}

void setWriteDeadline(Millis deadline) {
    writeDeadline = deadline;
    deadlineSet = deadline != 0 ? 1 : 0;
}

bool writeToTerminal(const char* bytes, std::size_t length) {
    return writeAll(bytes, length, Waiting::Plain);
}

void flushOutput() {
    if (terminal.output.empty()) {
        return;
    }
    if (!inForeground()) {
        terminal.output.clear();  // the repaint after the retake sends everything again
        regainTerminal();
        return;
    }
    const bool complete =
        writeAll(terminal.output.data(), terminal.output.size(), Waiting::TakingInput);
    terminal.output.clear();
    if (!complete) {
        terminal.screen.forget();  // what the window shows is no longer known
    }
    // The wait for room took the wake-ups of whatever came meanwhile (a resize above all):
    // it is acted on now.
    if (anySignalWaiting()) {
        serviceSignals();
    }
}

}  // namespace terminal_platform
