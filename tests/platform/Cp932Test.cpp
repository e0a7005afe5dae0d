#include "platform/Cp932.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Cp932, ConvertsCharactersThatDifferFromShiftJis) {
    // ソ 表 能 end in 0x5C; ～ － ① 髙 are where CP932 and plain Shift_JIS part ways.
    const std::string utf8 = "ソ表能～－①髙";
    const std::string cp932 = "\x83\x5C\x95\x5C\x94\x5C\x81\x60\x81\x7C\x87\x40\xFB\xFC";
    EXPECT_EQ(Utf8ToCp932(utf8), cp932);
    EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(J("ソ表"), "\x83\x5C\x95\x5C");
    EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932("abc ｱｲｳ")), "abc ｱｲｳ");
    EXPECT_EQ(Utf8ToCp932(""), "");
}

TEST(Cp932, BadBytesBecomeQuestionMarksAndTheRestSurvives) {
    EXPECT_EQ(Cp932ToUtf8("ab\x83"), "ab?");         // lone trailing lead byte
    EXPECT_EQ(Cp932ToUtf8("a\x81 b"), "a? b");       // lead byte before ASCII
    EXPECT_EQ(Cp932ToUtf8("\xA0x\x83\x5C"), "?xソ"); // byte that is no character
    EXPECT_EQ(Utf8ToCp932("a\xFF"
                          "b"),
              "a?b");                            // invalid UTF-8
    EXPECT_EQ(Utf8ToCp932("x\xE3\x82y"), "x?y"); // broken sequence
    EXPECT_EQ(Utf8ToCp932("😀表"), "?\x95\x5C");  // not in CP932
}

TEST(Cp932, LeadBytesAndCuts) {
    for (int c : {0x81, 0x9F, 0xE0, 0xFC})
        EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(c))) << c;
    for (int c : {0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0x5C})
        EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(c))) << c;

    const std::string text = "a\x83\x5C\xB1\x95\x5C"; // a ソ ｱ 表
    EXPECT_EQ(Cp932CutLength(text, 0), 0u);
    EXPECT_EQ(Cp932CutLength(text, 1), 1u);
    EXPECT_EQ(Cp932CutLength(text, 2), 1u); // would split ソ
    EXPECT_EQ(Cp932CutLength(text, 3), 3u);
    EXPECT_EQ(Cp932CutLength(text, 5), 4u);
    EXPECT_EQ(Cp932CutLength(text, 6), 6u);
    EXPECT_EQ(Cp932Cut(text, 100), text);
    // A trail byte that looks like a lead byte must not shift the walk: 表 is 95 5C, 能 94 5C.
    EXPECT_EQ(Cp932Cut("\x88\x9F\x88\x9F", 3), "\x88\x9F");

    // Character cuts count a double-byte character once; a lone lead byte at the end is kept.
    EXPECT_EQ(Cp932CutChars(text, 0), "");
    EXPECT_EQ(Cp932CutChars(text, 2), "a\x83\x5C");
    EXPECT_EQ(Cp932CutChars(text, 3), "a\x83\x5C\xB1");
    EXPECT_EQ(Cp932CutChars(text, 4), text);
    EXPECT_EQ(Cp932CutChars("ab\x83", 3), "ab\x83");
}

TEST(Cp932, Utf16ForTheWideDatabaseCalls) {
    // ソ 表 能 with their 0x5C trail bytes, a quote and a backslash.
    EXPECT_EQ(Cp932ToUtf16("\x83\x5C'\x95\x5C\\\x94\x5C"), u"ソ'表\\能");
    EXPECT_EQ(Utf16ToCp932(u"ソ'表\\能"), "\x83\x5C'\x95\x5C\\\x94\x5C");
    // A pair of lead and trail byte that is no character stays one '?': its 0x5C never becomes
    // a backslash of its own.
    EXPECT_EQ(Cp932ToUtf16("\x85\x5C'"), u"?'");
    EXPECT_EQ(Cp932ToUtf16("\x81'"), u"?'");
    // Outside the basic plane (a surrogate pair) and lone surrogates: one '?' each.
    EXPECT_EQ(Utf16ToCp932(u"a😀b"), "a?b");
    EXPECT_EQ(Utf16ToCp932(std::u16string(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00)),
              "x?y?");
    EXPECT_EQ(Cp932ToUtf16(""), u"");
}
