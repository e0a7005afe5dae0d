#pragma once
// The web-database user name and password are kept in "Apposync.ini" enciphered: AES-128-ECB with
// PKCS#5 padding under a key derived from a fixed pass phrase, written as hexadecimal text.
#include <string>

// Hexadecimal text -> plain text. Digits and a-f/A-F only; at most 2047 digits are taken (longer
// values are cut), and an odd digit count makes the last digit a byte of its own. The plain text
// ends at its first zero byte. Empty text, non-hex characters, a byte count that is not a
// multiple of 16 and bad padding all give an empty result.
std::string DecipherCredential(const std::string& hexText);

// Plain text -> upper-case hexadecimal text, 32 digits per 16-byte block, readable by
// DecipherCredential. For installers that store USER and PASS; an empty text gives one block of
// padding. Empty result only when the cipher library fails.
std::string EncipherCredential(const std::string& plain);
