#include "CMemoDB.h"

#include "PelmoMessages.h"

#include <cstring>

namespace {
TableSpec MakeSpec() {
    using R = tagMemo;
    TableSpec s;
    s.table = "memo";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, patientKey, Text), PELMO_FIELD(R, memoNo, Text),
                PELMO_FIELD(R, date, Text), PELMO_FIELD(R, updateDate, Text),
                PELMO_FIELD(R, text, Text)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, patientKey), PELMO_SEGMENT(R, memoNo)}}};
    return s;
}
} // namespace

const TableSpec& CMemoDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CMemoDB::CMemoDB(const std::string& folder, int mode) : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CMemoDB::GetMemoData(std::string_view patientKey, std::string_view memoNo) {
    if (patientKey.size() >= sizeof m_rec.patientKey || memoNo.size() >= sizeof m_rec.memoNo) {
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, PelmoMessages::NotFound());
    }
    tagMemo probe{};
    std::memcpy(probe.patientKey, patientKey.data(), patientKey.size());
    std::memcpy(probe.memoNo, memoNo.data(), memoNo.size());
    Spec().Normalize(&probe);
    return GetByKey0(Spec().KeyBytes(Spec().keys[0], &probe));
}
