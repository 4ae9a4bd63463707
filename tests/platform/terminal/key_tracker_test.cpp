// Key holding: exact with the keyboard protocol's events, inferred from bytes and auto-repeat
// elsewhere, checked the way the game polls keys (once per 40 ms frame).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/key_tracker.h"

using namespace terminal_platform;

namespace {

constexpr Millis FRAME_MS = 40;

InputEvent keyEvent(TermKey key, KeyAction action, bool shift = false) {
    return InputEvent{InputKind::Key, key, action, shift, 0, 0, 0};
}

bool isHeld(std::int16_t state) {
    return state < 0;
}
bool wentDown(std::int16_t state) {
    return (state & 1) != 0;
}

// Feeds typed bytes of `key` at the given times and polls it every frame from `firstFrame`
// until `end`; returns the times at which it was seen held.
std::vector<Millis> heldFrames(const std::vector<Millis>& byteTimes, Millis firstFrame,
                               Millis end) {
    KeyTracker keys;
    std::vector<Millis> held;
    std::size_t next = 0;
    for (Millis t = firstFrame; t <= end; t += FRAME_MS) {
        while (next < byteTimes.size() && byteTimes[next] <= t) {
            keys.apply(keyEvent(TermKey::W, KeyAction::Typed), byteTimes[next]);
            ++next;
        }
        if (isHeld(keys.query(TermKey::W, t))) {
            held.push_back(t);
        }
    }
    return held;
}

TEST(TypedKeyHolding, ATapMakesOneOrTwoStepsWhateverTheFramePhase) {
    for (Millis phase = 0; phase < FRAME_MS; ++phase) {
        const std::vector<Millis> held = heldFrames({1000}, 1000 - 200 + phase, 1600);
        EXPECT_GE(held.size(), 1U) << "phase " << phase;
        EXPECT_LE(held.size(), 2U) << "phase " << phase;
    }
}

TEST(TypedKeyHolding, AHeldKeyPausesOnceThenMovesUntilShortlyAfterTheLastRepeat) {
    struct Case {
        const char* name;
        Millis delay;     // the keyboard's repeat delay
        Millis interval;  // its repeat interval
    };
    // Repeat intervals up to the tap's hold; desktop defaults are 30 to 40 ms.
    const std::vector<Case> cases{
        {"fast repeat", 250, 30},
        {"common default", 500, 33},
        {"long delay", 660, 40},
        {"slowest covered", 400, TAP_HOLD_MS},
    };
    for (const Case& c : cases) {
        std::vector<Millis> bytes{0};
        Millis last = 0;
        for (Millis t = c.delay; t <= 2000; t += c.interval) {
            bytes.push_back(t);
            last = t;
        }
        const std::vector<Millis> held = heldFrames(bytes, 5, 3000);
        ASSERT_FALSE(held.empty()) << c.name;
        int pauses = 0;
        for (std::size_t i = 1; i < held.size(); ++i) {
            if (held[i] - held[i - 1] > FRAME_MS) {
                ++pauses;
            }
        }
        EXPECT_LE(pauses, 1) << c.name;
        EXPECT_LT(held.back(), last + REPEAT_HOLD_MS) << c.name;
        EXPECT_GE(held.back(), last) << c.name;  // moving right up to the last repeat
    }
}

// Every typical keyboard: repeat delays of 250 to 600 ms, rates of 25 to 40 per second, any
// phase of the frames against the key, and repeats that arrive up to 15 ms late. A held key
// moves on the first frame after it goes down, pauses at most once (the repeat delay), moves
// on every frame once the repeats come, and stops within 150 ms of the last repeat.
TEST(TypedKeyHolding, EveryTypicalRepeatDelayAndRateMovesWithAtMostOnePause) {
    constexpr Millis LAST_REPEAT_BY = 2000;
    for (Millis delay = 250; delay <= 600; delay += 25) {
        for (const int rate : {25, 30, 33, 40}) {
            for (Millis phase = 0; phase < FRAME_MS; phase += 3) {
                const Millis interval = 1000 / rate;
                std::vector<Millis> bytes{0};
                int n = 0;
                for (Millis t = delay; t <= LAST_REPEAT_BY; t += interval) {
                    bytes.push_back(t + (n++ % 4) * 5);  // late by 0, 5, 10 or 15 ms
                }
                const Millis last = bytes.back();
                const std::vector<Millis> held = heldFrames(bytes, phase - FRAME_MS, 3000);
                const std::string name = "delay " + std::to_string(delay) + " rate " +
                                         std::to_string(rate) + " phase " + std::to_string(phase);
                ASSERT_FALSE(held.empty()) << name;
                EXPECT_LE(held.front(), FRAME_MS) << name;
                int pauses = 0;
                for (std::size_t i = 1; i < held.size(); ++i) {
                    if (held[i] - held[i - 1] > FRAME_MS) {
                        ++pauses;
                        EXPECT_LE(held[i], delay + FRAME_MS) << name << ": moves on late";
                    }
                }
                EXPECT_LE(pauses, 1) << name;
                EXPECT_GT(held.back() + FRAME_MS, last) << name << ": stopped early";
                EXPECT_LT(held.back(), last + REPEAT_HOLD_MS) << name << ": stopped late";
            }
        }
    }
}

TEST(TypedKeyHolding, UpperCaseLettersHoldShiftAndLowerCaseLetGo) {
    KeyTracker keys;
    keys.apply(keyEvent(TermKey::W, KeyAction::Typed, true), 0);
    EXPECT_TRUE(isHeld(keys.query(TermKey::Shift, 10)));
    EXPECT_TRUE(isHeld(keys.query(TermKey::W, 10)));
    keys.apply(keyEvent(TermKey::W, KeyAction::Typed, false), 40);
    EXPECT_FALSE(isHeld(keys.query(TermKey::Shift, 41)));
    EXPECT_TRUE(isHeld(keys.query(TermKey::W, 41)));
}

TEST(TypedKeyHolding, EnterReportsAPressOnceAndRepeatsAreNoNewPress) {
    KeyTracker keys;
    keys.apply(keyEvent(TermKey::Enter, KeyAction::Typed), 0);
    const std::int16_t first = keys.query(TermKey::Enter, 5);
    EXPECT_TRUE(wentDown(first));
    EXPECT_TRUE(isHeld(first));
    EXPECT_FALSE(wentDown(keys.query(TermKey::Enter, 6)));
    keys.apply(keyEvent(TermKey::Enter, KeyAction::Typed), 40);  // auto-repeat
    EXPECT_FALSE(wentDown(keys.query(TermKey::Enter, 41)));
    // A press that came and went between two queries is still reported once, as held.
    keys.apply(keyEvent(TermKey::Enter, KeyAction::Typed), 1000);
    const std::int16_t late = keys.query(TermKey::Enter, 2000);
    EXPECT_TRUE(wentDown(late));
    EXPECT_TRUE(isHeld(late));
    EXPECT_FALSE(isHeld(keys.query(TermKey::Enter, 2001)));
}

TEST(TypedKeyHolding, PressEventsWithoutConfirmedProtocolAreTreatedAsBytes) {
    KeyTracker keys;
    keys.apply(keyEvent(TermKey::Up, KeyAction::Press), 0);  // a CSI arrow from any terminal
    EXPECT_TRUE(isHeld(keys.query(TermKey::Up, 10)));
    EXPECT_FALSE(isHeld(keys.query(TermKey::Up, 10 + TAP_HOLD_MS)));
}

TEST(ProtocolKeyHolding, HeldExactlyFromPressToRelease) {
    KeyTracker keys;
    keys.setExactEvents(true);
    keys.apply(keyEvent(TermKey::D, KeyAction::Press), 0);
    const std::int16_t pressed = keys.query(TermKey::D, 1);
    EXPECT_TRUE(isHeld(pressed));
    EXPECT_TRUE(wentDown(pressed));
    // Long after the press, with no repeats at all, the key is still down.
    const std::int16_t later = keys.query(TermKey::D, 5000);
    EXPECT_TRUE(isHeld(later));
    EXPECT_FALSE(wentDown(later));
    keys.apply(keyEvent(TermKey::D, KeyAction::Repeat), 5010);
    EXPECT_FALSE(wentDown(keys.query(TermKey::D, 5011)));
    keys.apply(keyEvent(TermKey::D, KeyAction::Release), 5020);
    EXPECT_FALSE(isHeld(keys.query(TermKey::D, 5021)));
}

TEST(ProtocolKeyHolding, ShiftIsItsOwnKeyAndATapBetweenQueriesIsAPress) {
    KeyTracker keys;
    keys.setExactEvents(true);
    keys.apply(keyEvent(TermKey::Shift, KeyAction::Press, true), 0);
    keys.apply(keyEvent(TermKey::W, KeyAction::Release), 1);  // does not let go of Shift
    EXPECT_TRUE(keys.held(TermKey::Shift, 100));
    keys.apply(keyEvent(TermKey::Shift, KeyAction::Release), 200);
    EXPECT_FALSE(keys.held(TermKey::Shift, 201));

    // A tap quicker than a frame reads as held at the next query, then as released.
    keys.apply(keyEvent(TermKey::W, KeyAction::Press), 300);
    keys.apply(keyEvent(TermKey::W, KeyAction::Release), 330);
    const std::int16_t state = keys.query(TermKey::W, 340);
    EXPECT_TRUE(wentDown(state));
    EXPECT_TRUE(isHeld(state));
    EXPECT_FALSE(isHeld(keys.query(TermKey::W, 380)));
}

TEST(ProtocolKeyHolding, ReleaseAllLetsGoOfEveryKey) {
    KeyTracker keys;
    keys.setExactEvents(true);
    keys.apply(keyEvent(TermKey::W, KeyAction::Press), 0);
    keys.apply(keyEvent(TermKey::Left, KeyAction::Press), 0);
    keys.releaseAll();
    EXPECT_EQ(keys.query(TermKey::W, 1), 0);
    EXPECT_EQ(keys.query(TermKey::Left, 1), 0);
}

}  // namespace
