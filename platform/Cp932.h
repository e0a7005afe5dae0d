#pragma once
// CP932 text helpers. Inside the programs a text is a std::string of CP932 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// True for a CP932 lead byte (0x81-0x9F, 0xE0-0xFC).
bool IsLeadByte(unsigned char c);

// Compares two names ignoring the case of ASCII letters only; double-byte characters compare
// exactly so a trail byte in the letter range is never folded.
bool SameCp932Name(std::string_view a, std::string_view b);

// CP932 -> UTF-8 through iconv "CP932". Bytes that do not convert (a lone trailing lead byte,
// invalid pairs) become '?' so the rest of the text survives.
std::string Cp932ToUtf8(std::string_view cp932);

// UTF-8 -> CP932. Characters CP932 cannot hold (and invalid UTF-8) become '?'.
std::string Utf8ToCp932(std::string_view utf8);

// CP932 -> UTF-16, with the replacements of Cp932ToUtf8: one '?' per character that does not
// convert, and a lead byte followed by a trail byte always counts as one character, so a 0x5C
// trail byte never comes out as a backslash.
std::u16string Cp932ToUtf16(std::string_view cp932);

// UTF-16 -> CP932, with the replacements of Utf8ToCp932; a lone surrogate becomes '?'.
std::string Utf16ToCp932(std::u16string_view utf16);

// Length of the longest prefix of at most maxBytes bytes that does not end inside a double-byte
// character.
std::size_t Cp932CutLength(std::string_view text, std::size_t maxBytes);

// The text cut to at most maxBytes bytes without splitting a double-byte character.
std::string Cp932Cut(std::string_view text, std::size_t maxBytes);

// The text cut to at most maxChars characters (a double-byte character counts as one, as in a
// VARCHAR column of a cp932 table or an edit box's limit).
std::string Cp932CutChars(std::string_view text, std::size_t maxChars);

// A CP932 text from a UTF-8 literal of the source code: J("予約確定"). Every Japanese constant
// of the programs (captions, messages, statement texts) is written this way.
std::string J(std::string_view utf8);

} // namespace platform
