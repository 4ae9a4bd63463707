// The terminal input decoder on arbitrary bytes cut into reads at arbitrary points: it never
// crashes, every event it makes is in range, and the events do not depend on where the reads
// were cut. The input's first byte says how many cut lengths follow; the rest is the stream.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal/terminal_input_decoder.h"

using namespace terminal_platform;

namespace {

constexpr std::size_t MOST_CUT_LENGTHS = 8;
// Longer than the longest item the decoder waits for; more only slows the byte-wise pass down.
constexpr std::size_t LONGEST_INPUT = 2048;

// Decodes the stream as the platform does: each read appended to what is left, whole items
// taken, and at the end the unfinished tail given up as garbage.
std::vector<InputEvent> decodeInReads(std::string_view stream,
                                      const std::vector<std::size_t>& lengths) {
    std::vector<InputEvent> events;
    std::string buffer;
    std::size_t next = 0;
    for (std::size_t read = 0; next < stream.size(); ++read) {
        const std::size_t length = lengths.empty() ? stream.size() : lengths[read % lengths.size()];
        buffer.append(stream.substr(next, length));
        next += length;
        const std::size_t used = decodeTerminalInput(buffer, false, events);
        if (used > buffer.size()) {
            std::abort();
        }
        buffer.erase(0, used);
    }
    if (decodeTerminalInput(buffer, true, events) != buffer.size()) {
        std::abort();  // a final call takes everything
    }
    return events;
}

bool inRange(const InputEvent& e) {
    switch (e.kind) {
        case InputKind::Key:
            return e.key >= TermKey::Enter && e.key <= TermKey::D &&
                   (e.action == KeyAction::Press || e.action == KeyAction::Repeat ||
                    e.action == KeyAction::Release || e.action == KeyAction::Typed);
        case InputKind::Mouse:
            return e.x >= -MOUSE_COORDINATE_LIMIT && e.x <= MOUSE_COORDINATE_LIMIT &&
                   e.y >= -MOUSE_COORDINATE_LIMIT && e.y <= MOUSE_COORDINATE_LIMIT;
        case InputKind::CellSize:
            return e.x >= 1 && e.x <= CELL_SIZE_LIMIT && e.y >= 1 && e.y <= CELL_SIZE_LIMIT;
        case InputKind::TextAreaSize:
            return e.x >= 1 && e.x <= TEXT_AREA_LIMIT && e.y >= 1 && e.y <= TEXT_AREA_LIMIT;
        case InputKind::Interrupt:
        case InputKind::Suspend:
        case InputKind::Quit:
        case InputKind::FocusLost:
        case InputKind::KeyboardFlags:
        case InputKind::DeviceAttributes:
        case InputKind::PixelMouseMode:
            return true;
    }
    return false;  // a kind outside the enumeration
}

bool sameEvent(const InputEvent& a, const InputEvent& b) {
    return a.kind == b.kind && a.key == b.key && a.action == b.action && a.shift == b.shift &&
           a.x == b.x && a.y == b.y && a.value == b.value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > LONGEST_INPUT) {
        return 0;
    }
    const std::size_t cutCount = std::min<std::size_t>(data[0] % (MOST_CUT_LENGTHS + 1), size - 1);
    std::vector<std::size_t> lengths;
    for (std::size_t i = 0; i < cutCount; ++i) {
        lengths.push_back(std::size_t{data[1 + i]} % 16 + 1);  // reads of 1 to 16 bytes
    }
    const std::string_view stream(reinterpret_cast<const char*>(data) + 1 + cutCount,
                                  size - 1 - cutCount);

    const std::vector<InputEvent> whole = decodeInReads(stream, {});
    const std::vector<InputEvent> cut = decodeInReads(stream, lengths);
    const std::vector<InputEvent> bytewise = decodeInReads(stream, {1});
    for (const InputEvent& event : whole) {
        if (!inRange(event)) {
            std::abort();
        }
    }
    for (const std::vector<InputEvent>* other : {&cut, &bytewise}) {
        if (other->size() != whole.size()) {
            std::abort();
        }
        for (std::size_t i = 0; i < whole.size(); ++i) {
            if (!sameEvent(whole[i], (*other)[i])) {
                std::abort();
            }
        }
    }
    return 0;
}
