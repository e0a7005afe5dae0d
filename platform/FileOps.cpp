#include "platform/FileOps.h"

#include "platform/ClinicZone.h"
#include "platform/Cp932.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

unsigned char Fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

// Width in bytes of the character at `i` (a lone lead byte at the end counts as one).
std::size_t CharWidth(const std::string& s, std::size_t i) {
    return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

bool SameChar(const std::string& a, std::size_t i, std::size_t wa, const std::string& b,
              std::size_t j, std::size_t wb) {
    if (wa != wb)
        return false;
    if (wa == 1)
        return Fold(static_cast<unsigned char>(a[i])) == Fold(static_cast<unsigned char>(b[j]));
    return a.compare(i, 2, b, j, 2) == 0; // double-byte characters compare exactly
}

// Wildcard match by characters, so '?' takes a whole double-byte character and the trail byte
// of one is never folded or matched on its own.
bool MaskMatch(const std::string& mask, std::size_t m, const std::string& name, std::size_t n) {
    while (m < mask.size()) {
        if (mask[m] == '*') {
            while (m < mask.size() && mask[m] == '*')
                ++m;
            if (m == mask.size())
                return true;
            for (std::size_t k = n; k <= name.size();
                 k += (k < name.size() ? CharWidth(name, k) : 1)) {
                if (MaskMatch(mask, m, name, k))
                    return true;
            }
            return false;
        }
        if (n >= name.size())
            return false;
        std::size_t wm = CharWidth(mask, m);
        std::size_t wn = CharWidth(name, n);
        if (!(wm == 1 && mask[m] == '?') && !SameChar(mask, m, wm, name, n, wn))
            return false;
        m += wm;
        n += wn;
    }
    return n == name.size();
}

// Writes `bytes` to a fresh temporary file next to `path`; returns its name or "" on failure.
// `mode` is given to the new file.
std::string WriteTemp(const std::string& path, const std::string& bytes, mode_t mode,
                      bool durable = true) {
    // Hidden and with its own ending, so folder scans by mask do not pick it up.
    std::size_t slash = path.rfind('/');
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::string name = path.substr(0, base) + "." + path.substr(base) + ".tmpXXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    bool ok = fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok && durable && fsync(fd) != 0)
        ok = false;
    if (close(fd) != 0)
        ok = false;
    if (!ok) {
        unlink(name.c_str());
        return {};
    }
    return name;
}

mode_t ModeFor(const std::string& path, const std::string& modelPath) {
    struct stat st {};
    if (stat(modelPath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::vector<FoundFile> FindFiles(const std::string& folder, const std::string& mask) {
    std::vector<FoundFile> found;
    std::string dirPath = folder.empty() ? std::string(".") : folder;
    if (dirPath.back() != '/')
        dirPath.push_back('/');
    // "*.*" matches names without a dot too on the desktop platform.
    std::string pattern = (mask == "*.*" || mask.empty()) ? std::string("*") : mask;
    DIR* dir = opendir(dirPath.c_str());
    if (!dir)
        return found;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (!MaskMatch(pattern, 0, name, 0))
            continue;
        struct stat st {};
        if (stat((dirPath + name).c_str(), &st) != 0 && lstat((dirPath + name).c_str(), &st) != 0)
            continue; // vanished meanwhile
        if (S_ISDIR(st.st_mode))
            continue;
        FoundFile file;
        file.name = name;
        file.hidden = name[0] == '.';
        file.system = !S_ISREG(st.st_mode);
        found.push_back(std::move(file));
    }
    closedir(dir);
    return found;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: a hard link fails on an existing target too.
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

bool RemoveFile(const std::string& path) {
    return !path.empty() && unlink(path.c_str()) == 0;
}

bool MakeDirs(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return FolderExists(path);
}

bool CopyFile(const std::string& from, const std::string& to, bool overwrite) {
    std::string bytes;
    if (!ReadFile(from, bytes))
        return false;
    if (!overwrite && FileExists(to))
        return false;
    std::string temp = WriteTemp(to, bytes, ModeFor(to, from));
    if (temp.empty())
        return false;
    bool ok = overwrite ? std::rename(temp.c_str(), to.c_str()) == 0 : RenameNoReplace(temp, to);
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

std::time_t ModificationTime(const std::string& path) {
    struct stat st {};
    if (!path.empty() && stat(path.c_str(), &st) == 0)
        return st.st_mtime;
    std::tm fallback{};
    fallback.tm_year = 71;
    fallback.tm_mon = 0;
    fallback.tm_mday = 1;
    return FromClinicTime(fallback);
}

bool ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    if (!ok)
        bytes.clear();
    return ok;
}

bool WriteFileAtomic(const std::string& path, const std::string& bytes, bool durable) {
    if (path.empty() || FolderExists(path))
        return false;
    // Replace the file a symbolic link points to, not the link itself.
    std::string target = path;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* real = realpath(path.c_str(), nullptr);
        if (!real)
            return false;
        target = real;
        std::free(real);
    }
    std::string temp = WriteTemp(target, bytes, ModeFor(target, target), durable);
    if (temp.empty())
        return false;
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace platform
