#include "CatWire.h"

#include <sstream>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// A line longer than this is garbage from a wrong peer: drop the connection rather than grow.
constexpr std::size_t kMaxLine = 64 * 1024;
} // namespace

CatWire::~CatWire() {
    Reset();
}

void CatWire::Reset() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_in.clear();
}

bool CatWire::Connect(const std::string& path) {
    Reset();
    sockaddr_un addr{};
    if (path.size() >= sizeof(addr.sun_path))
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool CatWire::Send(const std::string& line) {
    if (m_fd < 0)
        return false;
    std::string out = line + "\n";
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n = ::send(m_fd, out.data() + done, out.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Reset();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CatWire::Fill() {
    if (m_fd < 0)
        return false;
    for (;;) {
        char buf[4096];
        ssize_t n = ::recv(m_fd, buf, sizeof(buf), MSG_DONTWAIT);
        if (n > 0) {
            m_in.append(buf, static_cast<std::size_t>(n));
            if (m_in.size() > kMaxLine && m_in.find('\n') == std::string::npos) {
                Reset();
                return false;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        // 0: orderly close; other errors: the peer is gone. Keep whole lines already read.
        std::string keep = m_in;
        Reset();
        m_in = keep;
        return false;
    }
}

bool CatWire::HasLine() const {
    return m_in.find('\n') != std::string::npos;
}

bool CatWire::TakeLine(std::string& line) {
    std::size_t nl = m_in.find('\n');
    if (nl == std::string::npos)
        return false;
    line = m_in.substr(0, nl);
    m_in.erase(0, nl + 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool CatWire::ReadLine(std::string& line, int waitMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs < 0 ? 0 : waitMs);
    for (;;) {
        if (TakeLine(line))
            return true;
        if (m_fd < 0)
            return false;
        int timeout = -1;
        if (waitMs >= 0) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            timeout = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd p{m_fd, POLLIN, 0};
        int r = ::poll(&p, 1, timeout);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return TakeLine(line);
        Fill();
    }
}

std::string CatWire::SocketPath(const std::string& folder, const std::string& port) {
    std::string safe;
    for (char c : port) {
        unsigned char u = static_cast<unsigned char>(c);
        bool ok = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                  u == '-' || u == '_' || u == '.';
        safe += ok ? c : '_';
    }
    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + "catsim-" + safe + ".sock";
}

std::string CatWire::DefaultFolder() {
    const char* run = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = (run && *run) ? run : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

std::vector<std::string> CatWire::Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}
