#pragma once
// The first-visit booking pages of the settings dialog without any window: loading them from
// "FRIST_APPOINTMENTS", adding and deleting pages, and storing them all. The booking mode
// decides which fields UNIT_ID and UNIT_DOCTOR_ID fill: unit mode reads and writes the unit
// slots and the designated doctor, doctor mode the doctor slots and the designated unit.
#include <string>
#include <vector>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/CFirstAppoSetting.h"

class FirstVisitPageList {
public:
    // USE_RANGE and the pages (PAGE_NUM below 2: one page). Missing keys take their defaults.
    void Load(BookingMode mode);
    // USE_RANGE, PAGE_NUM and every key of every page. Keys of pages beyond the count stay in the
    // file (PAGE_NUM decides what is read). False when a key could not be written.
    bool Store(BookingMode mode) const;

    bool UseRange() const { return m_useRange; }
    void SetUseRange(bool useRange) { m_useRange = useRange; }

    int Count() const { return static_cast<int>(m_pages.size()); }
    // REQUIRES: 0 <= index < Count().
    CFirstAppoSetting& Page(int index) { return m_pages[static_cast<std::size_t>(index)]; }
    const CFirstAppoSetting& Page(int index) const {
        return m_pages[static_cast<std::size_t>(index)];
    }
    bool CanAdd() const;
    bool CanDelete() const { return Count() > 1; }
    // Appends a new page; its index, or -1 when there are nine already.
    int Add();
    // Removes the page; the index of the page to show then (the same position, or the last
    // page when the last was removed); -1 when it is the only page or no such page.
    int Delete(int index);

    // One page of the file (p counted from 0).
    static CFirstAppoSetting LoadPage(int p, BookingMode mode);
    static bool StorePage(int p, const CFirstAppoSetting& page, BookingMode mode);

    // "%04d" of a stored hours-and-minutes value split into its first two and last two
    // characters, as the file has always been read (930 is 9:30; 12345 gives 12 and 45).
    static void SplitHhmm(int value, int& hour, int& minute);
    // NOTE's line breaks: CR LF <-> "[$ENTER]".
    static std::string NoteToFile(const std::string& comment);
    static std::string NoteFromFile(const std::string& note);

private:
    bool m_useRange = true;
    std::vector<CFirstAppoSetting> m_pages;
};
