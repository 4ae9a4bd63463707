// The terminal session: saved settings, the full-screen modes, and the restore on every way
// out, in the reverse order of setting up.
#include "platform/terminal/terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal/job_control.h"
#include "platform/terminal/terminal_input_decoder.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"
#include "platform/terminal/terminal_writer.h"

namespace terminal_platform {

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

struct termios savedSettings;
struct termios setSettings;  // the settings the game last gave the terminal
volatile std::sig_atomic_t taken = 0;
volatile std::sig_atomic_t keyboardPushed = 0;
volatile std::sig_atomic_t mouseOn = 0;
volatile std::sig_atomic_t lineInput = 0;
int wantedKeyboardFlags = 0;
// The terminal is the session's controlling one: its Ctrl+C, Ctrl+Z and Ctrl+\ signal. A
// terminal that controls no session drops those signals, so the keys must come as bytes.
bool controlling = true;

constexpr std::size_t DRAIN_BUFFER = 2 * LONGEST_TERMINAL_ITEM;  // room for any unfinished item
// Room for the events of a full drain buffer (an item gives at most one), made before any
// restore, so that decoding there allocates nothing.
std::vector<InputEvent> drainedEvents;

// Pops the keyboard protocol flags and drops the input that was already on its way: key
// events the terminal encoded under the old flags (a Ctrl release after Ctrl+C, say) would
// otherwise arrive as text for the shell or a prompt. The terminal answers the device
// attributes query after everything it sent before, so its reply marks the end of those
// events. Async-signal-safe: it runs in signal handlers too.
bool popKeyboardFlags() {
    keyboardPushed = 0;
    if (!writeLiteral(KEYBOARD_POP) || !writeLiteral(ATTRIBUTES_QUERY)) {
        return false;
    }
    const Millis start = now();
    char pending[DRAIN_BUFFER];  // what came, from the first undecoded byte
    std::size_t held = 0;
    for (;;) {
        const auto left = static_cast<int>(POP_DRAIN_LIMIT_MS - (now() - start));
        struct pollfd input = {terminal.inputFd, POLLIN, 0};
        if (left <= 0 || poll(&input, 1, left) <= 0) {
            return true;
        }
        const ssize_t count = read(terminal.inputFd, pending + held, sizeof pending - held);
        if (count <= 0) {
            return true;
        }
        held += static_cast<std::size_t>(count);
        drainedEvents.clear();
        const std::size_t used =
            decodeTerminalInput(std::string_view(pending, held), false, drainedEvents);
        if (std::any_of(drainedEvents.begin(), drainedEvents.end(), [](const InputEvent& event) {
                return event.kind == InputKind::DeviceAttributes;
            })) {
            return true;
        }
        std::memmove(pending, pending + used, held - used);
        held -= used;
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

void setTerminal(const struct termios& settings) {
    setSettings = settings;
    // TCSANOW: draining first would wait for a terminal that may have stopped reading.
    tcsetattr(terminal.inputFd, TCSANOW, &settings);
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

// Takes the terminal from the settings just saved: the screen modes, then the input modes.
void enterScreen() {
    taken = 1;
    writeLiteral(ENTER_SCREEN);
    mouseOn = 0;
    enterInputModes();
}

bool sameSettings(const struct termios& a, const struct termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace

bool terminalIsInteractive() {
    const char* term = std::getenv("TERM");
    const bool dumb = term != nullptr && std::strcmp(term, "dumb") == 0;
    return isatty(terminal.inputFd) == 1 && isatty(terminal.outputFd) == 1 && !dumb;
}

bool sessionPrepareSignals() {
    return installSignalRecord(crashRestore);
}

bool sessionTake() {
    if (taken != 0) {
        return true;
    }
    if (!waitForForeground()) {
        return false;
    }
    if (tcgetattr(terminal.inputFd, &savedSettings) != 0) {
        return true;
    }
    controlling = tcgetsid(terminal.inputFd) == getsid(0);
    drainedEvents.reserve(DRAIN_BUFFER);
    openOutput();
    std::atexit(restoreAtExit);
    enterScreen();
    return true;
}

void sessionRestore() {
    if (taken == 0) {
        return;
    }
    taken = 0;
    if (!inForeground()) {
        return;  // the terminal is somebody else's now: nothing may be sent or set
    }
    // An output descriptor shared with the shell (the terminal could not be opened anew) does
    // not block only for now.
    const int flags = fcntl(terminal.outputFd, F_GETFL);
    const bool shared = flags >= 0 && (flags & O_NONBLOCK) == 0;
    if (shared) {
        fcntl(terminal.outputFd, F_SETFL, flags | O_NONBLOCK);
    }
    setWriteDeadline(now() + RESTORE_LIMIT_MS);
    const bool flagsPushed = keyboardPushed != 0;
    bool sent = !flagsPushed || popKeyboardFlags();
    sent = sent && writeLiteral(MOUSE_OFF) && writeLiteral(LEAVE_SCREEN);
    if (!sent) {
        // The terminal stopped reading: what it has not taken is discarded, and the restore
        // is queued in its place for when it reads again.
        tcflush(terminal.inputFd, TCOFLUSH);
        setWriteDeadline(now() + RESTORE_RETRY_MS);
        if (writeLiteral(CANCEL) && (!flagsPushed || writeLiteral(KEYBOARD_POP))) {
            writeLiteral(MOUSE_OFF) && writeLiteral(LEAVE_SCREEN);
        }
    }
    setWriteDeadline(0);
    if (shared) {
        fcntl(terminal.outputFd, F_SETFL, flags);
    }
    keyboardPushed = 0;
    mouseOn = 0;
    tcsetattr(terminal.inputFd, TCSANOW, &savedSettings);
    tcflush(terminal.inputFd, TCIFLUSH);  // unread input is discarded, not left for the shell
}

bool sessionRetakeAfterStop() {
    // The shell may have changed the settings meanwhile: what it hands back is what to restore.
    if (tcgetattr(terminal.inputFd, &savedSettings) != 0) {
        return false;
    }
    enterScreen();
    return true;
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
    tcflush(terminal.inputFd, TCIFLUSH);
}

bool sessionTerminalChanged() {
    struct termios current {};
    return taken != 0 && tcgetattr(terminal.inputFd, &current) == 0 &&
           !sameSettings(current, setSettings);
}

void sessionRetake() {
    writeLiteral(ENTER_SCREEN);
    enterInputModes();
}

}  // namespace terminal_platform
