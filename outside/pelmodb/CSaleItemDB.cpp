#include "CSaleItemDB.h"

namespace {
TableSpec MakeSpec() {
    using R = tagSaleItem;
    TableSpec s;
    s.table = "sale_item";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, saleNo, Text), PELMO_FIELD(R, itemNo, Text),
                PELMO_FIELD(R, name, Text), PELMO_FIELD(R, amount, Int32),
                PELMO_FIELD(R, quantity, Int32)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, saleNo), PELMO_SEGMENT(R, itemNo)}}};
    return s;
}
} // namespace

const TableSpec& CSaleItemDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CSaleItemDB::CSaleItemDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}
