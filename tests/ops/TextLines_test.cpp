// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "base/AsciiText.h"
#include "ops/TextLines.h"

namespace vantrel {
namespace {

TEST(NormaliseLineEnds, AcceptsCrLfLfALoneCrAtTheEndAndAMissingLastLineEnd) {
    const struct {
        const char* bytes;
        const char* text;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\nb\n", "a\nb\n"},
        {"a\r\nb", "a\nb\n"},
        {"a\nb", "a\nb\n"},
        {"", ""},
        {"\r\n\r\n", "\n\n"},
        {"a\rb\r\n", "a\rb\n"},  // a lone CR inside is text, not a line end
        {"a\r\nb\r", "a\nb\n"},  // ... but one that ends the file ends its last line
    };
    for (const auto& c : cases) EXPECT_EQ(NormaliseLineEnds(c.bytes), c.text) << c.bytes;
    // A file's first bytes: a CR that ends them stays, whatever lies in memory after them.
    EXPECT_EQ(NormaliseLineEnds(std::string_view("a\r\nb\r\n", 5), false), "a\nb\r");
}

TEST(JoinAfter, EndsAFilesLastLineAndNewLinesTakeItsLineEnd) {
    const struct {
        const char* fileEnd;
        const char* join;
        const char* lineEnd;
    } cases[] = {
        {"a\r\n", "", "\r\n"},      {"a\n", "", "\n"},    {"a\r\nb\r", "\n", "\r\n"},
        {"a\r\nb", "\r\n", "\r\n"}, {"a\nb", "\n", "\n"}, {"no line end", "\r\n", "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinAfter(c.fileEnd), c.join) << c.fileEnd;
        EXPECT_EQ(LineEndOf(c.fileEnd), c.lineEnd) << c.fileEnd;
    }
    EXPECT_EQ(WithLineEnds("x\ny\n", "\n"), "x\ny\n");
}

TEST(ToCrLf, TurnsEveryLineEndIntoCrLfAndRoundTrips) {
    EXPECT_EQ(ToCrLf("a\n\nb\n"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(ToCrLf("no end"), "no end");
    EXPECT_EQ(NormaliseLineEnds(ToCrLf("x, 1\ny, 2\n")), "x, 1\ny, 2\n");
}

TEST(EqualsIgnoringCase, ComparesAsciiLettersOnlyWithoutCase) {
    EXPECT_TRUE(EqualsIgnoringCase("Site#:, 3 CM", "site#:, 3 cm"));
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abd"));
    EXPECT_FALSE(EqualsIgnoringCase("abc", "abcd"));
    EXPECT_FALSE(EqualsIgnoringCase("[", "{"));  // 0x5B and 0x7B differ by the case bit only
    EXPECT_TRUE(EndsWithIgnoringCase("Site 3.VbK", ".vbk"));
    EXPECT_FALSE(EndsWithIgnoringCase("vbk", ".vbk"));
}

}  // namespace
}  // namespace vantrel
