#pragma once
// A line channel over a connected local stream socket, shared by the CAT service layer and the
// simulated terminal. Lines are ASCII words separated by blanks and end in '\n'. The channel
// owns the socket and closes it when it goes.
#include <string>
#include <vector>

class CatWire {
public:
    CatWire() = default;
    explicit CatWire(int fd) : m_fd(fd) {}
    ~CatWire();
    CatWire(const CatWire&) = delete;
    CatWire& operator=(const CatWire&) = delete;

    // Connects to the socket at `path`; false when nothing listens there.
    bool Connect(const std::string& path);
    void Reset(); // closes the socket
    bool Connected() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // Sends one line (the '\n' is added). False when the peer is gone (the channel closes).
    bool Send(const std::string& line);
    // Next whole line without its '\n'. Waits up to `waitMs` (-1: forever, 0: only what is
    // already there). False when no line came in time or the peer is gone (then !Connected()).
    bool ReadLine(std::string& line, int waitMs);
    // Reads what the socket holds without waiting; false when the peer closed.
    bool Fill();
    bool HasLine() const;
    bool TakeLine(std::string& line);

    // The blank-separated words of a line.
    static std::vector<std::string> Words(const std::string& line);

    // Path of the socket of the terminal attached at `port` inside `folder` (ends with '/').
    static std::string SocketPath(const std::string& folder, const std::string& port);
    // $XDG_RUNTIME_DIR, else /tmp, with a trailing '/'.
    static std::string DefaultFolder();

private:
    int m_fd = -1;
    std::string m_in;
};
