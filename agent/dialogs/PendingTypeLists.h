#pragma once
// The seven parallel "PENDING_APPOINTMENTS" lists as the booking settings dialog stores them,
// one entry per listed appointment type in list order. Read back through PendingSettings (the
// reader the standby and change-request exchanges use), so what is written here is what they
// read:
//   TYPE       type code
//   CHANGE_OK  "1" when the type's box is checked, else "0"
//   TYPETIME   minutes, "%d"
//   TYPEUNIT   unit mode: the unit slots with ',' turned into '_'; doctor mode: designated unit
//   TYPEDOCTOR doctor mode: the doctor slots with ',' turned into '_'; unit mode: designated doctor
//   TYPEDAY    "<days before>-<days after>"
//   NAME       display name
// Any ',' inside an entry is written as '_' (the reader turns it back), so the lists always
// line up with TYPE.
#include <string>

#include "agent/dialogs/BookingMode.h"
#include "agent/dialogs/CTypeSetting.h"

struct PendingTypeLists {
    std::string type, changeOk, typeTime, typeUnit, typeDoctor, typeDay, name;

    // Appends one type's entries.
    void Append(const CTypeSetting& record, bool checked, BookingMode mode);
    // Writes the seven keys to the profile file; false when one could not be written.
    bool Write() const;

private:
    int m_count = 0;
};
