// The terminal session: saved settings, the full-screen modes, and the restore on every way
// out. Signal handlers here only record the signal, except for crashes, which restore with
// async-signal-safe calls and then die by the same signal.
#include "platform/terminal/terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/terminal/terminal_signals.h"

namespace {

// Sequences of setting up, each undone in reverse order by the restore.
constexpr const char ENTER_SCREEN[] =
    "\x1b[?1049h"  // alternate screen; the main screen and its contents are kept
    "\x1b[?25l"    // hide the text cursor
    "\x1b[?7l";    // no autowrap: a row longer than the window is clipped, never wrapped
constexpr const char MOUSE_ON[] =
    "\x1b[?1003h"   // report all motion
    "\x1b[?1006h"   // in SGR encoding
    "\x1b[?1016h"   // in pixels, where the terminal can (after 1006)
    "\x1b[?1004h";  // report focus changes, so keys held at a focus loss are let go
constexpr const char MOUSE_OFF[] = "\x1b[?1004l\x1b[?1016l\x1b[?1006l\x1b[?1003l";
constexpr const char KEYBOARD_POP[] = "\x1b[<u";
constexpr const char ATTRIBUTES_QUERY[] = "\x1b[c";
constexpr const char LEAVE_SCREEN[] =
    "\x1b[0m"        // colours reset
    "\x1b[H\x1b[2J"  // what the game drew erased, for a terminal without an alternate screen
    "\x1b[?7h"       // autowrap on
    "\x1b[?25h"      // cursor shown
    "\x1b[?1049l";   // back to the main screen
// Cancels an escape sequence that discarded output may have left half sent.
constexpr const char CANCEL[] = "\x18";

constexpr int POP_DRAIN_LIMIT_MS = 100;  // a terminal that answers nothing by then never will
constexpr int RESTORE_LIMIT_MS = 300;    // a terminal that reads nothing by then is stalled
constexpr int RESTORE_RETRY_MS = 100;    // after discarding what it did not read
constexpr int BACKGROUND_RECHECK_MS = 100;

struct termios savedSettings;
struct termios setSettings;  // the settings the game last gave the terminal
volatile std::sig_atomic_t taken = 0;
volatile std::sig_atomic_t keyboardPushed = 0;
volatile std::sig_atomic_t mouseOn = 0;
volatile std::sig_atomic_t lineInput = 0;
// While the terminal is given back, writes give up at this time (monotonic ms); 0: no limit.
volatile std::sig_atomic_t restoreDeadlineSet = 0;
long long restoreDeadline = 0;
int wantedKeyboardFlags = 0;
int outputFd = STDOUT_FILENO;
// The terminal is the session's controlling one: its Ctrl+C, Ctrl+Z and Ctrl+\ signal. A
// terminal that controls no session drops those signals, so the keys must come as bytes.
bool controlling = true;

long long monotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

template <std::size_t N>
bool writeLiteral(const char (&text)[N]) {
    return writeToTerminal(text, N - 1);
}

// Waits until the terminal takes output or a signal is recorded, at most `timeoutMs`
// (-1: no limit). Async-signal-safe.
void waitForRoom(int timeoutMs) {
    struct pollfd fds[2] = {{outputFd, POLLOUT, 0}, {signalWakeFd(), POLLIN, 0}};
    poll(fds, signalWakeFd() >= 0 ? 2 : 1, timeoutMs);
    if ((fds[1].revents & POLLIN) != 0) {
        drainSignalWakeUps();
    }
}

// Pops the keyboard protocol flags and drops the input that was already on its way: key
// events the terminal encoded under the old flags (a Ctrl release after Ctrl+C, say) would
// otherwise arrive as text for the shell or a prompt. The terminal answers the device
// attributes query after everything it sent before, so its reply marks the end of those
// events. Async-signal-safe.
bool popKeyboardFlags() {
    keyboardPushed = 0;
    if (!writeLiteral(KEYBOARD_POP) || !writeLiteral(ATTRIBUTES_QUERY)) {
        return false;
    }
    const long long start = monotonicMs();
    int matched = 0;  // how much of the reply "ESC [ ? <digits and ;> c" has been seen
    for (;;) {
        const auto left = static_cast<int>(POP_DRAIN_LIMIT_MS - (monotonicMs() - start));
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        if (left <= 0 || poll(&input, 1, left) <= 0) {
            return true;
        }
        char bytes[256];
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count <= 0) {
            return true;
        }
        for (ssize_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            if (matched == 3 && c == 'c') {
                return true;
            }
            if (c == '\x1b') {
                matched = 1;
            } else if ((matched == 1 && c == '[') || (matched == 2 && c == '?')) {
                ++matched;
            } else if (!(matched == 3 && ((c >= '0' && c <= '9') || c == ';'))) {
                matched = 0;
            }
        }
    }
}

