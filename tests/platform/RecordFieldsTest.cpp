#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/FormatNumbers.h"
#include "platform/RecordFields.h"

using platform::RecText;
using platform::SetRecText;

namespace {

// A field with a guard byte behind it, so a write past its end shows.
template <std::size_t N> struct Guarded {
    char field[N];
    char guard = '#';
};

// The field's bytes as stored by both writer forms (array and pointer + size), which must agree.
template <std::size_t N> std::string Stored(const std::string& text) {
    Guarded<N> a;
    std::memset(a.field, 'x', N); // old content that must not survive
    SetRecText(a.field, text);
    Guarded<N> p;
    std::memset(p.field, 'x', N);
    SetRecText(p.field, N, text);
    EXPECT_EQ(std::string(a.field, N), std::string(p.field, N)) << text;
    EXPECT_EQ(a.guard, '#');
    EXPECT_EQ(p.guard, '#');
    EXPECT_EQ(a.field[N - 1], '\0') << "no room left for the terminator";
    for (std::size_t i = std::strlen(a.field); i < N; ++i)
        EXPECT_EQ(a.field[i], '\0') << "byte " << i << " of " << text;
    return RecText(a.field);
}

} // namespace

TEST(RecordFields, CutNeverLeavesHalfACharacter) {
    // Four bytes of room in a five-byte field; "ab" + a two-byte character + one byte more.
    // Lead bytes at both ends of both lead ranges: the character does not fit and goes whole.
    for (unsigned char lead : {0x81, 0x9F, 0xE0, 0xFC}) {
        const std::string text = std::string("abc") + static_cast<char>(lead) + "\x40";
        EXPECT_EQ(Stored<5>(text), "abc") << std::hex << int(lead);
    }
    // Bytes just outside the lead ranges, and half-width kana, are characters of one byte.
    for (unsigned char single : {0x80, 0xA0, 0xA1, 0xDF, 0xFD}) {
        const std::string text = std::string("abc") + static_cast<char>(single) + "\x40";
        EXPECT_EQ(Stored<5>(text), text.substr(0, 4)) << std::hex << int(single);
    }
    // A character whose second byte is a backslash (ソ = 83 5C) is kept whole when it fits and
    // dropped whole when it does not.
    EXPECT_EQ(Stored<3>("\x83\x5C"), "\x83\x5C");
    EXPECT_EQ(Stored<3>("a\x83\x5C"), "a");
    // Only double-byte characters: an odd room drops the last one.
    EXPECT_EQ(Stored<6>("\x93\x8C\x8B\x9E\x95\x5C"), "\x93\x8C\x8B\x9E");
}

TEST(RecordFields, FitsEmptiesAndReads) {
    EXPECT_EQ(Stored<5>("abcd"), "abcd"); // exactly the room
    EXPECT_EQ(Stored<5>("abcde"), "abcd");
    EXPECT_EQ(Stored<5>(""), "");
    EXPECT_EQ(Stored<1>("a"), "");

    // A read stops at the first NUL, and at the field's end when there is none.
    Guarded<4> f;
    std::memcpy(f.field, "ab\0d", 4);
    EXPECT_EQ(RecText(f.field), "ab");
    std::memcpy(f.field, "abcd", 4);
    EXPECT_EQ(RecText(f.field), "abcd");
    EXPECT_EQ(RecText(f.field, 2), "ab");
}

TEST(FormatNumbers, FixedFormsAndLongResults) {
    EXPECT_EQ(platform::FormatNumbers("%04d%02d%02d", 2024, 1, 5), "20240105");
    EXPECT_EQ(platform::FormatNumbers("%02d:%02d", 9, 5), "09:05");
    // Longer than any fixed buffer: never cut.
    const std::string wide = platform::FormatNumbers("%070d|%d|%d", 7, -1, 2);
    EXPECT_EQ(wide, std::string(69, '0') + "7|-1|2");
}
