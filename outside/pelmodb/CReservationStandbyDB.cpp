#include "CReservationStandbyDB.h"

#include "PelmoMessages.h"

namespace {
TableSpec MakeSpec() {
    using R = tagReservationStandby;
    TableSpec s;
    s.table = "reservation_standby";
    s.recordSize = sizeof(R);
    s.fields = {
        PELMO_FIELD(R, key, Text),
        PELMO_FIELD(R, patientKey, Text),
        PELMO_FIELD(R, periodFrom, Text),
        PELMO_FIELD(R, periodTo, Text),
        PELMO_FIELD(R, timeFrom, Text),
        PELMO_FIELD(R, timeTo, Text),
        PELMO_FIELD(R, reservationKey, Text),
        PELMO_FIELD(R, detail, Text),
        PELMO_FIELD(R, type, Text),
        PELMO_FIELD(R, webUpdateDate, Text),
        PELMO_FIELD(R, registeredDate, Text),
        PELMO_FIELD(R, note, Text),
    };
    s.keys = {
        {0, "k0", {PELMO_SEGMENT(R, key)}},
        {1, "k1", {PELMO_SEGMENT(R, reservationKey)}},
    };
    return s;
}
} // namespace

const TableSpec& CReservationStandbyDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CReservationStandbyDB::CReservationStandbyDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CReservationStandbyDB::GetReservationStandbyData(std::string_view key) {
    return GetByKey0(Key0Of(key));
}

int CReservationStandbyDB::GetReservationStandbyDataFromReservationKey(
    std::string_view reservationKey) {
    std::string k(reservationKey);
    if (k.empty()) {
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, PelmoMessages::NotFound());
    }
    return GetFirstEqual(1, TableSpec::FitKey(*Spec().FindKey(1), k.c_str(), k.size()));
}

int CReservationStandbyDB::Update(int /*flag*/) {
    return CBaseDBCall::Update();
}