void restoreAtExit() {
    sessionRestore();
}

void crashRestore(int signal) {
    sessionRestore();
    // SA_RESETHAND gave the signal its default action back; it is delivered again on return.
    raise(signal);
}

// Opens the terminal anew, without blocking: the flag then belongs to this process's own open
// file, not to the one it shares with the shell. Falls back to standard output.
void openOutput() {
    const char* name = ttyname(STDOUT_FILENO);
    if (name == nullptr) {
        return;
    }
    const int fd = open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    struct stat standard {};
    if (fd < 0) {
        return;
    }
    if (fstat(fd, &opened) != 0 || fstat(STDOUT_FILENO, &standard) != 0 ||
        opened.st_rdev != standard.st_rdev) {
        close(fd);
        return;
    }
    outputFd = fd;
}

void setTerminal(const struct termios& settings) {
    setSettings = settings;
    // TCSANOW: draining first would wait for a terminal that may have stopped reading.
    tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

// Raw input for the game's keys.
struct termios rawSettings() {
    struct termios raw = savedSettings;
    // No break-to-interrupt, no CR-to-NL, no parity check, no 8th-bit strip, and no Ctrl+S/Q
    // flow control: every key byte arrives as sent and output never stalls.
    raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
    // No output processing: the program sends "\r\n" itself.
    raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    raw.c_cflag |= CS8;
    // No echo, no line editing, no Ctrl+V; ISIG stays, so Ctrl+C, Ctrl+Z and Ctrl+\ signal,
    // unless no job could be signalled: the keys then come as bytes and act as keys.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
    if (controlling) {
        raw.c_lflag |= ISIG;
    } else {
        raw.c_lflag &= ~static_cast<tcflag_t>(ISIG);
    }
    // A read returns at once with what has arrived; waiting is done with poll().
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    return raw;
}

void pushKeyboardFlags() {
    if (wantedKeyboardFlags > 0 && keyboardPushed == 0) {
        const std::string push = "\x1b[>" + std::to_string(wantedKeyboardFlags) + "u";
        writeToTerminal(push.data(), push.size());
        keyboardPushed = 1;
    }
}

// The modes of the input the game is reading, without discarding anything typed.
void enterInputModes() {
    if (lineInput != 0) {
        if (keyboardPushed != 0) {
            popKeyboardFlags();
        }
        if (mouseOn != 0) {
            writeLiteral(MOUSE_OFF);
            mouseOn = 0;
        }
        setTerminal(rawSettings());  // the platform edits typed lines itself
        return;
    }
    setTerminal(rawSettings());
    writeLiteral(MOUSE_ON);  // again after a retake: idempotent
    mouseOn = 1;
    pushKeyboardFlags();
}

bool sameSettings(const struct termios& a, const struct termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace

bool terminalIsInteractive() {
    const char* term = std::getenv("TERM");
    const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1 && !dumb;
}

bool sessionPrepareSignals() {
    return installSignalRecord(crashRestore);
}

bool sessionInForeground() {
    const pid_t owner = tcgetpgrp(STDIN_FILENO);
    return owner == -1 || owner == getpgrp();
}

bool sessionWaitForForeground() {
    while (!sessionInForeground()) {
        if (terminatingSignalWaiting()) {
            return false;
        }
        // The job stops as a background reader would, until the shell's fg continues it. An
        // orphaned group is not stopped: it checks again now and then.
        kill(0, SIGTTIN);
        if (!sessionInForeground() && !terminatingSignalWaiting()) {
            struct pollfd wake = {signalWakeFd(), POLLIN, 0};
            poll(&wake, 1, BACKGROUND_RECHECK_MS);
            drainSignalWakeUps();
        }
    }
    return !terminatingSignalWaiting();
}

bool writeToTerminal(const char* bytes, std::size_t length) {
    while (length > 0) {
        if (restoreDeadlineSet == 0 && terminatingSignalWaiting()) {
            return false;  // the game is about to end: the restore writes what matters
        }
        const ssize_t written = write(outputFd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR) {
            return false;  // the terminal is gone; nothing more can be shown
        }
        int timeout = -1;
        if (restoreDeadlineSet != 0) {
            timeout = static_cast<int>(restoreDeadline - monotonicMs());
            if (timeout <= 0) {
                return false;
            }
        }
        if (written < 0 && errno == EAGAIN) {
            waitForRoom(timeout);
        }
    }
    return true;
}

int sessionOutputFd() {
    return outputFd;
}

bool sessionTake() {
    if (taken != 0) {
        return true;
    }
    if (!sessionWaitForForeground()) {
        return false;
    }
    if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
        return true;
    }
    controlling = tcgetsid(STDIN_FILENO) == getsid(0);
    openOutput();
    std::atexit(restoreAtExit);
    taken = 1;
    writeLiteral(ENTER_SCREEN);
    mouseOn = 0;
    enterInputModes();
    return true;
}

void sessionRestore() {
    if (taken == 0) {
        return;
    }
    taken = 0;
    if (!sessionInForeground()) {
        return;  // the terminal is somebody else's now: nothing may be sent or set
    }
    // Standard output shares its open file with the shell: it does not block only for now.
    const int standardFlags = outputFd == STDOUT_FILENO ? fcntl(STDOUT_FILENO, F_GETFL) : -1;
    if (standardFlags >= 0) {
        fcntl(STDOUT_FILENO, F_SETFL, standardFlags | O_NONBLOCK);
    }
    restoreDeadline = monotonicMs() + RESTORE_LIMIT_MS;
    restoreDeadlineSet = 1;
    const bool flagsPushed = keyboardPushed != 0;
    bool sent = !flagsPushed || popKeyboardFlags();
    sent = sent && writeLiteral(MOUSE_OFF) && writeLiteral(LEAVE_SCREEN);
    if (!sent) {
        // The terminal stopped reading: what it has not taken is discarded, and the restore
        // is queued in its place for when it reads again.
        tcflush(STDIN_FILENO, TCOFLUSH);
        restoreDeadline = monotonicMs() + RESTORE_RETRY_MS;
        if (writeLiteral(CANCEL) && (!flagsPushed || writeLiteral(KEYBOARD_POP))) {
            writeLiteral(MOUSE_OFF) && writeLiteral(LEAVE_SCREEN);
        }
    }
    restoreDeadlineSet = 0;
    if (standardFlags >= 0) {
        fcntl(STDOUT_FILENO, F_SETFL, standardFlags);
    }
    keyboardPushed = 0;
    mouseOn = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    tcflush(STDIN_FILENO, TCIFLUSH);  // unread input is discarded, not left for the shell
}

void sessionRawInput() {
    lineInput = 0;
    enterInputModes();
}

void sessionLineInput() {
    lineInput = 1;
    enterInputModes();
    sessionDiscardInput();  // key bytes from the game's keys are not typed text
}

void sessionKeyboardFlags(int flags) {
    if (keyboardPushed != 0) {
        writeLiteral(KEYBOARD_POP);
        keyboardPushed = 0;
    }
    wantedKeyboardFlags = flags;
    pushKeyboardFlags();
}

void sessionDiscardInput() {
    tcflush(STDIN_FILENO, TCIFLUSH);
}

int sessionSignalFd() {
    return signalWakeFd();
}

void sessionDrainWakeUps() {
    drainSignalWakeUps();
}

bool sessionUrgentSignal() {
    return terminatingSignalWaiting() || signalWaiting(SIGTSTP);
}

int sessionNextSignal() {
    drainSignalWakeUps();
    return takeRecordedSignal();
}

void sessionDieBy(int signal) {
    sessionRestore();
    dieBySignal(signal);
}

bool sessionSuspend() {
    const int flags = wantedKeyboardFlags;
    sessionRestore();
    stopBySignal(SIGTSTP);  // stops here until continued
    if (!sessionWaitForForeground()) {
        return false;
    }
    // The shell may have changed the settings meanwhile: what it hands back is what to restore.
    if (tcgetattr(STDIN_FILENO, &savedSettings) == 0) {
        taken = 1;
        wantedKeyboardFlags = flags;
        writeLiteral(ENTER_SCREEN);
        mouseOn = 0;
        enterInputModes();
    }
    return true;
}

bool sessionTerminalChanged() {
    struct termios now {};
    return taken != 0 && tcgetattr(STDIN_FILENO, &now) == 0 && !sameSettings(now, setSettings);
}

void sessionRetake() {
    writeLiteral(ENTER_SCREEN);
    enterInputModes();
}
