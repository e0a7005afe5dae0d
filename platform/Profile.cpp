#include "platform/Profile.h"

#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/FolderLock.h"

#include <climits>
#include <optional>
#include <vector>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Position of the first single-byte `c` that is not the trail byte of a double-byte character
// (']' and '\' can be trail bytes in CP932).
std::size_t FindChar(std::string_view s, char c) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == c)
            return i;
        if (IsLeadByte(static_cast<unsigned char>(s[i])))
            ++i;
    }
    return std::string_view::npos;
}

// The section name when the line is a section header.
std::optional<std::string_view> SectionOf(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = FindChar(line, ']');
    return Trim(close == std::string_view::npos ? line : line.substr(0, close));
}

// Key and raw value when the line is a key line.
bool KeyOf(std::string_view line, std::string_view& key, std::string_view& value) {
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[')
        return false;
    std::size_t eq = FindChar(line, '=');
    if (eq == std::string_view::npos)
        return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        std::size_t stop = end == std::string::npos ? bytes.size() : end;
        std::string line = bytes.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::optional<std::string> Lookup(const std::string& file, const std::string& section,
                                  const std::string& key) {
    std::string bytes;
    if (!ReadFile(file, bytes))
        return std::nullopt;
    std::string_view want = Trim(section);
    std::string_view wantKey = Trim(key);
    bool inSection = false;
    for (const std::string& line : SplitLines(bytes)) {
        if (auto name = SectionOf(line)) {
            if (inSection)
                return std::nullopt; // first matching section only
            inSection = SameCp932Name(*name, want);
            continue;
        }
        std::string_view k, v;
        if (inSection && KeyOf(line, k, v) && SameCp932Name(k, wantKey))
            return std::string(Unquote(v));
    }
    return std::nullopt;
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

// The folder whose lock serialises the read-modify-write of the profile files in it, so two
// writers never lose each other's keys.
std::string FolderOf(const std::string& file) {
    std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash + 1);
}

// Loads the lines of an existing file; an existing but unreadable file is a failure so it is
// never replaced by a nearly empty one.
bool LoadForWrite(const std::string& file, std::vector<std::string>& lines, bool& existed) {
    existed = FileExists(file);
    std::string bytes;
    if (existed && !ReadFile(file, bytes))
        return false;
    lines = SplitLines(bytes);
    return true;
}

// Index range [begin, end) of the first matching section's body; begin - 1 is its header.
bool FindSection(const std::vector<std::string>& lines, std::string_view section,
                 std::size_t& begin, std::size_t& end) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionOf(lines[i]);
        if (!name || !SameCp932Name(*name, section))
            continue;
        begin = i + 1;
        end = begin;
        while (end < lines.size() && !SectionOf(lines[end]))
            ++end;
        return true;
    }
    return false;
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, std::size_t begin,
                                   std::size_t end, std::string_view key) {
    for (std::size_t i = begin; i < end; ++i) {
        std::string_view k, v;
        if (KeyOf(lines[i], k, v) && SameCp932Name(k, key))
            return i;
    }
    return std::nullopt;
}

} // namespace

std::string GetProfileString(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& def, std::size_t bufSize) {
    std::optional<std::string> value = Lookup(file, section, key);
    const std::string& text = value ? *value : def;
    return Cp932Cut(text, bufSize == 0 ? 0 : bufSize - 1);
}

int GetProfileInt(const std::string& file, const std::string& section, const std::string& key,
                  int def) {
    std::optional<std::string> value = Lookup(file, section, key);
    if (!value)
        return def;
    std::string_view v = Trim(*value);
    bool negative = false;
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    long long number = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            break;
        number = number * 10 + (c - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            number = static_cast<long long>(INT_MAX) + 1; // saturate instead of overflowing
    }
    if (negative)
        number = -number;
    if (number > INT_MAX)
        number = INT_MAX;
    return static_cast<int>(number);
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string_view sec = Trim(section);
    std::string_view k = Trim(key);
    // A line break or '=' in a name, or a line break in the value, would write a different
    // file than the caller asked for.
    if (sec.empty() || k.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || FindChar(k, '=') != std::string_view::npos ||
        FindChar(sec, ']') != std::string_view::npos || k.front() == '[' || k.front() == ';')
        return false;
    FolderLock lock(FolderOf(file));
    std::vector<std::string> lines;
    bool existed = false;
    if (!LoadForWrite(file, lines, existed))
        return false;
    std::string entry = std::string(k) + "=" + value;
    std::size_t begin = 0, end = 0;
    if (!FindSection(lines, sec, begin, end)) {
        lines.push_back("[" + std::string(sec) + "]");
        lines.push_back(entry);
    } else if (auto at = FindKey(lines, begin, end, k)) {
        lines[*at] = entry;
    } else {
        // After the section's last non-blank line, so blank separators stay before the next one.
        std::size_t pos = end;
        while (pos > begin && Trim(lines[pos - 1]).empty())
            --pos;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(pos), entry);
    }
    return WriteFileAtomic(file, JoinLines(lines));
}

bool DeleteProfileKey(const std::string& file, const std::string& section, const std::string& key) {
    FolderLock lock(FolderOf(file));
    std::vector<std::string> lines;
    bool existed = false;
    if (!LoadForWrite(file, lines, existed))
        return false;
    std::size_t begin = 0, end = 0;
    if (!existed || !FindSection(lines, Trim(section), begin, end))
        return true;
    auto at = FindKey(lines, begin, end, Trim(key));
    if (!at)
        return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*at));
    return WriteFileAtomic(file, JoinLines(lines));
}

bool DeleteProfileSection(const std::string& file, const std::string& section) {
    FolderLock lock(FolderOf(file));
    std::vector<std::string> lines;
    bool existed = false;
    if (!LoadForWrite(file, lines, existed))
        return false;
    std::size_t begin = 0, end = 0;
    if (!existed || !FindSection(lines, Trim(section), begin, end))
        return true;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin - 1),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
    return WriteFileAtomic(file, JoinLines(lines));
}

} // namespace platform
