#include "agent/sync/cycle/ReadEntryLines.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

EntryReadResult ReadEntryLines(const std::string& path, std::vector<std::string>& lines,
                               std::string& error) {
    lines.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return EntryReadResult::Missing;
        error = std::strerror(errno);
        return EntryReadResult::Failed;
    }
    std::string bytes;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            ::close(fd);
            return EntryReadResult::Failed;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);

    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        std::string line =
            bytes.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        pos = end + 1;
    }
    return EntryReadResult::Read;
}
