// Key states from decoded key events, with holding inferred from auto-repeat where the terminal
// does not report releases.
#include "platform/terminal/key_tracker.h"

#include "platform/console/key_state.h"

namespace terminal_platform {

KeyTracker::KeyRecord& KeyTracker::recordFor(TermKey key) {
    return records[static_cast<std::size_t>(key) - static_cast<std::size_t>(TermKey::Enter)];
}

const KeyTracker::KeyRecord& KeyTracker::recordFor(TermKey key) const {
    return records[static_cast<std::size_t>(key) - static_cast<std::size_t>(TermKey::Enter)];
}

// A key byte: the first of a run is a press held for a tap's time; one that follows the
// previous byte closely is an auto-repeat and keeps the key held past the next expected one.
void KeyTracker::applyTyped(KeyRecord& record, Millis now) {
    const bool repeat = now - record.lastByte <= REPEAT_HOLD_MS;
    if (repeat) {
        record.heldUntil = now + REPEAT_HOLD_MS;
    } else {
        record.heldUntil = now + TAP_HOLD_MS;
        record.wentDown = true;
    }
    record.lastByte = now;
}

void KeyTracker::apply(const InputEvent& event, Millis now) {
    if (event.kind != InputKind::Key) {
        return;
    }
    KeyRecord& record = recordFor(event.key);
    KeyAction action = event.action;
    if (!exactEvents && (action == KeyAction::Press || action == KeyAction::Repeat)) {
        action = KeyAction::Typed;  // a press without a promised release is only a byte
    }
    switch (action) {
        case KeyAction::Press:
            record.down = true;
            record.wentDown = true;
            return;
        case KeyAction::Repeat:
            record.down = true;
            return;
        case KeyAction::Release:
            record.down = false;
            record.heldUntil = 0;
            return;
        case KeyAction::Typed:
            break;
    }
    applyTyped(record, now);
    if (event.key == TermKey::Shift) {
        return;
    }
    // Without release events Shift is known only from what it does to other keys.
    KeyRecord& shift = recordFor(TermKey::Shift);
    if (event.shift) {
        applyTyped(shift, now);
    } else {
        shift.heldUntil = 0;
    }
}

bool KeyTracker::held(TermKey key, Millis now) const {
    const KeyRecord& record = recordFor(key);
    return record.down || now < record.heldUntil;
}

std::int16_t KeyTracker::query(TermKey key, Millis now) {
    KeyRecord& record = recordFor(key);
    const bool pressed = record.wentDown;
    record.wentDown = false;
    // A press that came and went since the last query still counts as held once, so a tap
    // quicker than a frame moves the player as a longer one does.
    return keyStateWord(held(key, now) || pressed, pressed);
}

void KeyTracker::releaseAll() {
    records.fill(KeyRecord{});
}

}  // namespace terminal_platform
