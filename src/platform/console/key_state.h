// The 16-bit key-state word every platform answers a key query with: negative while the key is
// held, bit 0 set when it went down since the previous query of that key.
#pragma once

#include <cstdint>

constexpr std::uint16_t KEY_HELD_BIT = 0x8000U;
constexpr std::uint16_t KEY_PRESSED_BIT = 0x0001U;

// The word for a key that is `held` and was `pressedSinceQuery`.
constexpr std::int16_t keyStateWord(bool held, bool pressedSinceQuery) {
    return static_cast<std::int16_t>((held ? KEY_HELD_BIT : 0U) |
                                     (pressedSinceQuery ? KEY_PRESSED_BIT : 0U));
}
