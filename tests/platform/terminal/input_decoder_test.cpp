// The terminal input decoder on byte fixtures, grouped by the protocol the bytes come in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal/terminal_input_decoder.h"

using namespace terminal_platform;

namespace {

struct Fixture {
    const char* name;
    std::string bytes;
    std::vector<InputEvent> expected;
};

InputEvent key(TermKey k, KeyAction action, bool shift = false) {
    return InputEvent{InputKind::Key, k, action, shift, 0, 0, 0};
}

InputEvent mouse(int x, int y) {
    return InputEvent{InputKind::Mouse, TermKey::Enter, KeyAction::Typed, false, x, y, 0};
}

InputEvent other(InputKind kind, int value = 0, int x = 0, int y = 0) {
    return InputEvent{kind, TermKey::Enter, KeyAction::Typed, false, x, y, value};
}

// The fields that matter for each kind of event, in a form gtest prints readably.
std::string describe(const InputEvent& e) {
    std::string text = "kind" + std::to_string(static_cast<int>(e.kind));
    switch (e.kind) {
        case InputKind::Key:
            text += " key" + std::to_string(static_cast<int>(e.key)) + " action" +
                    std::to_string(static_cast<int>(e.action)) + (e.shift ? " shift" : "");
            break;
        case InputKind::Mouse:
        case InputKind::CellSize:
        case InputKind::TextAreaSize:
            text += " " + std::to_string(e.x) + "," + std::to_string(e.y);
            break;
        case InputKind::KeyboardFlags:
        case InputKind::PixelMouseMode:
            text += " value" + std::to_string(e.value);
            break;
        default:
            break;
    }
    return text;
}

std::vector<std::string> describeAll(const std::vector<InputEvent>& events) {
    std::vector<std::string> out;
    for (const InputEvent& e : events) {
        out.push_back(describe(e));
    }
    return out;
}

void expectDecodes(const std::vector<Fixture>& fixtures) {
    for (const Fixture& fixture : fixtures) {
        std::vector<InputEvent> events;
        const std::size_t used = decodeTerminalInput(fixture.bytes, false, events);
        EXPECT_EQ(used, fixture.bytes.size()) << fixture.name;
        EXPECT_EQ(describeAll(events), describeAll(fixture.expected)) << fixture.name;
    }
}

const std::string ESC = "\x1b";

TEST(KeyboardProtocolInput, PressRepeatReleaseOfKeysTheGameUses) {
    expectDecodes({
        {"w press", ESC + "[119u", {key(TermKey::W, KeyAction::Press)}},
        {"w press, explicit type", ESC + "[119;1:1u", {key(TermKey::W, KeyAction::Press)}},
        {"w repeat", ESC + "[119;1:2u", {key(TermKey::W, KeyAction::Repeat)}},
        {"w release", ESC + "[119;1:3u", {key(TermKey::W, KeyAction::Release)}},
        {"a, s, d presses",
         ESC + "[97u" + ESC + "[115u" + ESC + "[100u",
         {key(TermKey::A, KeyAction::Press), key(TermKey::S, KeyAction::Press),
          key(TermKey::D, KeyAction::Press)}},
        {"W with Shift", ESC + "[119;2u", {key(TermKey::W, KeyAction::Press, true)}},
        {"left Shift alone", ESC + "[57441;2u", {key(TermKey::Shift, KeyAction::Press, true)}},
        {"right Shift release", ESC + "[57447;1:3u", {key(TermKey::Shift, KeyAction::Release)}},
        {"Enter press", ESC + "[13u", {key(TermKey::Enter, KeyAction::Press)}},
        {"Enter release", ESC + "[13;1:3u", {key(TermKey::Enter, KeyAction::Release)}},
        {"keypad Enter", ESC + "[57414u", {key(TermKey::Enter, KeyAction::Press)}},
        {"Up press", ESC + "[A", {key(TermKey::Up, KeyAction::Press)}},
        {"Down repeat", ESC + "[1;1:2B", {key(TermKey::Down, KeyAction::Repeat)}},
        {"Right release", ESC + "[1;1:3C", {key(TermKey::Right, KeyAction::Release)}},
        {"Left with Shift", ESC + "[1;2D", {key(TermKey::Left, KeyAction::Press, true)}},
        {"text field after the modifiers",
         ESC + "[119;2;87u",
         {key(TermKey::W, KeyAction::Press, true)}},
        {"keys the game ignores", ESC + "[120u" + ESC + "[57442;5u" + ESC + "[9u", {}},
    });
}

TEST(KeyboardProtocolInput, LockKeysDoNotReadAsModifiers) {
    expectDecodes({
        {"Caps Lock on, w press", ESC + "[119;65u", {key(TermKey::W, KeyAction::Press)}},
        {"Num Lock on, w release", ESC + "[119;129:3u", {key(TermKey::W, KeyAction::Release)}},
        {"both locks and Shift", ESC + "[119;194u", {key(TermKey::W, KeyAction::Press, true)}},
        {"Caps Lock, Up", ESC + "[1;65A", {key(TermKey::Up, KeyAction::Press)}},
        {"Num Lock with Ctrl+C", ESC + "[99;133u", {other(InputKind::Interrupt)}},
    });
}

TEST(LegacyInput, BytesAndCursorSequences) {
    expectDecodes({
        {"lower-case letters",
         "wasd",
         {key(TermKey::W, KeyAction::Typed), key(TermKey::A, KeyAction::Typed),
          key(TermKey::S, KeyAction::Typed), key(TermKey::D, KeyAction::Typed)}},
        {"upper-case means Shift",
         "WD",
         {key(TermKey::W, KeyAction::Typed, true), key(TermKey::D, KeyAction::Typed, true)}},
        {"Enter as CR and as LF",
         "\r\n",
         {key(TermKey::Enter, KeyAction::Typed), key(TermKey::Enter, KeyAction::Typed)}},
        {"CSI arrows",
         ESC + "[A" + ESC + "[B" + ESC + "[C" + ESC + "[D",
         {key(TermKey::Up, KeyAction::Press), key(TermKey::Down, KeyAction::Press),
          key(TermKey::Right, KeyAction::Press), key(TermKey::Left, KeyAction::Press)}},
        {"application-mode arrows",
         ESC + "OA" + ESC + "OD",
         {key(TermKey::Up, KeyAction::Typed), key(TermKey::Left, KeyAction::Typed)}},
        {"Shift+Up by modifier parameter",
         ESC + "[1;2A",
         {key(TermKey::Up, KeyAction::Press, true)}},
        {"xterm modified key: Shift+W",
         ESC + "[27;2;87~",
         {key(TermKey::W, KeyAction::Typed, true)}},
        {"other keys and UTF-8 dropped", "xq1 \xc3\xa9\t", {}},
        {"Alt+w is not w", ESC + "w", {}},
        {"function keys dropped", ESC + "[15~" + ESC + "OP" + ESC + "[3;5~", {}},
    });
}

TEST(CtrlC, AsByteAndAsKeyboardProtocolSequence) {
    expectDecodes({
        {"byte 3", "\x03", {other(InputKind::Interrupt)}},
        {"protocol press", ESC + "[99;5u", {other(InputKind::Interrupt)}},
        {"protocol repeat", ESC + "[99;5:2u", {other(InputKind::Interrupt)}},
        {"protocol release is nothing", ESC + "[99;5:3u", {}},
        {"xterm modified key", ESC + "[27;5;99~", {other(InputKind::Interrupt)}},
        {"Ctrl+Alt+C is not an interrupt", ESC + "[99;7u", {}},
        {"Ctrl+Z byte and sequence",
         "\x1a" + ESC + "[122;5u",
         {other(InputKind::Suspend), other(InputKind::Suspend)}},
        {"Ctrl+\\ byte and sequence",
         "\x1c" + ESC + "[92;5u",
         {other(InputKind::Quit), other(InputKind::Quit)}},
    });
}

TEST(SgrMouse, CellsAndPixelsIncludingNegative) {
    expectDecodes({
        {"motion in cells", ESC + "[<35;10;5M", {mouse(10, 5)}},
        {"button press and release",
         ESC + "[<0;1;1M" + ESC + "[<0;120;40m",
         {mouse(1, 1), mouse(120, 40)}},
        {"pixels", ESC + "[<35;1534;600M", {mouse(1534, 600)}},
        {"pixels left of and above the window", ESC + "[<35;-12;-3M", {mouse(-12, -3)}},
        {"wheel", ESC + "[<64;7;8M", {mouse(7, 8)}},
        {"too few fields", ESC + "[<35;10M", {}},
        {"more fields and values than are kept",
         ESC + "[<35:1:2:3:4:5;10;5;1;2;3;4;5;6;7M",
         {mouse(10, 5)}},
        {"coordinates beyond any window are clamped",
         ESC + "[<35;99999999999;-99999999999M",
         {mouse(MOUSE_COORDINATE_LIMIT, -MOUSE_COORDINATE_LIMIT)}},
    });
}

TEST(StartUpReplies, AbsorbedAndNeverTakenForKeys) {
    expectDecodes({
        {"keyboard flags", ESC + "[?11u", {other(InputKind::KeyboardFlags, 11)}},
        {"keyboard flags zero", ESC + "[?0u", {other(InputKind::KeyboardFlags, 0)}},
        {"device attributes", ESC + "[?62;22;52c", {other(InputKind::DeviceAttributes)}},
        {"pixel mouse set", ESC + "[?1016;1$y", {other(InputKind::PixelMouseMode, 1)}},
        {"pixel mouse unknown", ESC + "[?1016;0$y", {other(InputKind::PixelMouseMode, 0)}},
        {"other mode report", ESC + "[?2004;2$y", {}},
        {"cell size", ESC + "[6;17;9t", {other(InputKind::CellSize, 0, 9, 17)}},
        {"text area in pixels", ESC + "[4;456;800t", {other(InputKind::TextAreaSize, 0, 800, 456)}},
        {"sizes of zero or beyond any font or window ignored",
         ESC + "[6;0;9t" + ESC + "[6;17;5000t" + ESC + "[6;-16;8t" + ESC + "[4;0;800t" + ESC +
             "[4;456;2000000t",
         {}},
        {"secondary attributes", ESC + "[>41;371;0c", {}},
        {"string reply ended by ST", ESC + "P>|kitty(0.26)" + ESC + "\\", {}},
        {"string reply ended by BEL", ESC + "]11;rgb:0000/0000/0000\x07", {}},
        {"focus lost and gained", ESC + "[O" + ESC + "[I", {other(InputKind::FocusLost)}},
        {"replies between keys",
         "w" + ESC + "[?1u" + ESC + "[?62c" + "d",
         {key(TermKey::W, KeyAction::Typed), other(InputKind::KeyboardFlags, 1),
          other(InputKind::DeviceAttributes), key(TermKey::D, KeyAction::Typed)}},
    });
}

// Every way of cutting a sequence in two: the head waits, and head plus tail decode whole.
TEST(SplitInput, SequencesCutAtEveryByteWaitForTheirTail) {
    const std::vector<std::string> sequences{
        ESC + "[119;1:3u", ESC + "[<35;-12;600M", ESC + "[?1016;1$y",
        ESC + "OA",        ESC + "[1;2A",         ESC + "P>|term" + ESC + "\\",
    };
    for (const std::string& sequence : sequences) {
        std::vector<InputEvent> whole;
        decodeTerminalInput(sequence, false, whole);
        for (std::size_t cut = 1; cut < sequence.size(); ++cut) {
            std::string buffer = "w" + sequence.substr(0, cut);
            std::vector<InputEvent> events;
            const std::size_t used = decodeTerminalInput(buffer, false, events);
            ASSERT_EQ(used, 1U) << "cut " << cut << " of " << sequence.substr(1);
            ASSERT_EQ(events.size(), 1U);
            buffer.erase(0, used);
            buffer += sequence.substr(cut);
            events.clear();
            EXPECT_EQ(decodeTerminalInput(buffer, false, events), buffer.size());
            EXPECT_EQ(describeAll(events), describeAll(whole))
                << "cut " << cut << " of " << sequence.substr(1);
        }
    }
}

TEST(SplitInput, FinalDropsAnUnfinishedTailAndMalformedSequencesAreSkipped) {
    std::vector<InputEvent> events;
    EXPECT_EQ(decodeTerminalInput(ESC, false, events), 0U);
    EXPECT_EQ(decodeTerminalInput(ESC, true, events), 1U);  // a lone Escape key
    EXPECT_EQ(decodeTerminalInput(ESC + "[12;", true, events), 5U);
    EXPECT_TRUE(events.empty());

    // A control byte breaks a sequence off; what follows is decoded on its own.
    const std::string broken = ESC + "[12\r";
    EXPECT_EQ(decodeTerminalInput(broken, false, events), broken.size());
    EXPECT_EQ(describeAll(events), describeAll({key(TermKey::Enter, KeyAction::Typed)}));

    // A run of parameters with no end is dropped once it is longer than any real sequence.
    events.clear();
    const std::string endless = ESC + "[" + std::string(300, '1');
    EXPECT_GT(decodeTerminalInput(endless, false, events), 100U);
    EXPECT_TRUE(events.empty());
}

}  // namespace
