#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(Utf8, SequenceLengthTakesWellFormedSequencesOnly)
{
    EXPECT_EQ(utf8SequenceLengthAt("a", 0), 1u);
    EXPECT_EQ(utf8SequenceLengthAt("\xC3\xA9", 0), 2u); // é
    EXPECT_EQ(utf8SequenceLengthAt("\xE2\x82\xAC", 0), 3u); // €
    EXPECT_EQ(utf8SequenceLengthAt("\xF0\x9F\x93\xB7", 0), 4u); // a camera
    EXPECT_EQ(utf8SequenceLengthAt("x\xC3\xA9", 1), 2u);
    for (const std::string& bad : {
             "\xE9"s, // Latin-1 é
             "\x80"s, // a continuation byte alone
             "\xE2\x82"s, // cut off
             "\xC3("s, // lead without continuation
             "\xC0\x80"s, // overlong NUL
             "\xE0\x80\xAF"s, // overlong slash
             "\xED\xA0\x80"s, // a surrogate
             "\xF4\x90\x80\x80"s, // beyond U+10FFFF
             "\xF8\x88\x80\x80\x80"s, // five-byte form
         })
        EXPECT_EQ(utf8SequenceLengthAt(bad, 0), 0u) << escapedForTerminal(bad);
    EXPECT_EQ(utf8SequenceLengthAt("a", 1), 0u) << "past the end";
    EXPECT_TRUE(isValidUtf8("caf\xC3\xA9.JPG"));
    EXPECT_FALSE(isValidUtf8("caf\xE9.JPG"));
    EXPECT_TRUE(isValidUtf8(""));
}

TEST(Utf8, ReplacesEachStrayByteWithTheReplacementCharacter)
{
    EXPECT_EQ(withInvalidUtf8Replaced("caf\xE9.JPG"), "caf\xEF\xBF\xBD.JPG");
    EXPECT_EQ(withInvalidUtf8Replaced("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "one for each byte of a cut-off sequence";
    EXPECT_EQ(withInvalidUtf8Replaced("caf\xC3\xA9 \xF0\x9F\x93\xB7"), "caf\xC3\xA9 \xF0\x9F\x93\xB7");
    EXPECT_EQ(withInvalidUtf8Replaced("a\0b"s), "a\0b"s) << "NUL is valid UTF-8; JSON escapes it";
    EXPECT_TRUE(isValidUtf8(withInvalidUtf8Replaced("\xFF\xFE\xC0\x80\xED\xA0\x80 ok")));
}

TEST(Utf8, TerminalEscapesLeaveNothingThatActsOnTheScreen)
{
    EXPECT_EQ(escapedForTerminal("IMG_0001.JPG"), "IMG_0001.JPG");
    EXPECT_EQ(escapedForTerminal("caf\xC3\xA9"), "caf\xC3\xA9") << "printable UTF-8 is kept";
    EXPECT_EQ(escapedForTerminal("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(escapedForTerminal("\x1B[2J\x07\x7F"), "\\x1B[2J\\x07\\x7F");
    EXPECT_EQ(escapedForTerminal("a\0b"s), "a\\x00b");
    EXPECT_EQ(escapedForTerminal("caf\xE9"), "caf\\xE9");
    EXPECT_EQ(escapedForTerminal("back\\slash"), "back\\\\slash") << "so an escape in the output is never ambiguous";
    EXPECT_EQ(escapedForTerminal("\xC2\x9B"
                                 "31m"),
        "\\u{009B}31m")
        << "C1 control sequence introducer";
    EXPECT_EQ(escapedForTerminal("gpj.\xE2\x80\xAE"
                                 "exe"),
        "gpj.\\u{202E}exe")
        << "right-to-left override";
    EXPECT_EQ(escapedForTerminal("a\xE2\x80\xA8"
                                 "b"),
        "a\\u{2028}b")
        << "line separator";
}

TEST(Utf8, PrefixesCountCharactersAndSayWhenCut)
{
    EXPECT_EQ(printablePrefix("short", 10), "short");
    EXPECT_EQ(printablePrefix("exactly10!", 10), "exactly10!");
    EXPECT_EQ(printablePrefix("abcdefghijk", 10), "abcdefghij...");
    EXPECT_EQ(printablePrefix("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9...") << "never cuts inside a character";
    EXPECT_EQ(printablePrefix("\n\n\n", 2), "\\n\\n...");
    EXPECT_EQ(printablePrefix("\xE9\xE9\xE9", 2), "\\xE9\\xE9...");
    EXPECT_EQ(quotedForMessage(std::string(10'000'000, 'x')), "'" + std::string(40, 'x') + "...'");
    EXPECT_EQ(quotedForMessage("fly"), "'fly'");
}

}
