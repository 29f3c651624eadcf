#include "base/text.h"

#include <gtest/gtest.h>

namespace vorlin {
namespace {

TEST(Text, LetterCaseAndBlanksAreAsciiOnly) {
    EXPECT_EQ(lower("MyShow.SCR"), "myshow.scr");
    // The bytes of a UTF-8 capital stay as they are.
    EXPECT_EQ(lower("\xC3\x84X"), "\xC3\x84x");
    EXPECT_EQ(trimSpaces(" \t key = v \t"), "key = v");
    EXPECT_EQ(trimSpaces(" \t "), "");
}

TEST(Text, BackslashEscapesOnlyTheControlsAsked) {
    const std::string s = "a\\b\nc\rd\te";
    EXPECT_EQ(backslashEscaped(s, "\n\r\t"), "a\\\\b\\nc\\rd\\te");
    // A list whose fields are split at tabs and line feeds keeps the carriage return.
    EXPECT_EQ(backslashEscaped(s, "\t\n"), "a\\\\b\\nc\rd\\te");
    // Other characters in the set mean nothing: only the three controls have escapes.
    EXPECT_EQ(backslashEscaped("x y", " "), "x y");
    EXPECT_EQ(backslashEscaped("", "\n"), "");
}

} // namespace
} // namespace vorlin
