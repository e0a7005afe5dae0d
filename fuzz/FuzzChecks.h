#pragma once
// The parsers that take outside input, each run on arbitrary bytes with the properties it must
// keep. The fuzz targets of this folder call these; the regression test runs the inputs kept in
// tests/data/fuzz/<target>/ through them in the ordinary build. A check returns an empty text
// when every property held, else what broke; crashes and sanitizer reports are findings too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FuzzTarget {
    const char* name; // folder name under tests/data/fuzz
    std::string (*check)(const std::uint8_t* data, std::size_t size); // empty: no finding
};

// entry_file, payment_request, profile, fixed_times, credentials, sql_literal.
const std::vector<FuzzTarget>& FuzzTargets();

// Entry files as the practice software drops them: lines, key lines of every kind.
std::string CheckEntryFile(const std::uint8_t* data, std::size_t size);
// Payment request files and answer files: shown texts, the amount rules, the appended result.
std::string CheckPaymentRequest(const std::uint8_t* data, std::size_t size);
// Profile (ini) files: reads, and a write that must read back.
std::string CheckProfile(const std::uint8_t* data, std::size_t size);
// First-visit fixed start times as the staff type them.
std::string CheckFixedTimes(const std::uint8_t* data, std::size_t size);
// Stored credentials: deciphering any text, and enciphering round trips.
std::string CheckCredentials(const std::uint8_t* data, std::size_t size);
// SQL literals: a text literal never ends before its last byte, neither for a server reading
// CP932 nor for one reading the UTF-8 the driver is given; the date and time literals are NULL
// or quoted digits.
std::string CheckSqlLiteral(const std::uint8_t* data, std::size_t size);
