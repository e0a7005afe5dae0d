#include "CReservationDB.h"

#include "PelmoSchema.h"
#include "SqliteConnection.h"

namespace {
TableSpec MakeSpec() {
    using R = tagReservation;
    TableSpec s;
    s.table = "reservation";
    s.recordSize = sizeof(R);
    s.fields = {
        PELMO_FIELD(R, key, Text),
        PELMO_FIELD(R, patientKey, Text),
        PELMO_FIELD(R, date, Text),
        PELMO_FIELD(R, start, Text),
        PELMO_FIELD(R, end, Text),
        PELMO_FIELD(R, unit, Text),
        PELMO_FIELD(R, doctor, Text),
        PELMO_FIELD(R, type, Text),
        PELMO_FIELD(R, memo, Text),
        PELMO_FIELD(R, webUpdateDate, Text),
        PELMO_FIELD(R, lastChangeDate, Text),
        PELMO_FIELD(R, cancelDate, Text),
        PELMO_FIELD(R, saleNo, Text),
        PELMO_FIELD(R, slotExempt, Byte),
        PELMO_FIELD(R, status, Byte),
        PELMO_FIELD(R, secondaryState, Byte),
        PELMO_FIELD(R, saleOnArrival, Byte),
        PELMO_FIELD(R, cancelNote, Text),
        PELMO_NAMED_FIELD("history1Date", R, history[0].date, Text),
        PELMO_NAMED_FIELD("history1Start", R, history[0].start, Text),
        PELMO_NAMED_FIELD("history2Date", R, history[1].date, Text),
        PELMO_NAMED_FIELD("history2Start", R, history[1].start, Text),
        PELMO_NAMED_FIELD("history3Date", R, history[2].date, Text),
        PELMO_NAMED_FIELD("history3Start", R, history[2].start, Text),
        PELMO_NAMED_FIELD("history4Date", R, history[3].date, Text),
        PELMO_NAMED_FIELD("history4Start", R, history[3].start, Text),
        PELMO_NAMED_FIELD("history5Date", R, history[4].date, Text),
        PELMO_NAMED_FIELD("history5Start", R, history[4].start, Text),
        PELMO_FIELD(R, changeCount, Int32),
        PELMO_FIELD(R, amount, Int32),
        PELMO_FIELD(R, pendingId, Int64),
        PELMO_FIELD(R, guestBirthday, Text),
        PELMO_FIELD(R, guestGender, Text),
        PELMO_FIELD(R, receptionTime, Text),
        PELMO_FIELD(R, guestTitle, Text),
        PELMO_FIELD(R, guestName, Text),
        PELMO_FIELD(R, guestKana, Text),
        PELMO_FIELD(R, guestTel, Text),
        PELMO_FIELD(R, guestMail, Text),
        PELMO_FIELD(R, guestAddress, Text),
        PELMO_FIELD(R, note, Text),
    };
    s.keys = {
        {0, "k0", {PELMO_SEGMENT(R, key)}},
        {2, "k2", {PELMO_SEGMENT(R, patientKey), PELMO_SEGMENT(R, date), PELMO_SEGMENT(R, start)}},
        {3, "k3", {PELMO_SEGMENT(R, doctor), PELMO_SEGMENT(R, date), PELMO_SEGMENT(R, start)}},
        {4, "k4", {PELMO_SEGMENT(R, unit), PELMO_SEGMENT(R, date), PELMO_SEGMENT(R, start)}},
    };
    return s;
}
} // namespace

const TableSpec& CReservationDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CReservationDB::CReservationDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CReservationDB::GetReservationData(std::string_view key) {
    return GetByKey0(Key0Of(key));
}

int CReservationDB::Insert(int /*flag*/) {
    return CBaseDBCall::Insert();
}

int CReservationDB::Update(int /*flag*/) {
    return CBaseDBCall::Update();
}

std::string CReservationDB::GetEntryFolder() {
    auto conn = Connection();
    if (!conn)
        return {};
    std::string folder;
    if (PelmoSchema::ReadValue(*conn, PelmoSchema::kEntryFolder, folder, m_lastErr) != 0)
        return {};
    return folder;
}
