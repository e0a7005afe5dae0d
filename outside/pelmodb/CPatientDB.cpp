#include "CPatientDB.h"

#include "CPatientDB2.h"

namespace {
TableSpec MakeSpec() {
    using R = tagPatient;
    TableSpec s;
    s.table = "patient";
    s.recordSize = sizeof(R);
    s.fields = {
        PELMO_FIELD(R, key, Text),
        PELMO_FIELD(R, displayNo, Text),
        PELMO_FIELD(R, secondNo, Text),
        PELMO_FIELD(R, name, Text),
        PELMO_FIELD(R, kana, Text),
        PELMO_FIELD(R, birthday, Text),
        PELMO_FIELD(R, tel, Text),
        PELMO_FIELD(R, comment, Text),
        PELMO_FIELD(R, deleted, Byte),
        PELMO_FIELD(R, webLastLogin, Text),
        PELMO_FIELD(R, lastFinishedDate, Text),
    };
    s.keys = {
        {0, "k0", {PELMO_SEGMENT(R, key)}},
        {1, "k1", {PELMO_SEGMENT(R, kana), PELMO_SEGMENT(R, key)}},
    };
    return s;
}
} // namespace

const TableSpec& CPatientDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CPatientDB::CPatientDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CPatientDB::GetPatient1Data(std::string_view key) {
    return GetByKey0(Key0Of(key));
}

int CPatientDB::GetPatientData(CPatientDB2* second, std::string_view key) {
    int rc = GetByKey0(Key0Of(key));
    if (second) {
        if (rc == PelmoStatus::kOk) {
            int rc2 = second->GetPatient2Data(key);
            if (rc2 != PelmoStatus::kOk && rc2 != PelmoStatus::kNotFound) {
                m_lastErr = second->GetLastDBErr();
                return rc2;
            }
        } else {
            second->ClearRecord();
        }
    }
    return rc;
}
