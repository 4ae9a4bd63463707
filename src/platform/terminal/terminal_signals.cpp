// Signal handlers that only record, the wake-up pipe, and dying or stopping by a signal as
// its default action would.
#include "platform/terminal/terminal_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace terminal_platform {

namespace {

constexpr int SIGNAL_SLOTS = NSIG;
constexpr std::array<int, 3> JOB_SIGNALS{SIGTSTP, SIGCONT, SIGWINCH};
constexpr std::array<int, 7> CRASH_SIGNALS{SIGSEGV, SIGBUS,  SIGFPE, SIGILL,
                                           SIGABRT, SIGTRAP, SIGSYS};
constexpr std::array<int, 4> WAYS_OUT{SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// Signals whose default is not to end the process, or that cannot be caught.
constexpr std::array<int, 6> LEFT_ALONE{SIGKILL, SIGSTOP, SIGCHLD, SIGURG, SIGTTIN, SIGTTOU};

volatile std::sig_atomic_t recorded[SIGNAL_SLOTS];
volatile std::sig_atomic_t terminating[SIGNAL_SLOTS];  // recorded signals that end the game
int wakePipe[2] = {-1, -1};

template <std::size_t N>
bool isOneOf(int signal, const std::array<int, N>& list) {
    for (const int member : list) {
        if (member == signal) {
            return true;
        }
    }
    return false;
}

bool leftAlone(int signal) {
#ifdef SIGINFO
    if (signal == SIGINFO) {
        return true;  // its default is to be ignored
    }
#endif
    return isOneOf(signal, LEFT_ALONE);
}

// Records the signal and wakes the poll() that waits; errno is kept for the interrupted code.
void recordSignal(int signal) {
    const int savedErrno = errno;
    recorded[signal] = 1;
    const unsigned char byte = 1;
    const ssize_t ignored = write(wakePipe[1], &byte, 1);
    static_cast<void>(ignored);  // a full pipe already holds a wake-up
    errno = savedErrno;
}

void installHandler(int signal, void (*handler)(int), int flags) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;  // no SA_RESTART: a waiting poll() or write() returns
    sigaction(signal, &action, nullptr);
}

bool inheritedAsIgnored(int signal) {
    struct sigaction current;
    return sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void unblock(int signal) {
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
}

}  // namespace

bool installSignalRecord(void (*crashHandler)(int)) {
    if (wakePipe[0] >= 0) {
        return true;
    }
    if (pipe(wakePipe) != 0) {
        wakePipe[0] = wakePipe[1] = -1;
        return false;
    }
    for (const int fd : wakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    for (int signal = 1; signal < SIGNAL_SLOTS; ++signal) {
        if (isOneOf(signal, CRASH_SIGNALS)) {
            installHandler(signal, crashHandler, static_cast<int>(SA_RESETHAND));
        } else if (signal == SIGTSTP && inheritedAsIgnored(signal)) {
            continue;  // a parent that cannot resume a stopped job: Ctrl+Z does nothing
        } else if (isOneOf(signal, JOB_SIGNALS)) {
            installHandler(signal, recordSignal, 0);
        } else if (leftAlone(signal) ||
                   (inheritedAsIgnored(signal) && !isOneOf(signal, WAYS_OUT))) {
            continue;
        } else {
            terminating[signal] = 1;
            installHandler(signal, recordSignal, 0);
        }
        unblock(signal);
    }
    // Waiting in the background stops the job by SIGTTIN, and a background write or mode
    // change would stop it by SIGTTOU: neither may be ignored or blocked for that to work.
    installHandler(SIGTTIN, SIG_DFL, 0);
    unblock(SIGTTIN);
    unblock(SIGTTOU);
    return true;
}

int signalWakeFd() {
    return wakePipe[0];
}

void drainSignalWakeUps() {
    unsigned char bytes[256];
    while (wakePipe[0] >= 0 && read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
}

bool terminatingSignalWaiting() {
    for (int signal = 1; signal < SIGNAL_SLOTS; ++signal) {
        if (terminating[signal] != 0 && recorded[signal] != 0) {
            return true;
        }
    }
    return false;
}

bool signalWaiting(int signal) {
    return signal > 0 && signal < SIGNAL_SLOTS && recorded[signal] != 0;
}

bool anySignalWaiting() {
    for (int signal = 1; signal < SIGNAL_SLOTS; ++signal) {
        if (recorded[signal] != 0) {
            return true;
        }
    }
    return false;
}

int takeRecordedSignal() {
    for (int signal = 1; signal < SIGNAL_SLOTS; ++signal) {
        if (terminating[signal] != 0 && recorded[signal] != 0) {
            recorded[signal] = 0;
            return signal;
        }
    }
    for (const int signal : JOB_SIGNALS) {
        if (recorded[signal] != 0) {
            recorded[signal] = 0;
            return signal;
        }
    }
    return 0;
}

void dieBySignal(int signal) {
    installHandler(signal, SIG_DFL, 0);
    unblock(signal);
    raise(signal);
    std::_Exit(128 + signal);  // for a signal whose default is not to end the process
}

void stopBySignal(int signal) {
    installHandler(signal, SIG_DFL, 0);
    unblock(signal);
    raise(signal);
    installHandler(signal, recordSignal, 0);
}

}  // namespace terminal_platform
