// The settings screen: reading a width and a height, rejecting bad values, and leaving.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game_fixture.h"
#include "platform/platform.h"

namespace {

// The console as it stood during the result's pause, captured by the sleep observer.
std::vector<std::string> consoleDuringPause;
int enterPollsBeforeRelease;

void captureLongPause(std::uint32_t milliseconds) {
    if (milliseconds == RESULT_PAUSE_MS) {
        consoleDuringPause.clear();
        for (int row = 0; row < headlessConsoleRows(); ++row) {
            std::string text = headlessConsoleRow(row);
            text.erase(text.find_last_not_of(' ') + 1);
            consoleDuringPause.push_back(text);
        }
    }
}

void releaseEnterAfterPolls(std::uint32_t milliseconds) {
    if (milliseconds == 10 && --enterPollsBeforeRelease == 0) {
        headlessReleaseKey(KEY_RETURN);
    }
}

class SettingsTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        locals.appState = Settings;
        locals.menuRow = 6;
        consoleDuringPause.clear();
    }
};

TEST_F(SettingsTest, AcceptedSizeIsShownThenTheMenuReturns) {
    const std::string title = "Set custom screen resolution";
    const std::string width = "Width? Set width: 80";
    const std::string rejected = "Height? Invalid height";
    const std::string accepted = "Height? Set resolution: 80x25";
    const struct {
        const char* typed;
        std::vector<std::string> shown;  // the console's first rows during the pause
        std::int32_t width, height;
    } cases[] = {
        {"80\n0\n25\n", {title, "", width, rejected, accepted}, 80, 25},
        {"80 25\n", {title, "", width, accepted}, 80, 25},  // one line answers both prompts
        // A letter right after the width is left for the height prompt, which rejects it.
        {"80x\n\n\n   25\n", {title, "", width, rejected, accepted}, 80, 25},
        // The size already set still pauses and sizes the frame again.
        {"120\n40\n",
         {title, "", "Width? Set width: 120", "Height? Set resolution: 120x40"},
         120,
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        SetUp();
        headlessSetSleepObserver(captureLongPause);
        headlessTypeInput(c.typed);
        pass();
        ASSERT_GE(consoleDuringPause.size(), c.shown.size());
        consoleDuringPause.resize(c.shown.size());
        EXPECT_EQ(consoleDuringPause, c.shown);
        EXPECT_EQ(locals.appState, Menu);
        EXPECT_EQ(world.screenWidth, c.width);
        EXPECT_EQ(world.screenHeight, c.height);
        EXPECT_EQ(frameBuffer.size(), static_cast<std::size_t>(c.height));
        EXPECT_EQ(frameBuffer.back().size(), static_cast<std::size_t>(c.width));
        EXPECT_EQ(headlessSleptMilliseconds(), 5000U);
        EXPECT_FALSE(settingsHeightPending);
        EXPECT_EQ(consoleText(0), "");  // cleared for the menu
    }
}

TEST_F(SettingsTest, WidthBoundsAreOneAndFiveHundredTwelve) {
    struct Case {
        const char* typed;
        bool accepted;
    };
    const Case cases[] = {
        {"512", true},  {"1", true},           {"513", false},          {"0", false},
        {"-5", false},  {"+7", true},          {"99999999999", false},  {"-2147483648", false},
        {"abc", false}, {"4294967297", false}, {"\u0668\u0660", false}, {"000000000012", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SetUp();
        headlessTypeInput(std::string(c.typed) + "\n40\n");
        pass();
        EXPECT_EQ(locals.appState, c.accepted ? Menu : Settings);
        if (c.accepted) {
            EXPECT_EQ(world.screenWidth, std::stoi(c.typed));
        } else {
            EXPECT_EQ(world.screenWidth, 120);
            EXPECT_EQ(consoleText(2), "Width? Invalid width");
        }
    }
}

TEST_F(SettingsTest, HeightBoundsAreOneAndFiveHundredTwelve) {
    struct Case {
        const char* typed;
        std::int32_t height;  // stored height; 40 when rejected
    };
    const Case cases[] = {{"512", 512}, {"1", 1}, {"513", 40}, {"0", 40}, {"-5", 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        SetUp();
        headlessTypeInput(std::string("100\n") + c.typed + "\n");
        pass();
        if (c.height == 40) {
            // Rejected, then input ends at the next prompt: the visit is abandoned.
            EXPECT_EQ(world.screenWidth, 120);
        } else {
            EXPECT_EQ(world.screenWidth, 100);
        }
        EXPECT_EQ(world.screenHeight, c.height);
        EXPECT_EQ(locals.appState, Menu);
    }
}

TEST_F(SettingsTest, RejectedWidthAsksAgainFromTheTop) {
    headlessTypeInput("0\nnonsense here\n");
    pass();
    EXPECT_EQ(locals.appState, Settings);
    pass();
    EXPECT_EQ(locals.appState, Settings);
    EXPECT_EQ(consoleText(0), "Set custom screen resolution");
    EXPECT_EQ(consoleText(2), "Width? Invalid width");
    headlessTypeInput("64\n48\n");
    pass();
    EXPECT_EQ(locals.appState, Menu);
    EXPECT_EQ(world.screenWidth, 64);
    EXPECT_EQ(world.screenHeight, 48);
}

TEST_F(SettingsTest, EndOfInputAbandonsTheVisit) {
    struct Case {
        const char* typed;
    };
    for (const Case c :
         {Case{""}, Case{"   \n\n"}, Case{"300\n"}, Case{"300\n-"}, Case{"300 0\n"}}) {
        SCOPED_TRACE(c.typed);
        SetUp();
        headlessTypeInput(c.typed);
        headlessEndInput();
        pass();
        EXPECT_EQ(locals.appState, Menu);
        EXPECT_EQ(world.screenWidth, 120);
        EXPECT_EQ(world.screenHeight, 40);
        EXPECT_EQ(frameBuffer.size(), 40U);
        EXPECT_EQ(frameBuffer[0].size(), 120U);
        EXPECT_FALSE(settingsHeightPending);
        EXPECT_EQ(consoleText(0), "");
        EXPECT_EQ(headlessSleptMilliseconds(), 0U);
    }
}

TEST_F(SettingsTest, InputTypedAfterAnAbandonedVisitIsReadNextTime) {
    pass();  // nothing typed yet: abandoned
    EXPECT_EQ(locals.appState, Menu);
    locals.appState = Settings;
    headlessTypeInput("33\n22\n");
    pass();
    EXPECT_EQ(world.screenWidth, 33);
    EXPECT_EQ(world.screenHeight, 22);
}

TEST_F(SettingsTest, TheConfirmingEnterPressIsTakenUp) {
    headlessTapKey(KEY_RETURN);
    headlessTypeInput("80\n25\n");
    pass();
    EXPECT_EQ(locals.appState, Menu);
    pass();  // the menu must not act on the Enter that confirmed the height
    EXPECT_EQ(locals.appState, Menu);
    EXPECT_EQ(consoleText(6), "Settings    <--");
}

TEST_F(SettingsTest, HeldEnterKeepsTheScreenUntilReleased) {
    enterPollsBeforeRelease = 3;
    headlessSetSleepObserver(releaseEnterAfterPolls);
    headlessHoldKey(KEY_RETURN);
    headlessTypeInput("80\n25\n");
    pass();
    EXPECT_EQ(locals.appState, Menu);
    EXPECT_EQ(headlessSleptMilliseconds(), 5030U);
}

TEST_F(SettingsTest, NextDemoRendersAtTheNewSize) {
    headlessTypeInput("30\n10\n");
    pass();
    startDemo(0);
    pass();
    EXPECT_EQ(consoleText(0).substr(0, 30), "X:6.000000 Y:6.000000 A:180.00");
    EXPECT_EQ(headlessConsoleRow(0).substr(30, 5), "     ");
    EXPECT_EQ(headlessConsoleRow(10), std::string(120, ' '));
}

}  // namespace
