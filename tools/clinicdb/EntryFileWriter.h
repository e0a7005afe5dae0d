#pragma once
// Writes entry files for the web linkage: CP932 bytes as given, lines ended by CR LF. A file
// is written under a temporary name outside the entry masks and then renamed into place
// without replacing anything, so a reader never sees half a file and two writers never
// overwrite each other.
#include <string>
#include <vector>

class EntryFileWriter {
public:
    // Lines joined and each ended with CR LF.
    static std::string Lines(const std::vector<std::string>& lines);

    // Writes content as a new file "<time>_<pid>_<n><extension>" in folder (created when
    // missing). True with path set; false with err set.
    static bool WriteUnique(const std::string& folder, const std::string& extension,
                            const std::string& content, std::string& path, std::string& err);

    // Writes content as folder + name unless that file exists (existed is then true and the
    // file is left alone). True when the file is in place afterwards.
    static bool WriteNamed(const std::string& folder, const std::string& name,
                           const std::string& content, bool& existed, std::string& err);
};
