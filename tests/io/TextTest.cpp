#include "io/Text.h"

#include <gtest/gtest.h>

TEST(Text, CutsKeepCharactersWholeAndLegacyBytesBecomeUtf8)
{
    EXPECT_EQ(CutUtf8("abc", 5), "abc");
    EXPECT_EQ(CutUtf8("ab\xC3\xA9", 3), "ab");
    EXPECT_EQ(CutUtf8("ab\xC3\xA9", 4), "ab\xC3\xA9");
    EXPECT_EQ(CutUtf8("\xF0\x9F\x8E\xB5x", 3), "");
    EXPECT_EQ(Utf8FromLegacy("Caf\xC3\xA9"), "Caf\xC3\xA9") << "already UTF-8";
    EXPECT_EQ(Utf8FromLegacy("Caf\xE9"), "Caf\xC3\xA9") << "Latin-1";
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsValidUtf8("\xE2\x82")) << "cut short";
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));
}
