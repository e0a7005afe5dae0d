#pragma once
// A TCP relay on loopback that holds every byte for a fixed time in each direction, so a bench
// can show what a distant database does to a figure: a client connects to Port() and talks to
// the target as if over a line with `addedRoundTripMs` more round-trip time. Runs on threads of
// its own until the object goes.
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class DelayRelay {
public:
    // Listens on 127.0.0.1 at a free port. Throws std::runtime_error when it cannot.
    DelayRelay(std::string targetHost, int targetPort, int addedRoundTripMs);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    int Port() const { return m_port; }
    int AddedRoundTripMs() const { return m_roundTripMs; }
    // What clients sent so far, over all links: every read of client bytes (about one write of
    // the client each), and the round trips among them: client bytes that follow an answer of
    // the server (or open a link), so a write that needs no answer before the next one adds a
    // send but no round trip.
    long ClientSends() const { return m_clientSends; }
    long RoundTrips() const { return m_roundTrips; }

private:
    void Accept();
    void Carry(int client);

    std::string m_host;
    int m_targetPort;
    int m_roundTripMs;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_clientSends{0};
    std::atomic<long> m_roundTrips{0};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<std::thread> m_links;
};
