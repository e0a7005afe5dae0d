#pragma once
// The appointment-type part of the booking settings dialog without any window: the type list
// (appointment-type categories with their "changeable" boxes), one CTypeSetting record per type
// that has settings, the hidden-types text of "COMMON"/"HIDDEN_APPOTYPES" and the booking mode.
// The window shows one type at a time in its editing controls: Show() fills them from the
// record, Collect() stores them back (adding a record when the type has none).
#include <map>
#include <string>
#include <vector>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/CTypeSetting.h"
#include "agent/dialogs/PendingTypeLists.h"

class CPelmoDBSys;
class PendingSettings;

// One line of the type list.
struct TypeListEntry {
    std::string code;
    std::string name; // the category's own name
    bool checked = false;
};

// What the editing controls of one type hold, for the current booking mode.
struct TypeEdit {
    std::string slotCodes;  // comma-separated codes: units in unit mode, doctors in doctor mode
    std::string designated; // doctor code in unit mode, unit code in doctor mode
    int minutes = 0;
    int daysBefore = 0;
    int daysAfter = 0;
    std::string displayName;
    bool hidden = false; // not shown in the patient-card app
};

class TypeSettingsModel {
public:
    // Records of every TYPE entry of the stored lists (a later repeat of a code is ignored) and
    // the hidden-types text. Unit slots and designated unit both come from the TYPEUNIT entry,
    // doctor slots and designated doctor from TYPEDOCTOR; a missing TYPETIME or TYPEDAY entry
    // is 0.
    void Load(const PendingSettings& stored, const std::string& hiddenText);

    // The type list: categories of kind "0" in key order. A type is checked when the stored
    // lists call it changeable; a type marked unused ("__") is listed only then. 0, or the
    // library's status when the table could not be read (the list then holds what was read).
    int LoadTypeList(CPelmoDBSys& sys, const PendingSettings& stored);
    void SetEntries(std::vector<TypeListEntry> entries) { m_entries = std::move(entries); }
    const std::vector<TypeListEntry>& Entries() const { return m_entries; }
    // REQUIRES: index < Entries().size().
    void SetChecked(std::size_t index, bool checked) { m_entries[index].checked = checked; }
    // Index of the type's line, -1 when it is not listed.
    int IndexOf(const std::string& code) const;

    BookingMode Mode() const { return m_mode; }
    void SetMode(BookingMode mode) { m_mode = mode; }

    // The record of a type, null when it has none.
    const CTypeSetting* Find(const std::string& code) const;
    // The controls' values for a type in the current mode (defaults when it has no record).
    TypeEdit Show(const std::string& code) const;
    // Stores the controls' values into the type's record (added when missing): the slots and
    // the designated resource of the current mode, minutes, days, the display name with ','
    // turned into '.'; then the hidden-types token "[code]" is appended when `hidden` and absent,
    // removed when present and not `hidden`.
    void Collect(const std::string& code, const TypeEdit& edit);

    // The warning appended to a checked entry (CP932, starting with a blank); "" when none.
    std::string Warning(std::size_t index) const;

    // True when the hidden-types text holds the type's token.
    bool HiddenToken(const std::string& code) const;
    const std::string& HiddenText() const { return m_hidden; }

    // The seven lists over all list entries in list order.
    PendingTypeLists Lists() const;

private:
    CTypeSetting Record(const std::string& code) const;

    std::vector<TypeListEntry> m_entries;
    std::map<std::string, CTypeSetting> m_records;
    std::string m_hidden;
    BookingMode m_mode = kUnitMode;
};
