// The start-up probe of the terminal's abilities, and the keyboard protocol it turns on.
#include "platform/terminal/terminal_probe.h"

#include "platform/terminal/terminal_input.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_state.h"
#include "platform/terminal/terminal_writer.h"

namespace terminal_platform {

namespace {

constexpr Millis PROBE_TIMEOUT_MS = 1000;  // a terminal that answers nothing by then never will
constexpr int KEYBOARD_FLAGS = 1 | 2 | 8;  // disambiguate, event types, every key as a sequence
// The keyboard protocol's flags, the SGR-pixel mouse mode, the cell size and the text area
// in pixels (for terminals that know their pixels but not their cells), then the primary
// device attributes, which every terminal answers, so its reply closes the probe.
constexpr char PROBE_QUERIES[] = "\x1b[?u\x1b[?1016$p\x1b[16t\x1b[14t\x1b[c";
constexpr char CONFIRM_QUERIES[] = "\x1b[?u\x1b[c";

void waitForAttributes(int count) {
    const Millis deadline = now() + PROBE_TIMEOUT_MS;
    while (terminal.replies.attributes < count && now() < deadline) {
        pump(static_cast<int>(deadline - now()));
    }
}

}  // namespace

void probe() {
    writeLiteral(PROBE_QUERIES);
    waitForAttributes(1);
    if (!terminal.replies.keyboard) {
        return;
    }
    sessionKeyboardFlags(KEYBOARD_FLAGS);
    terminal.replies.keyboard = false;
    writeLiteral(CONFIRM_QUERIES);
    waitForAttributes(2);
    const bool confirmed = terminal.replies.keyboard &&
                           (terminal.replies.keyboardFlags & KEYBOARD_FLAGS) == KEYBOARD_FLAGS;
    terminal.keys.setExactEvents(confirmed);
    if (!confirmed) {
        sessionKeyboardFlags(0);
    }
}

}  // namespace terminal_platform
