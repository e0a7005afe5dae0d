#pragma once
// The entry files one cycle works on: full paths, per kind, in the order the folder listing gave
// them. Filled by ScanEntryFolder before the web connection is opened; files that arrive later
// wait for the next cycle.
#include <array>
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

// The file masks of the entry folder with the list each fills, in the order the scan lists them.
struct EntryKind {
    const char* mask;
    std::vector<std::string> EntryLists::*list;
};
inline constexpr std::array<EntryKind, 5> kEntryKinds{{
    {"*.txt", &EntryLists::reservations},
    {"*.sale", &EntryLists::sales},
    {"*.memo", &EntryLists::memos},
    {"*.notice", &EntryLists::notices},
    {"*.pat", &EntryLists::patients},
}};
