#pragma once
// The entry files one cycle works on: full paths, per kind, in the order the folder listing gave
// them. Filled by ScanEntryFolder before the web connection is opened; files that arrive later
// wait for the next cycle.
#include <string>
#include <vector>

struct EntryLists {
    std::vector<std::string> reservations; // *.txt
    std::vector<std::string> sales;        // *.sale
    std::vector<std::string> memos;        // *.memo
    std::vector<std::string> notices;      // *.notice
    std::vector<std::string> patients;     // *.pat

    size_t Total() const {
        return reservations.size() + sales.size() + memos.size() + notices.size() + patients.size();
    }
};
