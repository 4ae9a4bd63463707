// Reading the terminal: the wait, the bytes, and what the decoded events do.
#include "platform/terminal/terminal_input.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/terminal/job_control.h"
#include "platform/terminal/terminal_input_decoder.h"
#include "platform/terminal/terminal_presentation.h"
#include "platform/terminal/terminal_signals.h"
#include "platform/terminal/terminal_state.h"

namespace terminal_platform {

namespace {

constexpr Millis UNFINISHED_INPUT_MS = 50;  // a sequence's tail comes at once or not at all

void handleEvent(const InputEvent& event) {
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

void decodeInput(bool final) {
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

}  // namespace

void takeInput(short events) {
    if ((events & POLLIN) != 0) {
        char bytes[1024];
        const ssize_t count = read(terminal.inputFd, bytes, sizeof bytes);
        if (count > 0) {
            terminal.lastInput = now();
            if (terminal.lineMode) {
                terminal.typed.append(bytes, static_cast<std::size_t>(count));
                return;  // typed lines are the line reader's, not the decoder's
            }
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
        timeoutMs = static_cast<int>(
            std::clamp<Millis>(tailDue, 0, timeoutMs < 0 ? UNFINISHED_INPUT_MS : timeoutMs));
    }
    // A signal recorded during another wait (the writer's, the background's) whose wake-up
    // that wait took is acted on now, not at some later signal.
    if (anySignalWaiting()) {
        serviceSignals();
        timeoutMs = 0;
    }
    struct pollfd fds[2] = {{terminal.inputFd, POLLIN, 0}, {signalWakeFd(), POLLIN, 0}};
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

}  // namespace terminal_platform
