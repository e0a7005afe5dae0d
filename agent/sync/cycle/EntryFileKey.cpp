#include "agent/sync/cycle/EntryFileKey.h"

#include <vector>

#include "agent/sync/cycle/ReadEntryLines.h"
#include "platform/Cp932.h"

namespace {

constexpr std::size_t kMaxKeyBytes = 64;

bool EndsWith(const std::string& s, const char* tail) {
    const std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

} // namespace

std::string EntryFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string EntryFileStem(const std::string& path) {
    std::string name = EntryFileName(path);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

std::string EntryFileKey(const std::string& path) {
    const std::string name = EntryFileName(path);
    if (EndsWith(name, ".pat"))
        return EntryFileStem(path);
    std::vector<std::string> lines;
    std::string error;
    if (ReadEntryLines(path, lines, error) != EntryReadResult::Read)
        return {};
    auto line = [&lines](std::size_t i) {
        return i < lines.size() ? platform::Cp932Cut(lines[i], kMaxKeyBytes) : std::string();
    };
    if (EndsWith(name, ".notice"))
        return line(0);
    if (EndsWith(name, ".memo")) {
        const std::string memo = line(2);
        return memo.empty() ? line(1) : line(1) + " " + memo;
    }
    return line(1); // reservation and payment files
}
