// Key states from the page's key events.
#include "platform/web/web_keyboard.h"

#include <algorithm>

#include "platform/console/key_state.h"

namespace {

bool validKey(int key) {
    return key >= 0 && key < WebKeyboard::KEY_COUNT;
}

}  // namespace

void WebKeyboard::press(int key, int physical) {
    if (!validKey(key)) {
        return;
    }
    KeyRecord& record = records[static_cast<std::size_t>(key)];
    if (std::find(record.down.begin(), record.down.end(), physical) != record.down.end()) {
        return;  // auto-repeat of a key that is down already
    }
    if (record.down.empty()) {
        record.wentDown = true;
    }
    record.down.push_back(physical);
}

void WebKeyboard::release(int key, int physical) {
    if (!validKey(key)) {
        return;
    }
    std::vector<int>& down = records[static_cast<std::size_t>(key)].down;
    down.erase(std::remove(down.begin(), down.end(), physical), down.end());
}

void WebKeyboard::releaseAll() {
    for (KeyRecord& record : records) {
        record.down.clear();
    }
}

bool WebKeyboard::held(int key) const {
    if (!validKey(key)) {
        return false;
    }
    if (!records[static_cast<std::size_t>(key)].down.empty()) {
        return true;
    }
    if (key != KEY_SHIFT || !capsLock) {
        return false;
    }
    const auto letters = records.begin() + 'A';
    return std::any_of(letters, letters + 26, [](const KeyRecord& r) { return !r.down.empty(); });
}

std::int16_t WebKeyboard::query(int key) {
    if (!validKey(key)) {
        return 0;
    }
    KeyRecord& record = records[static_cast<std::size_t>(key)];
    const bool pressed = record.wentDown;
    record.wentDown = false;
    return keyStateWord(held(key), pressed);
}
