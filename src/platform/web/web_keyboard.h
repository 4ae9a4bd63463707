// Which keys are down, from a page's keydown and keyup events, in the 16-bit form the game asks
// for. Two keys of the keyboard can share a key code (the left and the right Shift): the code is
// held while either of them is down. With Caps Lock on, a held letter holds Shift too, as a
// capital letter does in a terminal. Pure: no I/O.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class WebKeyboard {
public:
    static constexpr int KEY_COUNT = 256;
    static constexpr int KEY_SHIFT = 0x10;

    // The key of the keyboard `physical` (any number that names it) went down with code `key`.
    // A second press of a key already down (auto-repeat) is not a new press.
    void press(int key, int physical);

    // That key of the keyboard came up; `key` stays held while another one with its code is down.
    void release(int key, int physical);

    // Every key up, as when the page loses the focus; a press not yet queried is still reported.
    void releaseAll();

    // Caps Lock as the latest key event saw it.
    void setCapsLock(bool on) { capsLock = on; }

    // Whether the key is down now; unlike query, this leaves the press to be reported.
    bool held(int key) const;

    // Negative while held, bit 0 when it went down since the previous query, which this clears.
    std::int16_t query(int key);

private:
    struct KeyRecord {
        std::vector<int> down;  // the keys of the keyboard holding this code
        bool wentDown = false;
    };
    std::array<KeyRecord, KEY_COUNT> records{};
    bool capsLock = false;
};
