// The terminal platform's input: waiting for bytes and signals, decoding them into keys, pointer
// motion and replies, and the start-up probe of what the terminal can do.
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/terminal/terminal_input_decoder.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

constexpr Millis PROBE_TIMEOUT_MS = 1000;   // a terminal that answers nothing by then never will
constexpr Millis UNFINISHED_INPUT_MS = 50;  // a sequence's tail comes at once or not at all
constexpr int KEYBOARD_FLAGS = 1 | 2 | 8;   // disambiguate, event types, every key as a sequence
// The keyboard protocol's flags, the SGR-pixel mouse mode, the cell size and the text area
// in pixels (for terminals that know their pixels but not their cells), then the primary
// device attributes, which every terminal answers, so its reply closes the probe.
constexpr char PROBE_QUERIES[] = "\x1b[?u\x1b[?1016$p\x1b[16t\x1b[14t\x1b[c";
constexpr char CONFIRM_QUERIES[] = "\x1b[?u\x1b[c";

}  // namespace

Millis now() {
    struct timespec time {};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<Millis>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

[[noreturn]] static void quit(int signal) {
    terminal.output.clear();
    sessionDieBy(signal);
}

void quitByWaitingSignal() {
    const int signal = sessionNextSignal();
    quit(signal != 0 ? signal : SIGTERM);
}

void regainTerminal() {
    if (!sessionWaitForForeground()) {
        quitByWaitingSignal();
    }
    sessionRetake();
    forgetWhatTheWindowShowed();
}

void serviceSignals() {
    for (int signal = sessionNextSignal(); signal != 0; signal = sessionNextSignal()) {
        switch (signal) {
            case SIGTSTP:
                terminal.output.clear();
                if (!sessionSuspend()) {
                    quitByWaitingSignal();
                }
                forgetWhatTheWindowShowed();
                break;
            case SIGCONT:
                // Only a real stop, after which somebody else had the terminal, calls for
                // taking it again; a continue alone changes nothing and discards nothing.
                if (!sessionInForeground()) {
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

static void handleEvent(const InputEvent& event) {
    Replies& replies = terminal.replies;
    switch (event.kind) {
        case InputKind::Key:
            terminal.keys.apply(event, now());
            break;
        case InputKind::Mouse:
            if (replies.pixelMouse == 1 || replies.pixelMouse == 3) {
                terminal.pointer.report(event.x, event.y);
            } else {
                terminal.pointer.reportCell(event.x, event.y, terminal.geometry);
            }
            break;
        case InputKind::Interrupt:
            quit(SIGINT);
        case InputKind::Quit:
            quit(SIGQUIT);
        case InputKind::Suspend:
            raise(SIGTSTP);  // handled like the signal the same key gives without the protocol
            break;
        case InputKind::FocusLost:
            terminal.keys.releaseAll();
            break;
        case InputKind::KeyboardFlags:
            replies.keyboard = true;
            replies.keyboardFlags = event.value;
            break;
        case InputKind::DeviceAttributes:
            ++replies.attributes;
            break;
        case InputKind::PixelMouseMode:
            replies.pixelMouse = event.value;
            break;
        case InputKind::CellSize:
            replies.cellWidth = event.x;
            replies.cellHeight = event.y;
            readWindowSize();
            break;
        case InputKind::TextAreaSize:
            // The text area of the window as it is now, which the cell size follows from; a
            // terminal that also told its cell size did so first, and that stands.
            if (replies.cellWidth == 0) {
                replies.cellWidth = std::max(event.x / terminal.geometry.columns, 1);
                replies.cellHeight = std::max(event.y / terminal.geometry.rows, 1);
                readWindowSize();
            }
            break;
    }
}

static void decodeInput(bool final) {
    std::vector<InputEvent> events;
    const std::size_t used = decodeTerminalInput(terminal.input, final, events);
    terminal.input.erase(0, used);
    if (terminal.input.empty()) {
        terminal.inputSince = 0;
    } else if (used > 0 || terminal.inputSince == 0) {
        terminal.inputSince = now();  // what is left began in the latest read
    }
    for (const InputEvent& event : events) {
        handleEvent(event);
    }
}

void takeInput(short events) {
    if ((events & POLLIN) != 0) {
        char bytes[1024];
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count > 0) {
            terminal.lastInput = now();
            terminal.input.append(bytes, static_cast<std::size_t>(count));
            decodeInput(false);
        } else if ((count < 0 && errno == EIO) || (events & POLLHUP) != 0) {
            quit(SIGHUP);  // the terminal is gone (raw reads may return 0 at any time)
        }
    } else if ((events & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        quit(SIGHUP);  // the terminal is gone
    }
}

void pump(int timeoutMs) {
    if (!terminal.input.empty()) {
        const Millis tailDue = terminal.inputSince + UNFINISHED_INPUT_MS - now();
        timeoutMs = static_cast<int>(std::clamp<Millis>(tailDue, 0, timeoutMs));
    }
    // A signal recorded during another wait (the writer's, the background's) whose wake-up
    // that wait took is acted on now, not at some later signal.
    if (anySignalWaiting()) {
        serviceSignals();
        timeoutMs = 0;
    }
    struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {sessionSignalFd(), POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) > 0) {
        if ((fds[1].revents & POLLIN) != 0) {
            serviceSignals();
        }
        if (fds[0].revents != 0) {
            takeInput(fds[0].revents);
        }
    }
    if (!terminal.input.empty() && now() - terminal.inputSince >= UNFINISHED_INPUT_MS) {
        decodeInput(true);  // a lone Escape, or a sequence that will never be finished
    }
}

void sleepFor(Millis milliseconds) {
    const Millis deadline = now() + milliseconds;
    do {
        pump(static_cast<int>(std::max<Millis>(deadline - now(), 0)));
        present();  // a resize or a resume during a long pause is repainted at once
    } while (now() < deadline);
    terminal.lastPause = now();
}

static void waitForAttributes(int count) {
    const Millis deadline = now() + PROBE_TIMEOUT_MS;
    while (terminal.replies.attributes < count && now() < deadline) {
        pump(static_cast<int>(deadline - now()));
    }
}

void probe() {
    writeToTerminal(PROBE_QUERIES, sizeof PROBE_QUERIES - 1);
    waitForAttributes(1);
    if (!terminal.replies.keyboard) {
        return;
    }
    sessionKeyboardFlags(KEYBOARD_FLAGS);
    terminal.replies.keyboard = false;
    writeToTerminal(CONFIRM_QUERIES, sizeof CONFIRM_QUERIES - 1);
    waitForAttributes(2);
    const bool confirmed = terminal.replies.keyboard &&
                           (terminal.replies.keyboardFlags & KEYBOARD_FLAGS) == KEYBOARD_FLAGS;
    terminal.keys.setExactEvents(confirmed);
    if (!confirmed) {
        sessionKeyboardFlags(0);
    }
}

}  // namespace terminal_platform
