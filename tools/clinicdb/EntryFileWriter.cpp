#include "EntryFileWriter.h"

#include "platform/ClinicZone.h"
#include "platform/FileOps.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <unistd.h>

namespace {
std::atomic<unsigned> g_sequence{0};

bool WriteTemp(const std::string& path, const std::string& content, std::string& err) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        err = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

// Places temp at target without replacing; the temporary file is gone afterwards either way.
bool Place(const std::string& temp, const std::string& target) {
    bool placed = platform::RenameNoReplace(temp, target);
    if (!placed)
        std::remove(temp.c_str());
    return placed;
}
} // namespace

std::string EntryFileWriter::Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\r\n";
    return out;
}

bool EntryFileWriter::WriteUnique(const std::string& folder, const std::string& extension,
                                  const std::string& content, std::string& path, std::string& err) {
    if (!platform::MakeDirs(folder)) {
        err = "cannot create the entry folder " + folder;
        return false;
    }
    const std::tm tm = platform::ToClinicTime(std::time(nullptr));
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M%S", &tm);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = std::string(stamp) + "_" + std::to_string(getpid()) + "_" +
                           std::to_string(g_sequence++) + extension;
        std::string temp = folder + "." + name + ".part";
        if (!WriteTemp(temp, content, err))
            return false;
        if (Place(temp, folder + name)) {
            path = folder + name;
            return true;
        }
        if (!platform::FileExists(folder + name)) {
            err = "cannot rename into " + folder + name;
            return false;
        }
    }
    err = "no free entry file name in " + folder;
    return false;
}

bool EntryFileWriter::WriteNamed(const std::string& folder, const std::string& name,
                                 const std::string& content, bool& existed, std::string& err) {
    existed = false;
    if (!platform::MakeDirs(folder)) {
        err = "cannot create the entry folder " + folder;
        return false;
    }
    if (platform::FileExists(folder + name)) {
        existed = true;
        return true;
    }
    std::string temp = folder + "." + name + "." + std::to_string(getpid()) + "_" +
                       std::to_string(g_sequence++) + ".part";
    if (!WriteTemp(temp, content, err))
        return false;
    if (!Place(temp, folder + name)) {
        if (platform::FileExists(folder + name)) {
            existed = true;
            return true;
        }
        err = "cannot rename into " + folder + name;
        return false;
    }
    return true;
}
