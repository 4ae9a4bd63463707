// The web platform's pure pieces: key states from page events, the virtual desktop's cursor, and
// the part of the console the page shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/web/grid_extent.h"
#include "platform/web/virtual_desktop.h"
#include "platform/web/web_keyboard.h"

namespace {

constexpr int KEY_SHIFT = 0x10;
constexpr int KEY_W = 0x57;
constexpr int LEFT_SHIFT = 1;
constexpr int RIGHT_SHIFT = 2;
constexpr int W_KEY = 3;

constexpr std::int16_t UP = 0;
constexpr std::int16_t UP_PRESSED = 0x0001;
constexpr auto HELD = static_cast<std::int16_t>(0x8000);
constexpr auto HELD_PRESSED = static_cast<std::int16_t>(0x8001);

// One step of a key script: an event, or a query and the state it must answer.
struct KeyStep {
    char what;  // 'd' down, 'u' up, 'r' release all, 'c' Caps Lock (key: on), 'q' query
    int key;
    int physical;
    std::int16_t expected;  // for 'q'
};

struct KeyCase {
    const char* name;
    std::vector<KeyStep> steps;
};

TEST(WebKeyboard, AnswersHeldAndPressedSinceThePreviousQuery) {
    const KeyCase cases[] = {
        {"never touched", {{'q', KEY_W, 0, UP}}},
        {"held, then reported once",
         {{'d', KEY_W, W_KEY, 0}, {'q', KEY_W, 0, HELD_PRESSED}, {'q', KEY_W, 0, HELD}}},
        {"pressed and released between queries still counts once",
         {{'d', KEY_W, W_KEY, 0},
          {'u', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, UP_PRESSED},
          {'q', KEY_W, 0, UP}}},
        {"auto-repeat is no new press",
         {{'d', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, HELD_PRESSED},
          {'d', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, HELD}}},
        {"released at once",
         {{'d', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, HELD_PRESSED},
          {'u', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, UP}}},
        {"both Shift keys: held until the second comes up",
         {{'d', KEY_SHIFT, LEFT_SHIFT, 0},
          {'d', KEY_SHIFT, RIGHT_SHIFT, 0},
          {'q', KEY_SHIFT, 0, HELD_PRESSED},
          {'u', KEY_SHIFT, LEFT_SHIFT, 0},
          {'q', KEY_SHIFT, 0, HELD},
          {'u', KEY_SHIFT, RIGHT_SHIFT, 0},
          {'q', KEY_SHIFT, 0, UP}}},
        {"the second Shift going down while one is held is no new press",
         {{'d', KEY_SHIFT, LEFT_SHIFT, 0},
          {'q', KEY_SHIFT, 0, HELD_PRESSED},
          {'d', KEY_SHIFT, RIGHT_SHIFT, 0},
          {'q', KEY_SHIFT, 0, HELD}}},
        {"a focus loss releases every key, an unqueried press is still reported",
         {{'d', KEY_W, W_KEY, 0},
          {'d', KEY_SHIFT, LEFT_SHIFT, 0},
          {'r', 0, 0, 0},
          {'q', KEY_W, 0, UP_PRESSED},
          {'q', KEY_SHIFT, 0, UP_PRESSED},
          {'q', KEY_W, 0, UP}}},
        {"after a focus loss the key's own release changes nothing",
         {{'d', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, HELD_PRESSED},
          {'r', 0, 0, 0},
          {'u', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, UP},
          {'d', KEY_W, W_KEY, 0},
          {'q', KEY_W, 0, HELD_PRESSED}}},
        {"with Caps Lock on a held letter holds Shift, as a capital does",
         {{'c', 1, 0, 0},
          {'d', KEY_W, W_KEY, 0},
          {'q', KEY_SHIFT, 0, HELD},
          {'u', KEY_W, W_KEY, 0},
          {'q', KEY_SHIFT, 0, UP}}},
        {"with Caps Lock off a letter is only itself",
         {{'c', 0, 0, 0}, {'d', KEY_W, W_KEY, 0}, {'q', KEY_SHIFT, 0, UP}}},
        {"codes outside the table are never held",
         {{'d', -1, W_KEY, 0}, {'d', 256, W_KEY, 0}, {'q', -1, 0, UP}, {'q', 256, 0, UP}}},
    };
    for (const KeyCase& c : cases) {
        WebKeyboard keyboard;
        int queryNumber = 0;
        for (const KeyStep& step : c.steps) {
            switch (step.what) {
                case 'd':
                    keyboard.press(step.key, step.physical);
                    break;
                case 'u':
                    keyboard.release(step.key, step.physical);
                    break;
                case 'r':
                    keyboard.releaseAll();
                    break;
                case 'c':
                    keyboard.setCapsLock(step.key != 0);
                    break;
                default:
                    EXPECT_EQ(keyboard.query(step.key), step.expected)
                        << c.name << ", query " << queryNumber;
                    ++queryNumber;
                    break;
            }
        }
    }
}

// A step on the virtual desktop and where the cursor must be afterwards.
struct PointerStep {
    char what;  // 'a' pointer at, 'm' locked motion, 't' the game moves it, 's' page resized
    double a;
    double b;
    std::int32_t x;
    std::int32_t y;
};

TEST(VirtualDesktop, KeepsTheCursorOnTheScreenAsADesktopDoes) {
    struct Case {
        const char* name;
        std::vector<PointerStep> steps;
    };
    const Case cases[] = {
        {"starts in the middle", {{'m', 0, 0, 640, 360}}},
        {"a resize before any pointer keeps it in the middle", {{'s', 1920, 1080, 960, 540}}},
        {"locked motion adds up", {{'m', 20, -5, 660, 355}, {'m', -40, 5, 620, 360}}},
        {"motion between device pixels keeps its fraction for the next",
         {{'m', 1.5, 0, 641, 360}, {'m', 1.5, -0.25, 643, 360}, {'m', 0, -0.75, 643, 359}}},
        {"and backwards the same", {{'m', -0.75, 0, 640, 360}, {'m', -0.75, 0, 639, 360}}},
        {"locked motion stops at the right and bottom edges", {{'m', 5000, 5000, 1279, 719}}},
        {"and at the left and top edges", {{'m', -5000, -5000, 0, 0}}},
        {"the pointer's place is the cursor", {{'a', 100, 200, 100, 200}}},
        {"a pointer beyond the page is kept on the screen", {{'a', -3, 900, 0, 719}}},
        {"the game's wrap target holds, and motion goes on from it",
         {{'t', 11, 360, 11, 360}, {'m', 10, 0, 21, 360}}},
        {"the game's move off the screen is clamped", {{'t', 1280, -1, 1279, 0}}},
        {"after a pointer, a smaller page only clamps it",
         {{'a', 1000, 700, 1000, 700}, {'s', 800, 600, 799, 599}}},
    };
    for (const Case& c : cases) {
        VirtualDesktop desktop(1280, 720);
        int stepNumber = 0;
        for (const PointerStep& step : c.steps) {
            switch (step.what) {
                case 'a':
                    desktop.pointAt(static_cast<std::int32_t>(step.a),
                                    static_cast<std::int32_t>(step.b));
                    break;
                case 'm':
                    desktop.moveBy(step.a, step.b);
                    break;
                case 't':
                    desktop.moveTo(static_cast<std::int32_t>(step.a),
                                   static_cast<std::int32_t>(step.b));
                    break;
                default:
                    desktop.resize(static_cast<std::int32_t>(step.a),
                                   static_cast<std::int32_t>(step.b));
                    break;
            }
            EXPECT_EQ(desktop.x(), step.x) << c.name << ", step " << stepNumber;
            EXPECT_EQ(desktop.y(), step.y) << c.name << ", step " << stepNumber;
            ++stepNumber;
        }
    }
}

TEST(VirtualDesktop, MeasuresItsScreen) {
    VirtualDesktop desktop(0, -4);  // a page not laid out yet still has a pixel
    EXPECT_EQ(desktop.width(), 1);
    EXPECT_EQ(desktop.height(), 1);
    desktop.resize(2560, 1440);
    EXPECT_EQ(desktop.width(), 2560);
    EXPECT_EQ(desktop.height(), 1440);
}

// Rows written between two showings, and the extent that must be shown afterwards.
struct ShownFrame {
    std::vector<std::vector<int>> writes;  // column, row, length of each row written
    int shownColumns;
    int shownRows;
    bool changed;
};

TEST(GridExtent, FollowsTheFramesTheGamePresents) {
    struct Case {
        const char* name;
        std::vector<ShownFrame> frames;
    };
    std::vector<std::vector<int>> frame80x25;
    for (int row = 0; row < 25; ++row) {
        frame80x25.push_back({0, row, 80});
    }
    const Case cases[] = {
        {"nothing written: the first size stays", {{{}, 120, 40, false}}},
        {"a frame of the first size changes nothing",
         {{{{0, 0, 120}, {0, 39, 120}}, 120, 40, false}}},
        {"a smaller frame", {{frame80x25, 80, 25, true}, {frame80x25, 80, 25, false}}},
        {"a larger frame, up to the largest", {{{{0, 0, 512}, {0, 511, 512}}, 512, 512, true}}},
        {"a row longer than the console goes on in the next rows",
         {{{{0, 0, 512}, {0, 2, 600}}, 512, 4, true}}},
        {"a row that starts further right", {{{{100, 3, 50}}, 150, 4, true}}},
        {"writes outside the console or of nothing count for nothing",
         {{{{0, 512, 80}, {512, 0, 80}, {-1, 0, 80}, {0, 0, 0}}, 120, 40, false}}},
        {"each showing measures only what was written since the last",
         {{{{0, 0, 200}, {0, 59, 200}}, 200, 60, true},
          {{}, 200, 60, false},
          {{{0, 0, 1}}, 1, 1, true}}},
    };
    for (const Case& c : cases) {
        GridExtent extent(120, 40, 512, 512);
        int frameNumber = 0;
        for (const ShownFrame& frame : c.frames) {
            for (const std::vector<int>& row : frame.writes) {
                extent.rowWritten(row[0], row[1], static_cast<std::size_t>(row[2]));
            }
            EXPECT_EQ(extent.settle(), frame.changed) << c.name << ", frame " << frameNumber;
            EXPECT_EQ(extent.columns(), frame.shownColumns) << c.name << ", frame " << frameNumber;
            EXPECT_EQ(extent.rows(), frame.shownRows) << c.name << ", frame " << frameNumber;
            ++frameNumber;
        }
    }
}

}  // namespace
