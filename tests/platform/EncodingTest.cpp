#include "platform/core/Encoding.h"

#include <gtest/gtest.h>

TEST(Encoding, Cp932CharactersThatShiftJisLacks)
{
    // ① ～ － and half-width katakana exist in code page 932 with these bytes.
    EXPECT_EQ(Utf8ToCp932("①"), "\x87\x40");
    EXPECT_EQ(Utf8ToCp932("～"), "\x81\x60");
    EXPECT_EQ(Utf8ToCp932("－"), "\x81\x7C");
    EXPECT_EQ(Utf8ToCp932("ﾃｽﾄ"), "\xC3\xBD\xC4");
    EXPECT_EQ(Cp932ToUtf8("\x87\x40\x81\x60\x81\x7C\xC3\xBD\xC4"), "①～－ﾃｽﾄ");
    // The backslash stays a backslash, not a yen sign.
    EXPECT_EQ(Cp932ToUtf8("C:\\"), "C:\\");
    EXPECT_EQ(Utf8ToCp932("\\"), "\\");
}

TEST(Encoding, ByteLengthsAndDamagedInput)
{
    EXPECT_EQ(Cp932Length("abc"), 3u);
    EXPECT_EQ(Cp932Length("あいう"), 6u);
    EXPECT_EQ(Cp932Length("ﾃｽﾄ"), 3u);
    // A lone lead byte and an unmappable character do not stop the conversion.
    EXPECT_EQ(Cp932ToUtf8("a\x82"), "a?");
    EXPECT_EQ(Utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToCp932("a\xFF" "b"), "a?b");
    EXPECT_TRUE(IsValidUtf8("あ"));
    EXPECT_FALSE(IsValidUtf8("\xE3\x81"));
    EXPECT_EQ(Utf8Length("aあ①"), 3u);
}

TEST(Encoding, CountsCharactersCodePage932Lacks)
{
    size_t replaced = 99;
    EXPECT_EQ(Utf8ToCp932("a?b", replaced), "a?b");
    EXPECT_EQ(replaced, 0u);
    EXPECT_EQ(Utf8ToCp932("①😀あ𠮷", replaced), "\x87\x40?\x82\xA0?");
    EXPECT_EQ(replaced, 2u);
    EXPECT_EQ(RepairUtf8("aあ"), "aあ");
    EXPECT_EQ(RepairUtf8("a\xFF" "b\xE3\x81"), "a?b??");
}

TEST(Encoding, Cp932TextMixedWithAsciiKeepsEveryCharacterWhole)
{
    // Trail bytes in the ASCII range belong to their lead byte ("表" is 0x95 0x5C,
    // "ソ" 0x83 0x5C); a lead byte before a line break is damaged, the break stays.
    EXPECT_EQ(Cp932ToUtf8("<t>\x95\x5C\\\x83\x5C</t>"), "<t>表\\ソ</t>");
    EXPECT_EQ(Cp932ToUtf8("a\x82\r\nb\xB1x"), "a?\r\nbｱx");
    EXPECT_EQ(Cp932ToUtf8("\x81\x40\x81"), "　?");
}

// Code page 932 writes "¥" and "‾" as "\" and "~" (and drops a few characters
// altogether): what reads back is another character. Those it writes as the
// same character in its usual form, and those it lacks, are not counted here.
TEST(Encoding, CountsCharactersCodePage932WritesAsOthers)
{
    EXPECT_EQ(Utf8ToCp932("価格¥1,000‾"), "\x89\xBF\x8A\x69\\1,000~");
    EXPECT_EQ(Cp932ChangedCharacters("価格¥1,000‾¥"), 3u);
    EXPECT_EQ(Cp932ChangedCharacters("\xF3\xA0\x81\x81"), 1u);  // a tag character, written as nothing
    EXPECT_EQ(Cp932ChangedCharacters("〜−‖—¢£¬～－"), 0u);
    EXPECT_EQ(Cp932ChangedCharacters("\\~ ﾃｽﾄ①😀"), 0u);
    // Broken bytes around a counted character do not hide it.
    EXPECT_EQ(Cp932ChangedCharacters("\xE3\x81¥\xFF\xC2"), 1u);
}
