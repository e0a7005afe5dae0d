#pragma once
// File helpers standing in for the desktop platform's file API. Paths use '/'.
#include <ctime>
#include <string>
#include <vector>

namespace platform {

struct FoundFile {
    std::string name;    // file name only
    bool hidden = false; // name starts with '.'
    bool system = false; // not a regular file (socket, device, fifo, ...)
};

// Files (never folders) in `folder` whose names match `mask` ('*' and '?' wildcards,
// case-insensitive as on the desktop platform), in the order the file system returns them.
// A missing folder gives an empty list.
std::vector<FoundFile> FindFiles(const std::string& folder, const std::string& mask);

bool FileExists(const std::string& path); // any non-folder entry
bool FolderExists(const std::string& path);

// Renames without ever replacing an existing target; false when the target exists or the rename
// fails.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Deletes a file; false when it could not be deleted (missing counts as failure).
bool RemoveFile(const std::string& path);

// Creates the folder and every missing parent; true when it exists afterwards.
bool MakeDirs(const std::string& path);

// Copies a file, replacing the target when `overwrite`; the target is written to a temporary file
// in the same folder and renamed so it is never half-written.
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);

// Last modification time; 1971-01-01 00:00:00 local time when the path is empty or unreadable.
std::time_t ModificationTime(const std::string& path);

// Whole file as bytes; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes);

// Writes the whole file atomically (temporary file in the same folder + rename). A reader never
// meets half a file either way; durable also waits until the bytes are on disk before the rename,
// so that a power cut leaves the old or the new file. Without it a crash may leave an empty
// file: only for files that are rewritten soon anyway and may be lost (a status report).
bool WriteFileAtomic(const std::string& path, const std::string& bytes, bool durable = true);

} // namespace platform
