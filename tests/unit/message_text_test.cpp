// Untrusted text in the tools' messages: a short prefix, with nothing a terminal would act on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_text.h"
#include "render_options.h"

TEST(MessageTextTest, QuotesAShortPrefixWithEveryOtherByteEscaped) {
    const struct {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"", ""},
        {"plain text, ~'\"!", "plain text, ~'\"!"},
        {"\x1b[2J\x07", "\\x1b[2J\\x07"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\t\r\n\x7f", "\\x09\\x0d\\x0a\\x7f"},
        {"\xc3\xa9\xff", "\\xc3\\xa9\\xff"},
        {"back\\slash", "back\\\\slash"},
        {std::string(32, 'x'), std::string(32, 'x')},
        {std::string(33, 'x'), std::string(32, 'x') + "..."},
        {std::string(31, 'x') + "\x1b\x1b", std::string(31, 'x') + "\\x1b..."},
        {std::string(1 << 20, '\x1b'),
         [] {
             std::string escaped;
             for (int i = 0; i < 32; ++i) {
                 escaped += "\\x1b";
             }
             return escaped + "...";
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quoted);
        EXPECT_EQ(quoteText(c.text), c.quoted);
    }
    EXPECT_EQ(quoteText("abcdef", 3), "abc...");
}

TEST(MessageTextTest, RenderOptionMessagesQuoteTheArgument) {
    const struct {
        std::vector<const char*> argv;
        std::string error;
    } cases[] = {
        {{"mazecast-render", "--\x1b]0;x\x07"}, "unknown option '--\\x1b]0;x\\x07'"},
        {{"mazecast-render", "--x", "6\x1b[2J"}, "bad value '6\\x1b[2J' for --x"},
        {{"mazecast-render", "--map", "1111111111111111111111111111111111111111"},
         "bad value '11111111111111111111111111111111...' for --map"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        RenderOptions options{};
        std::string error;
        EXPECT_FALSE(
            parseRenderOptions(static_cast<int>(c.argv.size()), c.argv.data(), options, error));
        EXPECT_EQ(error, c.error);
    }
}
