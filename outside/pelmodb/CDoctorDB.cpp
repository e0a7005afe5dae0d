#include "CDoctorDB.h"

#include "PelmoMessages.h"

namespace {
TableSpec MakeSpec() {
    using R = tagDoctor;
    TableSpec s;
    s.table = "doctor";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, code, Text), PELMO_FIELD(R, name, Text), PELMO_FIELD(R, kana, Text),
                PELMO_FIELD(R, unused, Text)};
    TableSpec::Key key{0, "k0", {PELMO_SEGMENT(R, code)}};
    s.keys = {key, key};
    s.keys[1].number = 1;
    return s;
}
} // namespace

const TableSpec& CDoctorDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CDoctorDB::CDoctorDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CDoctorDB::GetDoctorData(std::string_view code) {
    if (code.size() >= sizeof m_rec.code) {
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, PelmoMessages::NotFound());
    }
    return GetByKey0(Key0Of(code));
}
