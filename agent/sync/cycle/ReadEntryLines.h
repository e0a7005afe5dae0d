#pragma once
// Reading an entry file: CP932 text, lines ended by CR LF or a bare LF.
#include <string>
#include <vector>

enum class EntryReadResult {
    Read,    // lines holds the file's lines, without their line ends
    Missing, // the file is gone (another program took it); nothing to do
    Failed,  // it exists but cannot be read (error holds why); keep it for a later try
};

// Lines of the file: a final line without a line end counts, an empty remainder after the last
// line end does not.
EntryReadResult ReadEntryLines(const std::string& path, std::vector<std::string>& lines,
                               std::string& error);
