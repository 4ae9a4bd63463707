// The terminal platform in this process, over a pseudo-terminal pair the test opens: what the
// prompt reads from typed bytes, and the window's measure, without starting the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <istream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/terminal/terminal_session.h"
#include "platform/terminal/terminal_start.h"
#include "platform/terminal/terminal_state.h"

using namespace terminal_platform;

namespace {

// A pixel mouse and a cell of 10 x 20 pixels, then the device attributes that end the probe.
constexpr char PROBE_REPLY[] = "\x1b[?1016;1$y\x1b[6;20;10t\x1b[?62;22c";

// The terminal's side of the pair: reads all the game sends, so that it never stalls, and
// sends each answer once the game has sent what the answer waits for.
class Session : public ::testing::Test {
protected:
    struct Answer {
        std::string after;  // sent by the game since the answer before
        std::string send;
    };

    void start(unsigned short columns, unsigned short rows, std::vector<Answer> answers = {}) {
        if (terminal.started) {
            GTEST_SKIP() << "the platform starts once a process: ctest runs each test alone";
        }
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);
        struct winsize size {};
        size.ws_col = columns;
        size.ws_row = rows;
        ASSERT_EQ(ioctl(master, TIOCSWINSZ, &size), 0);
        answers.insert(answers.begin(), Answer{"\x1b[c", PROBE_REPLY});
        reader = std::thread([this, answers] { readAndAnswer(answers); });
        startTerminal(slave, slave);
    }

    void TearDown() override {
        if (terminal.started) {
            sessionRestore();
        }
        stopping = true;
        if (reader.joinable()) {
            reader.join();
        }
    }

    void type(const std::string& bytes) const {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

private:
    void readAndAnswer(const std::vector<Answer>& answers) {
        std::string seen;
        std::size_t next = 0;
        while (!stopping) {
            struct pollfd ready = {master, POLLIN, 0};
            char bytes[4096];
            if (poll(&ready, 1, 10) <= 0 || (ready.revents & POLLIN) == 0) {
                continue;
            }
            const ssize_t count = read(master, bytes, sizeof bytes);
            if (count <= 0) {
                return;
            }
            seen.append(bytes, static_cast<std::size_t>(count));
            if (next < answers.size() && seen.find(answers[next].after) != std::string::npos) {
                type(answers[next++].send);
                seen.clear();
            }
        }
    }

    int master = -1;
    std::thread reader;
    std::atomic<bool> stopping{false};
};

TEST_F(Session, TypedLinesAreReadWholeWithTheKeysSequencesLeftOut) {
    const std::string ESC = "\x1b";
    struct Case {
        const char* name;
        std::string typed;  // once the prompt shows: what was typed before it is no text
        std::string line;   // what the prompt reads
        std::string echo;   // what the prompt's row shows after it, where checked
    };
    const std::vector<Case> cases{
        {"non-ASCII characters, each echoed as one cell", "\u0668\u0660\r", "\u0668\u0660", "??"},
        {"509 zeros then 12", std::string(509, '0') + "12\r", std::string(509, '0') + "12", ""},
        {"99,998 zeros then 25", std::string(99998, '0') + "25\r", std::string(99998, '0') + "25",
         ""},
        {"arrows, keys and late replies are no text",
         "1" + ESC + "[A" + ESC + "OB" + ESC + "[1;5C" + ESC + "]11;rgb:0/0/0\a" + ESC +
             "[?1;2c2\r",
         "12", "12"},
        {"Backspace takes the last one back", "81\x7f\r", "8", "8"},
        {"Ctrl+U takes the whole line back", "81\02525\r", "25", "25"},
        {"a sequence split between reads", "3" + ESC + "[", "34", "34"},
    };
    std::vector<Answer> answers;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        answers.push_back({std::to_string(i) + ">", cases[i].typed});
    }
    // The rest of the split sequence, once the echo before it is on the screen (and the
    // cursor parked after it); then Ctrl+D at the next prompt.
    answers.push_back({"3\x1b[H", "1;5D4\r"});
    answers.push_back({std::to_string(cases.size()) + ">", "\x04"});
    ASSERT_NO_FATAL_FAILURE(start(100, 30, answers));
    if (IsSkipped()) {
        return;
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        platformOutput() << i << "> ";
        std::string line;
        ASSERT_TRUE(std::getline(platformInput(), line)) << c.name;
        EXPECT_EQ(line, c.line) << c.name;
        const std::string echoed = terminal.console.rowText(terminal.console.cursorRow() - 1);
        if (!c.echo.empty()) {
            EXPECT_EQ(echoed.substr(0, 3 + c.echo.size()), std::to_string(i) + "> " + c.echo)
                << c.name;
        }
    }
    // Ctrl+D on an empty line ends the input: the prompt reads no line.
    platformOutput() << cases.size() << "> ";
    std::string line;
    EXPECT_FALSE(std::getline(platformInput(), line)) << "Ctrl+D";
}

TEST_F(Session, AWindowOfNoSizeIsEightyByTwentyFour) {
    unsetenv("COLUMNS");
    unsetenv("LINES");
    ASSERT_NO_FATAL_FAILURE(start(0, 0));
    if (IsSkipped()) {
        return;
    }
    EXPECT_EQ(terminal.geometry.columns, 80);
    EXPECT_EQ(terminal.geometry.rows, 24);
    EXPECT_EQ(terminal.geometry.cellWidth, 10);  // from the probe's answer
    EXPECT_EQ(platformScreenWidth(), 800);
}

}  // namespace
