// The terminal input decoder: a chain of small parsers over a byte buffer. Each one answers
// "decoded" (with a length), "need more bytes" or "not mine", so a sequence split across reads
// waits for its tail and anything unknown is skipped whole.
#include "platform/terminal/terminal_input_decoder.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/terminal/control_sequence.h"

namespace terminal_platform {

namespace {

constexpr char ESC = '\x1b';
constexpr char BEL = '\x07';
constexpr char CTRL_C = '\x03';
constexpr char CTRL_Z = '\x1a';
constexpr char CTRL_BACKSLASH = '\x1c';
constexpr std::size_t LONGEST_SEQUENCE = 128;  // past this an unfinished sequence is garbage
constexpr std::size_t LONGEST_STRING = LONGEST_TERMINAL_ITEM;  // the same for DCS, OSC, APC

// Keyboard protocol key codes that are not characters.
constexpr int KEYPAD_ENTER = 57414;
constexpr int LEFT_SHIFT = 57441;
constexpr int RIGHT_SHIFT = 57447;

// Modifier bits, after the protocol's "plus one" is taken off.
constexpr int MOD_SHIFT = 1;
constexpr int MOD_ALT = 2;
constexpr int MOD_CTRL = 4;
constexpr int MOD_LOCKS = 64 | 128;  // Caps Lock and Num Lock say nothing about held keys

enum class Status { Decoded, NeedMore, NotMine };

struct Step {
    Status status;
    std::size_t length;
};

InputEvent keyEvent(TermKey key, KeyAction action, bool shift) {
    return InputEvent{InputKind::Key, key, action, shift, 0, 0, 0};
}

InputEvent plainEvent(InputKind kind) {
    return InputEvent{kind, TermKey::Enter, KeyAction::Typed, false, 0, 0, 0};
}

// The arrow a cursor sequence's final byte, 'A' to 'D', stands for.
TermKey arrowFor(char final) {
    constexpr std::array<TermKey, 4> ARROWS{TermKey::Up, TermKey::Down, TermKey::Right,
                                            TermKey::Left};
    return ARROWS[static_cast<std::size_t>(final - 'A')];
}

// The characters and protocol key codes of the game's keys; a capital letter is its lower-case
// key with Shift.
struct CodeKey {
    int code;
    TermKey key;
};
constexpr std::array<CodeKey, 9> CODE_KEYS{{
    {'\r', TermKey::Enter},
    {'\n', TermKey::Enter},
    {KEYPAD_ENTER, TermKey::Enter},
    {LEFT_SHIFT, TermKey::Shift},
    {RIGHT_SHIFT, TermKey::Shift},
    {'w', TermKey::W},
    {'a', TermKey::A},
    {'s', TermKey::S},
    {'d', TermKey::D},
}};

// The game key for a character or protocol key code; false for keys the game never asks about.
bool keyForCode(int code, TermKey& key, bool& upperCase) {
    upperCase = code >= 'A' && code <= 'Z';
    const int lower = upperCase ? code - 'A' + 'a' : code;
    for (const CodeKey& entry : CODE_KEYS) {
        if (entry.code == lower) {
            key = entry.key;
            return true;
        }
    }
    return false;
}

KeyAction actionForEventType(int eventType) {
    switch (eventType) {
        case 2:
            return KeyAction::Repeat;
        case 3:
            return KeyAction::Release;
        default:
            return KeyAction::Press;
    }
}

// A key with modifiers, from the keyboard protocol or xterm's modified-key form. Ctrl+C,
// Ctrl+Z and Ctrl+\ become the interrupt, suspend and quit they stand for (on press and
// repeat only).
void emitModifiedKey(int code, int modifiers, KeyAction action, std::vector<InputEvent>& out) {
    const int mods = (modifiers >= 1 ? modifiers - 1 : 0) & ~MOD_LOCKS;
    if ((mods & MOD_CTRL) != 0 && (mods & MOD_ALT) == 0 && action != KeyAction::Release) {
        if (code == 'c' || code == 'C') {
            out.push_back(plainEvent(InputKind::Interrupt));
            return;
        }
        if (code == 'z' || code == 'Z') {
            out.push_back(plainEvent(InputKind::Suspend));
            return;
        }
        if (code == '\\') {
            out.push_back(plainEvent(InputKind::Quit));
            return;
        }
    }
    TermKey key{};
    bool upperCase = false;
    if (keyForCode(code, key, upperCase)) {
        out.push_back(keyEvent(key, action, upperCase || (mods & MOD_SHIFT) != 0));
    }
}

// Replies to the start-up queries, absorbed here so that they are never taken for keys.
bool decodeReply(const ControlSequence& seq, std::vector<InputEvent>& out) {
    if (seq.prefix == '?' && seq.final == 'u' && seq.intermediates.empty()) {
        InputEvent reply = plainEvent(InputKind::KeyboardFlags);
        reply.value = seq.value(0, 0, 0);
        out.push_back(reply);
        return true;
    }
    if (seq.prefix == '?' && seq.final == 'c') {
        out.push_back(plainEvent(InputKind::DeviceAttributes));
        return true;
    }
    if (seq.prefix == '?' && seq.final == 'y' && seq.intermediates == "$") {
        if (seq.value(0, 0, 0) == 1016) {
            InputEvent reply = plainEvent(InputKind::PixelMouseMode);
            reply.value = seq.value(1, 0, 0);
            out.push_back(reply);
        }
        return true;
    }
    const int sizeReport = seq.value(0, 0, 0);
    if (seq.prefix == 0 && seq.final == 't' && (sizeReport == 6 || sizeReport == 4)) {
        const bool cell = sizeReport == 6;
        const int limit = cell ? CELL_SIZE_LIMIT : TEXT_AREA_LIMIT;
        InputEvent reply = plainEvent(cell ? InputKind::CellSize : InputKind::TextAreaSize);
        reply.y = seq.value(1, 0, 0);
        reply.x = seq.value(2, 0, 0);
        if (reply.x >= 1 && reply.x <= limit && reply.y >= 1 && reply.y <= limit) {
            out.push_back(reply);  // a size outside that is no size at all
        }
        return true;
    }
    return false;
}

void decodeControlSequence(const ControlSequence& seq, std::vector<InputEvent>& out) {
    if (decodeReply(seq, out)) {
        return;
    }
    if (seq.prefix == '<' && (seq.final == 'M' || seq.final == 'm')) {
        if (seq.fieldCount >= 3) {  // SGR mouse: button;x;y, any of press, release, motion
            InputEvent mouse = plainEvent(InputKind::Mouse);
            mouse.x =
                std::clamp(seq.value(1, 0, 0), -MOUSE_COORDINATE_LIMIT, MOUSE_COORDINATE_LIMIT);
            mouse.y =
                std::clamp(seq.value(2, 0, 0), -MOUSE_COORDINATE_LIMIT, MOUSE_COORDINATE_LIMIT);
            out.push_back(mouse);
        }
        return;
    }
    if (seq.prefix != 0 || !seq.intermediates.empty()) {
        return;  // some other reply or private sequence
    }
    const int modifiers = seq.value(1, 0, 1);
    const KeyAction action = actionForEventType(seq.value(1, 1, 1));
    switch (seq.final) {
        case 'u':
            emitModifiedKey(seq.value(0, 0, 0), modifiers, action, out);
            return;
        case '~':
            if (seq.value(0, 0, 0) == 27) {  // xterm's modified key: 27;modifiers;code
                emitModifiedKey(seq.value(2, 0, 0), seq.value(1, 0, 1), KeyAction::Typed, out);
            }
            return;
        case 'A':
        case 'B':
        case 'C':
        case 'D': {
            const int mods = (modifiers - 1) & ~MOD_LOCKS;
            out.push_back(keyEvent(arrowFor(seq.final), action, (mods & MOD_SHIFT) != 0));
            return;
        }
        case 'O':
            out.push_back(plainEvent(InputKind::FocusLost));
            return;
        default:
            return;
    }
}

// ESC [ parameters intermediates final.
Step parseControlSequence(std::string_view in, std::vector<InputEvent>& out) {
    if (in.size() < 2 || in[0] != ESC || in[1] != '[') {
        return Step{Status::NotMine, 0};
    }
    for (std::size_t i = 2; i < in.size(); ++i) {
        const auto byte = static_cast<unsigned char>(in[i]);
        if (byte >= 0x40 && byte <= 0x7E) {
            decodeControlSequence(
                splitControlSequence(in.substr(2, i - 2), static_cast<char>(byte)), out);
            return Step{Status::Decoded, i + 1};
        }
        if (byte < 0x20 || byte > 0x3F || i >= LONGEST_SEQUENCE) {
            return Step{Status::Decoded, i};  // broken off: drop what came so far
        }
    }
    return Step{Status::NeedMore, 0};
}

// ESC O A..D: the arrows in the terminal's application cursor mode.
Step parseSingleShift(std::string_view in, std::vector<InputEvent>& out) {
    if (in.size() < 2 || in[0] != ESC || in[1] != 'O') {
        return Step{Status::NotMine, 0};
    }
    if (in.size() < 3) {
        return Step{Status::NeedMore, 0};
    }
    if (in[2] >= 'A' && in[2] <= 'D') {
        out.push_back(keyEvent(arrowFor(in[2]), KeyAction::Typed, false));
    }
    return Step{Status::Decoded, 3};
}

// String replies (ESC P, ESC ], ESC _, ESC ^), ended by ESC \ or BEL; skipped whole.
Step parseEscapeString(std::string_view in, std::vector<InputEvent>&) {
    if (in.size() < 2 || in[0] != ESC ||
        (in[1] != 'P' && in[1] != ']' && in[1] != '_' && in[1] != '^')) {
        return Step{Status::NotMine, 0};
    }
    for (std::size_t i = 2; i < in.size(); ++i) {
        if (in[i] == BEL) {
            return Step{Status::Decoded, i + 1};
        }
        if (in[i] == ESC && i + 1 < in.size() && in[i + 1] == '\\') {
            return Step{Status::Decoded, i + 2};
        }
        if (i >= LONGEST_STRING) {
            return Step{Status::Decoded, i};
        }
    }
    return Step{Status::NeedMore, 0};
}

// ESC followed by anything else: Alt with a key, or a lone Escape before another escape.
Step parseEscapePair(std::string_view in, std::vector<InputEvent>&) {
    if (in.empty() || in[0] != ESC) {
        return Step{Status::NotMine, 0};
    }
    if (in.size() < 2) {
        return Step{Status::NeedMore, 0};
    }
    return Step{Status::Decoded, in[1] == ESC ? std::size_t{1} : std::size_t{2}};
}

// One plain byte: a letter, Enter, Ctrl+C, Ctrl+Z or Ctrl+\; any other byte is dropped.
Step parsePlainByte(std::string_view in, std::vector<InputEvent>& out) {
    if (in.empty() || in[0] == ESC) {
        return Step{Status::NotMine, 0};
    }
    if (in[0] == CTRL_C) {
        out.push_back(plainEvent(InputKind::Interrupt));
    } else if (in[0] == CTRL_Z) {
        out.push_back(plainEvent(InputKind::Suspend));
    } else if (in[0] == CTRL_BACKSLASH) {
        out.push_back(plainEvent(InputKind::Quit));
    } else {
        TermKey key{};
        bool upperCase = false;
        if (keyForCode(static_cast<unsigned char>(in[0]), key, upperCase)) {
            out.push_back(keyEvent(key, KeyAction::Typed, upperCase));
        }
    }
    return Step{Status::Decoded, 1};
}

using Parser = Step (*)(std::string_view, std::vector<InputEvent>&);
constexpr std::array<Parser, 5> PARSERS{parseControlSequence, parseSingleShift, parseEscapeString,
                                        parseEscapePair, parsePlainByte};

}  // namespace

std::size_t decodeTerminalItem(std::string_view bytes, bool final,
                               std::vector<InputEvent>& events) {
    Step step{Status::NotMine, 0};
    for (const Parser parser : PARSERS) {
        step = parser(bytes, events);
        if (step.status != Status::NotMine) {
            break;
        }
    }
    if (step.status == Status::NeedMore) {
        return final ? bytes.size() : 0;  // the unfinished tail is garbage when final
    }
    return step.length;
}

std::size_t decodeTerminalInput(std::string_view bytes, bool final,
                                std::vector<InputEvent>& events) {
    std::size_t used = 0;
    for (std::size_t length = 1; used < bytes.size() && length > 0; used += length) {
        length = decodeTerminalItem(bytes.substr(used), final, events);
    }
    return used;
}

}  // namespace terminal_platform
