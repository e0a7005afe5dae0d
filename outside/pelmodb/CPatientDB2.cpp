#include "CPatientDB2.h"

namespace {
TableSpec MakeSpec() {
    using R = tagPatient2;
    TableSpec s;
    s.table = "patient2";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, key, Text), PELMO_FIELD(R, characteristic, Text)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, key)}}};
    return s;
}
} // namespace

const TableSpec& CPatientDB2::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CPatientDB2::CPatientDB2(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CPatientDB2::GetPatient2Data(std::string_view key) {
    return GetByKey0(Key0Of(key));
}
