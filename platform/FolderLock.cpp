#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

FolderLock::FolderLock(const std::string& folder)
    : m_fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd >= 0)
        flock(m_fd, LOCK_EX);
}

FolderLock::~FolderLock() {
    if (m_fd >= 0)
        close(m_fd); // releases the lock
}

} // namespace platform
