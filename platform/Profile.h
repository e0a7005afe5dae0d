#pragma once
// Private-profile (ini) files as the programs rely on them. Files are CP932 bytes; nothing is
// converted. Sections and keys match case-insensitively, the first match wins, values are
// trimmed of surrounding blanks and of one pair of surrounding quotes.
#include <cstddef>
#include <string>

namespace platform {

// Reads [section] key. Returns `def` when the file, section or key is missing. The result is cut
// to bufSize - 1 bytes (the caller's buffer size, terminator included) without splitting a
// double-byte character.
std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& def,
                             std::size_t bufSize = 260);

// Reads [section] key as the leading decimal number of the value (optional sign; 0 when the value
// has none). `def` only when the key is missing.
int GetProfileInt(const std::string& file, const std::string& section, const std::string& key,
                  int def);

// Writes [section] key=value, keeping every other line, comment and the order of the file, and
// creating the file (not its folder) when missing. The file is replaced atomically (temporary
// file + rename) so a concurrent reader sees either the old or the new file. Returns false when
// the file cannot be written.
bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes one key (other keys of the section stay). Returns false on a write failure.
bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key);

// Removes a whole section with its keys. Returns false on a write failure.
bool DeleteProfileSection(const std::string& file, const std::string& section);

} // namespace platform
