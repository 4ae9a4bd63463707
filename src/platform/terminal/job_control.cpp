// Job control: the foreground, Ctrl+Z and fg, continues, resizes and the ways out by signal.
#include "platform/terminal/job_control.h"

#include <poll.h>
#include <unistd.h>

#include <csignal>

#include "platform/terminal/terminal_presentation.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

constexpr int BACKGROUND_RECHECK_MS = 100;

// Ctrl+Z: gives the terminal back and stops; when continued, waits to be in the foreground
// and takes the terminal again. Ends the game instead when a signal that ends it came first.
void suspend() {
    terminal.output.clear();
    sessionRestore();
    stopBySignal(SIGTSTP);  // stops here until continued
    if (!waitForForeground()) {
        quitByWaitingSignal();
    }
    sessionRetakeAfterStop();
    forgetWhatTheWindowShowed();
}

}  // namespace

bool inForeground() {
    const pid_t owner = tcgetpgrp(terminal.inputFd);
    return owner == -1 || owner == getpgrp();
}

bool waitForForeground() {
    while (!inForeground()) {
        if (terminatingSignalWaiting()) {
            return false;
        }
        // The job stops as a background reader would, until the shell's fg continues it. An
        // orphaned group is not stopped: it checks again now and then.
        kill(0, SIGTTIN);
        if (!inForeground() && !terminatingSignalWaiting()) {
            struct pollfd wake = {signalWakeFd(), POLLIN, 0};
            poll(&wake, 1, BACKGROUND_RECHECK_MS);
            drainSignalWakeUps();
        }
    }
    return !terminatingSignalWaiting();
}

void serviceSignals() {
    drainSignalWakeUps();  // each signal is a flag of its own: the pipe only woke the wait
    for (int signal = takeRecordedSignal(); signal != 0; signal = takeRecordedSignal()) {
        switch (signal) {
            case SIGTSTP:
                suspend();
                break;
            case SIGCONT:
                // Only a real stop, after which somebody else had the terminal, calls for
                // taking it again; a continue alone changes nothing and discards nothing.
                if (!inForeground()) {
                    regainTerminal();
                } else if (sessionTerminalChanged()) {
                    sessionRetake();
                    forgetWhatTheWindowShowed();
                }
                break;
            case SIGWINCH:
                terminal.resized = true;
                break;
            default:
                quit(signal);
        }
    }
}

void regainTerminal() {
    if (!waitForForeground()) {
        quitByWaitingSignal();
    }
    sessionRetake();
    forgetWhatTheWindowShowed();
}

void quit(int signal) {
    terminal.output.clear();
    sessionRestore();
    dieBySignal(signal);
}

void quitByWaitingSignal() {
    const int signal = takeRecordedSignal();
    quit(signal != 0 ? signal : SIGTERM);
}

}  // namespace terminal_platform
