#pragma once
// An exclusive lock on a folder, held across processes until the object goes. It serialises
// read-modify-write of the files in the folder; those files are replaced by rename, so readers
// need no lock. A folder that cannot be opened is not locked.
#include <string>

namespace platform {

class FolderLock {
public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace platform
