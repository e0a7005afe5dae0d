#include "DelayRelay.h"

#include <arpa/inet.h>
#include <chrono>
#include <deque>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Chunk {
    Clock::time_point due;
    std::string bytes;
};

int Connect(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd >= 0 && ::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

void NoDelay(int fd) {
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool SendAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

DelayRelay::DelayRelay(std::string targetHost, int targetPort, int addedRoundTripMs)
    : m_host(std::move(targetHost)), m_targetPort(targetPort), m_roundTripMs(addedRoundTripMs) {
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("the delay relay cannot listen");
    m_port = ntohs(addr.sin_port);
    m_acceptor = std::thread([this] { Accept(); });
}

DelayRelay::~DelayRelay() {
    m_stop = true;
    ::shutdown(m_listen, SHUT_RDWR);
    m_acceptor.join();
    ::close(m_listen);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (std::thread& link : m_links)
        link.join();
}

void DelayRelay::Accept() {
    while (!m_stop) {
        const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            break;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_links.emplace_back([this, client] { Carry(client); });
    }
}

void DelayRelay::Carry(int client) {
    const int server = Connect(m_host, m_targetPort);
    if (server < 0) {
        ::close(client);
        return;
    }
    NoDelay(client);
    NoDelay(server);
    // Half the added round trip each way; bytes keep their order within a direction.
    const auto oneWay = std::chrono::microseconds(m_roundTripMs * 500);
    const int fds[2] = {client, server};
    std::deque<Chunk> queues[2]; // [0]: client -> server, [1]: server -> client
    bool open[2] = {true, true};
    bool answered = true; // the server spoke since the client last did
    while (!m_stop && (open[0] || open[1] || !queues[0].empty() || !queues[1].empty())) {
        const auto now = Clock::now();
        // Waits to the microsecond: a wait cut to whole milliseconds spins through the last one
        // of every chunk and takes a core from the client and the server it measures.
        auto wait = std::chrono::microseconds(100000);
        for (auto& q : queues)
            if (!q.empty())
                wait =
                    std::min(wait, std::max(std::chrono::microseconds(0),
                                            std::chrono::duration_cast<std::chrono::microseconds>(
                                                q.front().due - now)));
        pollfd p[2] = {{client, static_cast<short>(open[0] ? POLLIN : 0), 0},
                       {server, static_cast<short>(open[1] ? POLLIN : 0), 0}};
        const timespec timeout{static_cast<time_t>(wait.count() / 1000000),
                               static_cast<long>(wait.count() % 1000000) * 1000};
        ::ppoll(p, 2, &timeout, nullptr);
        for (int side = 0; side < 2; ++side) {
            if (!open[side] || !(p[side].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buf[65536];
            const ssize_t n = ::recv(fds[side], buf, sizeof buf, 0);
            if (n <= 0)
                open[side] = false;
            else {
                queues[side].push_back({Clock::now() + oneWay, std::string(buf, n)});
                if (side == 1) {
                    answered = true;
                } else {
                    ++m_clientSends;
                    if (answered)
                        ++m_roundTrips;
                    answered = false;
                }
            }
        }
        const auto after = Clock::now();
        for (int side = 0; side < 2; ++side) {
            auto& q = queues[side];
            while (!q.empty() && q.front().due <= after) {
                if (!SendAll(fds[1 - side], q.front().bytes))
                    open[0] = open[1] = false;
                q.pop_front();
            }
            if (!open[side] && q.empty())
                ::shutdown(fds[1 - side], SHUT_WR); // pass the end on once all bytes went
        }
        if (!open[0] && !open[1]) {
            queues[0].clear();
            queues[1].clear();
        }
    }
    ::close(client);
    ::close(server);
}
