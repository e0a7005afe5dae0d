#pragma once
// One process per name: a file lock in the runtime folder named after the mutex name. A crashed
// process releases its lock with its file descriptor.
#include <string>

namespace platform {

class SingleInstance {
public:
    explicit SingleInstance(std::string mutexName);
    ~SingleInstance(); // releases the lock when held
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this object now holds the lock; false when another process (or another object)
    // holds it, or the lock file cannot be opened.
    bool Acquire();
    void Release();
    bool Held() const { return m_fd >= 0; }

    // Folder of the lock files and activation sockets ($XDG_RUNTIME_DIR, else /tmp), with '/'.
    static std::string RuntimeFolder();
    // Path of a socket or lock file made from a name (unsafe characters replaced).
    static std::string RuntimePath(const std::string& name, const std::string& suffix);

private:
    std::string m_name;
    int m_fd = -1;
};

} // namespace platform
