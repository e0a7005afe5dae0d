#include "CSaleDB.h"

#include "PelmoMessages.h"

namespace {
TableSpec MakeSpec() {
    using R = tagSale;
    TableSpec s;
    s.table = "sale";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, saleNo, Text),      PELMO_FIELD(R, patientKey, Text),
                PELMO_FIELD(R, date, Text),        PELMO_FIELD(R, reservationKey, Text),
                PELMO_FIELD(R, paymentType, Text), PELMO_FIELD(R, amount, Int32),
                PELMO_FIELD(R, amount2, Int32)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, saleNo)}},
              {1, "k1", {PELMO_SEGMENT(R, patientKey), PELMO_SEGMENT(R, date)}}};
    return s;
}
} // namespace

const TableSpec& CSaleDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CSaleDB::CSaleDB(const std::string& folder, int mode) : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CSaleDB::GetSaleData(std::string_view saleNo) {
    if (saleNo.empty() || saleNo.size() >= sizeof m_rec.saleNo) {
        ClearRecord();
        return Fail(PelmoStatus::kNotFound, PelmoMessages::NotFound());
    }
    return GetByKey0(Key0Of(saleNo));
}
