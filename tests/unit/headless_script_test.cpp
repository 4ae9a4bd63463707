// The headless script reader at its edges: line lengths, endless and failing input, and output
// that cannot be written.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include "game_fixture.h"
#include "headless_script.h"

namespace {

const std::string START_STATE =
    "state=Menu menuRow=0 x=4.000000 y=11.000000 angle=180.000000 width=120 height=40 "
    "colour=07 cursor=960,540 slept=0\n";

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runScript(std::istream& script) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runHeadlessScript(script, out, err);
    return {status, out.str(), err.str()};
}

Outcome runScript(const std::string& text) {
    std::istringstream script(text);
    return runScript(script);
}

// Serves `text`, then either ends or fails, and counts the bytes it handed out. With `fill`
// set it hands out that byte without end once `text` is used up (up to `cap` bytes, so that a
// reader which never stops still finishes).
class ScriptSource : public std::streambuf {
public:
    ScriptSource(std::string text, bool failAtEnd, int fill = -1, std::size_t cap = 0)
        : text_(std::move(text)), failAtEnd_(failAtEnd), fill_(fill), cap_(cap) {}

    std::size_t served = 0;

protected:
    int_type underflow() override {
        if (served < text_.size()) {
            chunk_.assign(text_, served, 64);
        } else if (fill_ >= 0 && served < text_.size() + cap_) {
            chunk_.assign(64, static_cast<char>(fill_));
        } else if (failAtEnd_) {
            throw std::runtime_error("read error");
        } else {
            return traits_type::eof();
        }
        served += chunk_.size();
        setg(chunk_.data(), chunk_.data(), chunk_.data() + chunk_.size());
        return traits_type::to_int_type(chunk_[0]);
    }

private:
    std::string text_;
    bool failAtEnd_;
    int fill_;
    std::size_t cap_;
    std::string chunk_;
};

// Takes what is written and fails to pass it on when flushed, as a full disk does.
class FullDevice : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        pending_ = true;
        return traits_type::not_eof(c);
    }
    int sync() override { return pending_ ? -1 : 0; }

private:
    bool pending_ = false;
};

}  // namespace

class HeadlessScriptTest : public GameTest {};

// A line of 4096 bytes read and one of 4097 refused, both ended by "\n", are the golden case
// headless.line_limit.
TEST_F(HeadlessScriptTest, LinesUpToTheLimitAreReadAndLongerOnesRefused) {
    const std::string limit(4096, 'x');
    const struct {
        std::string script;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"#" + limit.substr(1) + "\r\nstate\n", 0, START_STATE, ""},
        {"state\n#" + limit.substr(1), 0, START_STATE, ""},
        {"state\n\n#" + limit, 2, START_STATE,
         "mazecast-headless: line 3: longer than 4096 bytes\n"},
        // A '\r' is a line end's only when "\n" follows it.
        {"#" + limit.substr(1) + "\rx\nstate\n", 2, "",
         "mazecast-headless: line 1: longer than 4096 bytes\n"},
        {"#" + limit.substr(1) + "\r\r\nstate\n", 2, "",
         "mazecast-headless: line 1: longer than 4096 bytes\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.substr(0, 8) + "... (" + std::to_string(c.script.size()) + " bytes)");
        const Outcome result = runScript(c.script);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
    }
}

TEST_F(HeadlessScriptTest, AnEndlessLineIsRefusedAfterReadingLittleMoreThanTheLimit) {
    for (const int fill : {0, int{'a'}, int{' '}}) {
        SCOPED_TRACE(fill);
        ScriptSource source("state\n", false, fill, 1 << 20);
        std::istream script(&source);
        const Outcome result = runScript(script);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, START_STATE);
        EXPECT_EQ(result.err, "mazecast-headless: line 2: longer than 4096 bytes\n");
        EXPECT_LE(source.served, 6u + 4096u + 2 * 64u);
    }
}

TEST_F(HeadlessScriptTest, AReadErrorStopsTheScriptAtTheLineBeingRead) {
    const struct {
        std::string script;
        std::string out;
        std::string line;
    } cases[] = {
        {"", "", "1"},
        {"state\nstate\n", START_STATE + START_STATE, "3"},
        {"state\nsta", START_STATE, "2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        ScriptSource source(c.script, true);
        std::istream script(&source);
        const Outcome result = runScript(script);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(
            result.err.rfind("mazecast-headless: line " + c.line + ": cannot read the script", 0),
            0u)
            << result.err;
    }
}

TEST_F(HeadlessScriptTest, OutputThatCannotBeWrittenEndsTheRunWithOneMessage) {
    // A script error after the failed write is never reached; a script with no output runs on.
    const struct {
        std::string script;
        int status;
    } cases[] = {
        {"state\n", 1},
        {"pass\nshow\nstate\n", 1},
        {"state\nhold x\n", 1},
        {"pass 2\n", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        std::istringstream script(c.script);
        FullDevice device;
        std::ostream out(&device);
        std::ostringstream err;
        EXPECT_EQ(runHeadlessScript(script, out, err), c.status);
        if (c.status == 1) {
            EXPECT_EQ(err.str().rfind("mazecast-headless: cannot write the output", 0), 0u)
                << err.str();
            EXPECT_EQ(err.str().find('\n'), err.str().size() - 1) << err.str();
        } else {
            EXPECT_EQ(err.str(), "");
        }
    }
}

TEST_F(HeadlessScriptTest, MessagesQuoteAShortEscapedPrefixOfTheScript) {
    const std::string longName(50 * 1000, 'k');
    const struct {
        std::string script;
        std::string err;
    } cases[] = {
        {"\x1b[2J\n", "line 1: unknown command '\\x1b[2J'"},
        {"FLY\n", "line 1: unknown command 'FLY'"},
        {"hold w \xc3\xa9\x07\n", "line 1: unknown key '\\xc3\\xa9\\x07'"},
        {"tap " + longName.substr(0, 4000) + "\n",
         "line 1: unknown key '" + longName.substr(0, 32) + "...'"},
        {"#\n" + longName.substr(0, 4000) + "\n",
         "line 2: unknown command '" + longName.substr(0, 32) + "...'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const Outcome result = runScript(c.script);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err, "mazecast-headless: " + c.err + "\n");
    }
}
