#include "CCategoryDB.h"

#include "PelmoMessages.h"

#include <cstring>

namespace {
TableSpec MakeSpec() {
    using R = tagCategory;
    TableSpec s;
    s.table = "category";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, kind, Text), PELMO_FIELD(R, code, Text), PELMO_FIELD(R, name, Text),
                PELMO_FIELD(R, unused, Text)};
    TableSpec::Key key{0, "k0", {PELMO_SEGMENT(R, kind), PELMO_SEGMENT(R, code)}};
    s.keys = {key, key};
    s.keys[1].number = 1;
    return s;
}
} // namespace

const TableSpec& CCategoryDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CCategoryDB::CCategoryDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CCategoryDB::GetCategoryData(std::string_view kind, std::string_view code) {
    tagCategory probe{};
    std::memcpy(probe.kind, kind.data(), std::min(kind.size(), sizeof probe.kind - 1));
    std::memcpy(probe.code, code.data(), std::min(code.size(), sizeof probe.code - 1));
    // A code longer than the field can never match; cutting it would find another record.
    if (kind.size() >= sizeof probe.kind || code.size() >= sizeof probe.code) {
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, PelmoMessages::NotFound());
    }
    return GetByKey0(Spec().KeyBytes(Spec().keys[0], &probe));
}
