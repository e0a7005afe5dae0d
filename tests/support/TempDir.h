#pragma once
// A temporary folder for one test, removed with everything in it when the object goes.
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Folder path, ending with '/'.
    const std::string& Path() const { return m_path; }
    // Path of a file or folder inside the temporary folder.
    std::string File(const std::string& name) const { return m_path + name; }

    // Writes bytes to a file inside the folder (parents created); returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // Reads a whole file; empty when it cannot be read.
    static std::string Read(const std::string& path);

private:
    std::string m_path;
};
