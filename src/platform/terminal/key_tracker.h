// Which keys are held, from decoded key events: exact where the terminal reports press, repeat
// and release, inferred from key bytes and auto-repeat elsewhere. Pure: the caller passes time.
#pragma once

#include <array>
#include <cstdint>

#include "platform/terminal/terminal_input_decoder.h"

namespace terminal_platform {

// Milliseconds on a clock that only moves forward.
using Millis = std::int64_t;

// A key seen only as a byte, with no repeat before or after it, counts as held this long:
// long enough for one 40 ms frame to see it, short enough that no third frame does. The first
// auto-repeat looks like another tap, so a keyboard repeating at most this far apart moves on
// from there without a second pause.
constexpr Millis TAP_HOLD_MS = 75;
// A key byte that follows the previous one of that key this soon is an auto-repeat, and keeps
// the key held this long after it; movement stops this long after the last repeat.
constexpr Millis REPEAT_HOLD_MS = 150;

class KeyTracker {
public:
    // True once the terminal is known to report press, repeat and release: presses and
    // repeats are then held until their release. Otherwise they are taken as typed bytes.
    void setExactEvents(bool exact) { exactEvents = exact; }
    bool exact() const { return exactEvents; }

    // Takes in one key event that arrived at `now`.
    void apply(const InputEvent& event, Millis now);

    // The key's 16-bit state: negative while held or when it went down since the previous
    // query of that key, bit 0 for the latter, which this query clears.
    std::int16_t query(TermKey key, Millis now);

    // Held at `now`, without touching the "went down" report.
    bool held(TermKey key, Millis now) const;

    // Every key up and no press pending: after a focus loss or a change of input mode.
    void releaseAll();

private:
    struct KeyRecord {
        bool down = false;        // exact events: between press and release
        Millis heldUntil = 0;     // typed bytes: held before this time
        Millis lastByte = -1000;  // typed bytes: when the last one came
        bool wentDown = false;
    };

    void applyTyped(KeyRecord& record, Millis now);
    KeyRecord& recordFor(TermKey key);
    const KeyRecord& recordFor(TermKey key) const;

    static constexpr std::size_t KEY_COUNT =
        static_cast<std::size_t>(TermKey::D) - static_cast<std::size_t>(TermKey::Enter) + 1;
    std::array<KeyRecord, KEY_COUNT> records{};
    bool exactEvents = false;
};

}  // namespace terminal_platform
