#include "COwnerDB.h"

namespace {
TableSpec MakeSpec() {
    using R = tagOwner;
    TableSpec s;
    s.table = "owner";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, id, Int32), PELMO_FIELD(R, staffCode, Text),
                PELMO_FIELD(R, name, Text), PELMO_FIELD(R, password, Text)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, staffCode)}}};
    return s;
}
} // namespace

const TableSpec& COwnerDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

COwnerDB::COwnerDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}
