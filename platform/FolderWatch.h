#pragma once
// Tells when a file lands in one folder: written and closed, or moved in. Files still open for
// writing do not count, so a reader woken by it sees the whole file. Linux inotify underneath;
// the handle is a descriptor that a caller's event loop can wait on. One thread only.
#include <string>

namespace platform {

class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Watches `folder` instead of the folder watched so far (nothing when it is the same).
    // False when it cannot be watched (missing, for example): nothing is watched then, and a
    // later call may succeed.
    bool Watch(const std::string& folder);
    // The folder as last passed to a successful Watch; empty when nothing is watched.
    const std::string& Folder() const { return m_folder; }

    // Readable when news is waiting; -1 when the watch could not be set up at all.
    int Handle() const { return m_fd; }
    // Reads the waiting news without blocking; true when a file landed since the last call.
    bool Drain();

private:
    int m_fd = -1;
    int m_wd = -1;
    std::string m_folder;
};

} // namespace platform
