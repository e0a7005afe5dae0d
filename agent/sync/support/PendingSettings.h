#pragma once
// The standby-list settings of "PENDING_APPOINTMENTS" (and "COMMON"/"HIDDEN_APPOTYPES"), read
// fresh for each exchange run. The per-type lists run parallel to TYPE; any of them may be
// shorter than TYPE (a hand-edited file), so every per-type read checks the position: a missing
// TYPETIME or TYPEDAY entry counts as 0, a missing TYPEUNIT or TYPEDOCTOR entry as empty.
#include <string>

#include "agent/core/CommaList.h"

class ClinicSettings;

class PendingSettings {
public:
    static PendingSettings Read(const ClinicSettings& settings);

    // The TYPE list; entry i of every other list belongs to its entry i.
    const CommaList& Types() const { return m_type; }
    // CHANGE_OK entry i is missing or exactly "1".
    bool Changeable(int i) const;
    // Position of the type in TYPE when the type's units, doctors, length and period may be
    // used (CHANGE_OK has no entry there, or the entry is "1"); -1 otherwise.
    int AllowedIndex(const std::string& type) const;
    // TYPETIME entry i as a number (its leading digits); 0 when missing or not a number.
    int TypeTime(int i) const;
    // TYPEUNIT / TYPEDOCTOR entry i with underscores turned into commas; "" when missing.
    std::string TypeUnits(int i) const;
    std::string TypeDoctors(int i) const;
    // TYPEDAY entry i "a-b": days before and after; both 0 when missing or without a hyphen.
    void TypeDays(int i, int& before, int& after) const;
    // NAME entry i (the name shown instead of the type's own); "" when missing.
    std::string Name(int i) const;
    // HIDDEN_APPOTYPES holds the type code anywhere in its text (a plain text search, as the
    // published type list also does it, so both hide the same types).
    bool Hidden(const std::string& type) const;
    // "PENDING_APPOINTMENTS"/"TIME": the length when no other is known.
    int DefaultTime() const { return m_time; }

private:
    CommaList m_type, m_changeOk, m_typeTime, m_typeUnit, m_typeDoctor, m_typeDay, m_name;
    std::string m_hidden;
    int m_time = 60;
};
