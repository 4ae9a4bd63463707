// The terminal session: saved settings, the full-screen modes, and the restore on every way
// out. Signal handlers here only record the signal, except for crashes, which restore with
// async-signal-safe calls and then die by the same signal.
#include "platform/terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

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
constexpr int POP_DRAIN_LIMIT_MS = 100;  // a terminal that answers nothing by then never will
constexpr const char LEAVE_SCREEN[] =
    "\x1b[0m"       // colours reset
    "\x1b[?7h"      // autowrap on
    "\x1b[?25h"     // cursor shown
    "\x1b[?1049l";  // back to the main screen

constexpr std::array<int, 7> RECORDED_SIGNALS{SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,
                                              SIGTSTP, SIGCONT, SIGWINCH};
constexpr std::array<int, 5> CRASH_SIGNALS{SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

struct termios savedSettings;
volatile std::sig_atomic_t taken = 0;
volatile std::sig_atomic_t keyboardPushed = 0;
volatile std::sig_atomic_t mouseOn = 0;
int wantedKeyboardFlags = 0;
int signalPipe[2] = {-1, -1};

template <std::size_t N>
void writeLiteral(const char (&text)[N]) {
    writeToTerminal(text, N - 1);
}

int millisecondsSince(const timespec& start) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int>((now.tv_sec - start.tv_sec) * 1000 +
                            (now.tv_nsec - start.tv_nsec) / 1000000);
}

// Pops the keyboard protocol flags and drops the input that was already on its way: key
// events the terminal encoded under the old flags (a Ctrl release after Ctrl+C, say) would
// otherwise arrive as text for the shell or a prompt. The terminal answers the device
// attributes query after everything it sent before, so its reply marks the end of those
// events. Async-signal-safe.
void popKeyboardFlags() {
    writeLiteral(KEYBOARD_POP);
    keyboardPushed = 0;
    writeLiteral(ATTRIBUTES_QUERY);
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    int matched = 0;  // how much of the reply "ESC [ ? <digits and ;> c" has been seen
    for (;;) {
        const int left = POP_DRAIN_LIMIT_MS - millisecondsSince(start);
        struct pollfd input = {STDIN_FILENO, POLLIN, 0};
        if (left <= 0 || poll(&input, 1, left) <= 0) {
            return;
        }
        char bytes[256];
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            const char c = bytes[i];
            if (matched == 3 && c == 'c') {
                return;
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

// Records the signal in the pipe; errno is kept for the code the signal interrupted.
void recordSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    const ssize_t ignored = write(signalPipe[1], &byte, 1);
    static_cast<void>(ignored);  // a full pipe already holds a wake-up
    errno = savedErrno;
}

void restoreAndDie(int signal) {
    sessionRestore();
    // SA_RESETHAND gave the signal its default action back; it is delivered again on return.
    raise(signal);
}

void restoreAtExit() {
    sessionRestore();
}

void installHandler(int signal, void (*handler)(int), int flags) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    sigaction(signal, &action, nullptr);
}

void makeSignalPipe() {
    if (pipe(signalPipe) != 0) {
        return;
    }
    for (const int fd : signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
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
    // No echo, no line editing, no Ctrl+V; ISIG stays, so Ctrl+C, Ctrl+Z and Ctrl+\ signal.
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN);
    raw.c_lflag |= ISIG;
    // A read returns at once with what has arrived; waiting is done with poll().
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    return raw;
}

void enterModes() {
    writeLiteral(ENTER_SCREEN);
    mouseOn = 0;
    sessionRawInput();
}

}  // namespace

bool terminalIsInteractive() {
    const char* term = std::getenv("TERM");
    const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1 && !dumb;
}

void writeToTerminal(const char* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = write(STDOUT_FILENO, bytes, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN) {
                struct pollfd out {
                    STDOUT_FILENO, POLLOUT, 0
                };
                poll(&out, 1, 100);
                continue;
            }
            return;  // the terminal is gone; nothing more can be shown
        }
        bytes += written;
        length -= static_cast<std::size_t>(written);
    }
}

void sessionTake() {
    if (taken != 0) {
        return;
    }
    if (tcgetattr(STDIN_FILENO, &savedSettings) != 0) {
        return;
    }
    makeSignalPipe();
    std::atexit(restoreAtExit);
    for (const int signal : RECORDED_SIGNALS) {
        installHandler(signal, recordSignal, 0);  // no SA_RESTART: a waiting poll() wakes
    }
    for (const int signal : CRASH_SIGNALS) {
        installHandler(signal, restoreAndDie, static_cast<int>(SA_RESETHAND));
    }
    taken = 1;
    enterModes();
}

void sessionRestore() {
    if (taken == 0) {
        return;
    }
    taken = 0;
    if (keyboardPushed != 0) {
        popKeyboardFlags();
    }
    writeLiteral(MOUSE_OFF);
    mouseOn = 0;
    writeLiteral(LEAVE_SCREEN);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedSettings);
    tcflush(STDIN_FILENO, TCIFLUSH);  // unread input is discarded, not left for the shell
}

void sessionRawInput() {
    const struct termios raw = rawSettings();
    tcsetattr(STDIN_FILENO, TCSADRAIN, &raw);
    if (mouseOn == 0) {
        writeLiteral(MOUSE_ON);
        mouseOn = 1;
    }
    if (wantedKeyboardFlags > 0 && keyboardPushed == 0) {
        const std::string push = "\x1b[>" + std::to_string(wantedKeyboardFlags) + "u";
        writeToTerminal(push.data(), push.size());
        keyboardPushed = 1;
    }
}

void sessionLineInput() {
    if (keyboardPushed != 0) {
        popKeyboardFlags();
    }
    if (mouseOn != 0) {
        writeLiteral(MOUSE_OFF);
        mouseOn = 0;
    }
    struct termios line = savedSettings;
    line.c_lflag |= ECHO | ICANON | ISIG;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &line);  // also drops key bytes not yet read
}

void sessionKeyboardFlags(int flags) {
    if (keyboardPushed != 0) {
        writeLiteral(KEYBOARD_POP);
        keyboardPushed = 0;
    }
    wantedKeyboardFlags = flags;
    if (flags > 0) {
        const std::string push = "\x1b[>" + std::to_string(flags) + "u";
        writeToTerminal(push.data(), push.size());
        keyboardPushed = 1;
    }
}

int sessionSignalFd() {
    return signalPipe[0];
}

int sessionNextSignal() {
    unsigned char byte = 0;
    if (signalPipe[0] < 0 || read(signalPipe[0], &byte, 1) != 1) {
        return 0;
    }
    return byte;
}

void sessionDieBy(int signal) {
    sessionRestore();
    installHandler(signal, SIG_DFL, 0);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    std::_Exit(128 + signal);  // for a signal whose default is not to end the process
}

void sessionSuspend() {
    const int flags = wantedKeyboardFlags;
    sessionRestore();
    installHandler(SIGTSTP, SIG_DFL, 0);
    raise(SIGTSTP);  // stops here until continued
    installHandler(SIGTSTP, recordSignal, 0);
    // The shell may have changed the settings meanwhile: what it hands back is what to restore.
    if (tcgetattr(STDIN_FILENO, &savedSettings) == 0) {
        taken = 1;
        wantedKeyboardFlags = flags;
        enterModes();
    }
}
