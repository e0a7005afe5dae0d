#include "FolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

FolderWatch::FolderWatch() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::Watch(const std::string& folder) {
    if (m_fd < 0)
        return false;
    if (m_wd >= 0 && folder == m_folder)
        return true;
    if (m_wd >= 0)
        inotify_rm_watch(m_fd, m_wd);
    m_wd = -1;
    m_folder.clear();
    const std::string path = folder.empty() ? std::string(".") : folder;
    const int wd = inotify_add_watch(m_fd, path.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR);
    if (wd < 0)
        return false;
    m_wd = wd;
    m_folder = folder;
    return true;
}

bool FolderWatch::Drain() {
    if (m_fd < 0)
        return false;
    bool landed = false;
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
            if (ev->mask & (IN_CLOSE_WRITE | IN_MOVED_TO))
                landed = true;
            if (ev->mask & IN_IGNORED && ev->wd == m_wd) {
                // The folder itself went away: the next Watch sets it up again.
                m_wd = -1;
                m_folder.clear();
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
    return landed;
}

} // namespace platform
