#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

SingleInstance::SingleInstance(std::string mutexName) : m_name(std::move(mutexName)) {}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire() {
    if (m_fd >= 0)
        return true;
    int fd = open(RuntimePath(m_name, ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void SingleInstance::Release() {
    if (m_fd < 0)
        return;
    // The file stays: removing it would let a third process lock a new file while a second
    // one still waits on the old one.
    close(m_fd);
    m_fd = -1;
}

std::string SingleInstance::RuntimeFolder() {
    struct stat st {};
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR");
        dir && *dir && stat(dir, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string folder = dir;
        if (folder.back() != '/')
            folder.push_back('/');
        return folder;
    }
    return "/tmp/";
}

std::string SingleInstance::RuntimePath(const std::string& name, const std::string& suffix) {
    // Unsafe characters become '_'; a hash of the original name keeps names that differ only in
    // those characters apart. The length stays well inside the socket path limit.
    std::string safe;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
        safe.push_back(ok ? c : '_');
        if (safe.size() >= 40)
            break;
    }
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    char hex[9];
    static const char digits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i) {
        hex[i] = digits[hash & 0xF];
        hash >>= 4;
    }
    hex[8] = '\0';
    std::string folder = RuntimeFolder();
    // /tmp is shared by every user; the user id keeps one user's lock from blocking another's.
    std::string user = folder == "/tmp/" ? std::to_string(getuid()) + "-" : std::string();
    return folder + "corvane-" + user + safe + "-" + hex + suffix;
}

} // namespace platform
