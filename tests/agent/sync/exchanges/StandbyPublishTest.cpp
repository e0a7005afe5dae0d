// The standby list from the local book to the web, and the app cancellations back.
#include <gtest/gtest.h>

#include "StandbyClinic.h"
#include "agent/sync/exchanges/FirstVisitBookings.h"
#include "agent/sync/exchanges/PendingAppointments.h"
#include "agent/sync/exchanges/ProcessAppointmentEntry.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

using Row = WebDb::Row;

// The row of a standby key: the named columns as text ("NULL" for NULL), or empty when missing.
std::vector<std::string> PendingRowOf(const StandbyClinic& c, const std::string& where) {
    auto rows =
        c.Web().Query("SELECT pending_appo_id,patient_key,patient_name,available_period_from,"
                      "available_period_to,treatment_time,type,available_unit_id,available_pic_id,"
                      "confirmed_flag,hope_appo_day,hope_appo_time,appo_key,treatment_detail "
                      "FROM pending_appointments WHERE " +
                      where);
    std::vector<std::string> out;
    if (rows.size() != 1)
        return out;
    for (const auto& v : rows[0])
        out.push_back(v ? platform::Cp932ToUtf8(*v) : "NULL");
    return out;
}

enum Col {
    kStd,
    kPatient,
    kName,
    kFrom,
    kTo,
    kMinutes,
    kType,
    kUnits,
    kDoctors,
    kFlag,
    kDay,
    kTime,
    kAppoKey,
    kDetail
};

long Rows(const StandbyClinic& c) {
    return std::stol(c.Web().Scalar("SELECT COUNT(*) FROM pending_appointments").value_or("0"));
}

void PendingSettings(const StandbyClinic& c) {
    c.Set("PENDING_APPOINTMENTS", "TYPE", "01,02");
    c.Set("PENDING_APPOINTMENTS", "CHANGE_OK", "1");
    // Lists shorter than TYPE: type 02 has no length, units, doctors or period entry.
    c.Set("PENDING_APPOINTMENTS", "TYPETIME", "30");
    c.Set("PENDING_APPOINTMENTS", "TYPEUNIT", "1_2");
    c.Set("PENDING_APPOINTMENTS", "TYPEDOCTOR", "D1");
    c.Set("PENDING_APPOINTMENTS", "TYPEDAY", "7-14");
}

} // namespace

TEST(StandbyPublish, InsertUpdateLengthsHiddenAndDelete) {
    StandbyClinic c;
    PendingSettings(c);
    c.AddPatient("0000000001", "P-1", "山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ");
    c.AddStandby("0000000001", "0000000001", "20240320", "20240310", "01");
    c.AddStandby("0000000002", "0000000001", "20240301", "20240331", "02");

    // A new entry: period put in order, the type's length, units and doctors.
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000001"), 1);
    auto row = PendingRowOf(c, "pending_appo_id='0000000001'");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kName], "山田 太郎");
    EXPECT_EQ(row[kFrom], "2024-03-10");
    EXPECT_EQ(row[kTo], "2024-03-20");
    EXPECT_EQ(row[kMinutes], "30");
    EXPECT_EQ(row[kUnits], "1,2");
    EXPECT_EQ(row[kDoctors], "D1");
    EXPECT_EQ(row[kFlag], "0");
    EXPECT_EQ(row[kAppoKey], "NULL");
    EXPECT_EQ(row[kDetail], "定期検診");
    auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "更新 [予約待ち 2024.03.10-2024.03.20] P-1 山田 太郎"),
              1);

    // A length set on the web for the same type is kept.
    c.Web().Exec("UPDATE pending_appointments SET treatment_time=45");
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000001"), 1);
    EXPECT_EQ(PendingRowOf(c, "pending_appo_id='0000000001'")[kMinutes], "45");
    EXPECT_EQ(Rows(c), 1);

    // No length anywhere for type 02 (its TYPETIME entry is missing): the default 60.
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000002"), 1);
    row = PendingRowOf(c, "pending_appo_id='0000000002'");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kMinutes], "60");
    EXPECT_EQ(row[kUnits], "NULL");

    // Hidden type: the existing row goes, and a hidden entry without a row is not inserted.
    c.Set("COMMON", "HIDDEN_APPOTYPES", "01");
    c.AddStandby("0000000003", "0000000001", "20240301", "20240302", "01");
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000001"), 1);
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000003"), 1);
    EXPECT_TRUE(PendingRowOf(c, "pending_appo_id='0000000001'").empty());
    EXPECT_TRUE(PendingRowOf(c, "pending_appo_id='0000000003'").empty());
    EXPECT_EQ(Rows(c), 1);

    // STD_DELETE, and an update of an entry that no longer exists locally, delete the row;
    // a delete without a row is done with nothing written.
    c.TakeLines();
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyDelete, "0000000002"), 1);
    EXPECT_EQ(Rows(c), 0);
    lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "削除 [予約待ち 2024.03.01-2024.03.31] P-1 山田 太郎"),
              1);
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyDelete, "0000000002"), 1);
    c.Web().Exec("INSERT INTO pending_appointments(pending_appo_id,confirmed_flag) "
                 "VALUES('0000000009',0)");
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000009"), 1);
    EXPECT_EQ(Rows(c), 0);
}

TEST(StandbyPublish, LinkedReservationStateAndFailure) {
    StandbyClinic c;
    PendingSettings(c);
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddReservation({.key = "0000000100",
                      .patient = "0000000001",
                      .date = "20240315",
                      .start = "1400",
                      .end = "1430",
                      .status = 2});
    c.AddReservation({.key = "0000000101",
                      .patient = "0000000001",
                      .date = "20240316",
                      .start = "0930",
                      .end = "1000",
                      .status = 1});
    c.AddStandby("0000000001", "0000000001", "20240301", "20240331", "01", "0000000100");
    c.AddStandby("0000000002", "0000000001", "20240301", "20240331", "01", "0000000101");
    c.AddStandby("0000000003", "0000000001", "20240301", "20240331", "01", "0000009999");

    // A cancelled reservation: flag 0, but its date and key are shown.
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000001"), 1);
    auto row = PendingRowOf(c, "pending_appo_id='0000000001'");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kFlag], "0");
    EXPECT_EQ(row[kDay], "2024-03-15");
    EXPECT_EQ(row[kTime], "14:00:00");
    EXPECT_EQ(row[kAppoKey], "0000000100");
    // An arrived one counts as booked; a reservation that is gone leaves the row open.
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000002"), 1);
    EXPECT_EQ(PendingRowOf(c, "pending_appo_id='0000000002'")[kFlag], "2");
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000003"), 1);
    row = PendingRowOf(c, "pending_appo_id='0000000003'");
    EXPECT_EQ(row[kFlag], "0");
    EXPECT_EQ(row[kAppoKey], "NULL");

    // The web table gone: failure (the entry file is kept), logged as a database error.
    c.TakeLines();
    c.Web().Exec("RENAME TABLE pending_appointments TO pending_gone");
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyPublish, "0000000001"), 0);
    EXPECT_EQ(PublishStandbyEntry(c.Ctx(), kStandbyDelete, "0000000001"), 0);
    EXPECT_EQ(StandbyClinic::Count(c.TakeLines(), "[SQLエラー]"), 1); // the same error shown once
}

TEST(StandbyPublish, RowFollowsPublishedReservation) {
    StandbyClinic c;
    PendingSettings(c);
    c.AddPatient("0000000001", "P-1", "山田 太郎", "ﾔﾏﾀﾞ");

    // No standby entry refers to it: the period comes from TYPEDAY 7-14.
    c.AddReservation({.key = "0000000100",
                      .patient = "0000000001",
                      .date = "20240310",
                      .start = "1000",
                      .end = "1045",
                      .unit = "3",
                      .memo = "型取り"});
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000100"), 1);
    auto row = PendingRowOf(c, "appo_key='0000000100'");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kStd], "NULL");
    EXPECT_EQ(row[kFrom], "2024-03-03");
    EXPECT_EQ(row[kTo], "2024-03-24");
    EXPECT_EQ(row[kMinutes], "45");
    EXPECT_EQ(row[kFlag], "2");
    EXPECT_EQ(row[kDay], "2024-03-10");
    EXPECT_EQ(row[kTime], "10:00:00");
    EXPECT_EQ(row[kUnits], "1,2");
    EXPECT_EQ(row[kDetail], "型取り");
    // Again: the same row, found by its reservation key.
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000100"), 1);
    EXPECT_EQ(Rows(c), 1);

    // Type 02 has no TYPEDAY, TYPEUNIT or TYPEDOCTOR entry: the reservation's own date, unit
    // and doctor.
    c.AddReservation({.key = "0000000200",
                      .patient = "0000000001",
                      .date = "20240311",
                      .unit = "4",
                      .doctor = "D9",
                      .type = "02"});
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000200"), 1);
    row = PendingRowOf(c, "appo_key='0000000200'");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kFrom], "2024-03-11");
    EXPECT_EQ(row[kTo], "2024-03-11");
    EXPECT_EQ(row[kUnits], "4");
    EXPECT_EQ(row[kDoctors], "D9");

    // Booked from a web row (pending row id) with a standby entry referring to it: that row is
    // rewritten, taking the entry's key and period.
    c.Web().Exec("INSERT INTO pending_appointments(id,confirmed_flag) VALUES(77,1)");
    c.AddReservation(
        {.key = "0000000300", .patient = "0000000001", .date = "20240312", .pendingId = 77});
    c.AddStandby("0000000005", "0000000001", "20240330", "20240305", "01", "0000000300");
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000300"), 1);
    row = PendingRowOf(c, "id=77");
    ASSERT_FALSE(row.empty());
    EXPECT_EQ(row[kStd], "0000000005");
    EXPECT_EQ(row[kFrom], "2024-03-05");
    EXPECT_EQ(row[kTo], "2024-03-30");
    EXPECT_EQ(row[kAppoKey], "0000000300");
    EXPECT_EQ(row[kFlag], "2");

    // A reservation without a readable length publishes the default length, never 0 or less.
    c.AddReservation(
        {.key = "0000000500", .patient = "0000000001", .start = "1100", .end = "1000"});
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000500"), 1);
    EXPECT_EQ(PendingRowOf(c, "appo_key='0000000500'")[kMinutes], "60");
    c.Web().Exec("DELETE FROM pending_appointments WHERE appo_key='0000000500'");

    // No longer a standby booking (type not in TYPE): its row goes. A missing reservation is
    // nothing to do.
    c.Web().Exec("INSERT INTO pending_appointments(appo_key,confirmed_flag) "
                 "VALUES('0000000400',2)");
    c.AddReservation({.key = "0000000400", .patient = "0000000001", .type = "09"});
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000400"), 1);
    EXPECT_TRUE(PendingRowOf(c, "appo_key='0000000400'").empty());
    EXPECT_EQ(SyncPendingForReservation(c.Ctx(), "0000000999"), 1);
    EXPECT_EQ(Rows(c), 3);
}

TEST(StandbyCancellations, CancelReopenAndNewStandbyEntry) {
    StandbyClinic c;
    c.clock.Set({2024, 3, 2, 8, 0, 0, 0});
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddStandby("0000000007", "0000000001", "20240101", "20240102", "01");
    c.AddReservation({.key = "0000000100",
                      .patient = "0000000001",
                      .date = "20240310",
                      .type = "01",
                      .memo = "定期"});
    c.AddReservation(
        {.key = "0000000101", .patient = "0000000001", .date = "20240311", .status = 1});
    c.AddReservation({.key = "0000000102", .patient = "0000000001", .date = "20240312"});
    c.AddStandby("0000000003", "0000000001", "20240301", "20240331", "01", "0000000102");
    c.Web().Exec(
        "INSERT INTO pending_appointments(id,pending_appo_id,appo_key,available_period_from,"
        "available_period_to,confirmed_flag) VALUES"
        "(1,NULL,'0000000100','2024-03-05','2024-03-20',3),"
        "(2,'0000000002','0000000101','2024-03-05','2024-03-05',3),"
        "(3,'0000000003','0000000102','2024-03-01','2024-03-31',3),"
        "(4,'0000000004','0000009999','2024-03-01',NULL,3),"
        "(5,'0000000005','0000000100','2024-03-01','2024-03-31',1)");

    ProcessStandbyCancellations(c.Ctx());

    // Booked, no entry refers to it: cancelled locally and put back on the list as key 8.
    auto r = c.Reservation("0000000100");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 2);
    EXPECT_EQ(r->secondaryState, 2);
    EXPECT_EQ(Utf8Of(r->cancelNote), "診察券アプリから予約取り消し");
    auto s = c.Standby("0000000008");
    ASSERT_TRUE(s);
    EXPECT_EQ(Utf8Of(s->reservationKey), "0000000100");
    EXPECT_EQ(Utf8Of(s->patientKey), "0000000001");
    EXPECT_EQ(Utf8Of(s->periodFrom), "20240305");
    EXPECT_EQ(Utf8Of(s->periodTo), "20240320");
    EXPECT_EQ(Utf8Of(s->timeFrom), "0000");
    EXPECT_EQ(Utf8Of(s->timeTo), "2400");
    EXPECT_EQ(Utf8Of(s->detail), "定期");
    EXPECT_EQ(Utf8Of(s->registeredDate), "20240302");
    // Arrived: the book is left alone.
    EXPECT_EQ(c.Reservation("0000000101")->status, 1);
    // An entry already refers to it: cancelled, no new entry.
    EXPECT_EQ(c.Reservation("0000000102")->status, 2);
    EXPECT_FALSE(c.Standby("0000000009"));

    auto rows = c.Web().Query("SELECT id,confirmed_flag,pending_appo_id FROM "
                              "pending_appointments ORDER BY id");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(*rows[0][2], "0000000008");
    EXPECT_EQ(*rows[1][2], "0000000002");
    EXPECT_EQ(*rows[2][2], "0000000003");
    EXPECT_EQ(*rows[3][2], "0000000004");
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(*rows[i][1], "0") << i;
    EXPECT_EQ(*rows[4][1], "1"); // not a cancellation

    auto lines = c.TakeLines();
    EXPECT_EQ(StandbyClinic::Count(lines, "[予約取消] 2024.03.05 - 2024.03.20 [P-1 , 山田 太郎]"),
              1);
    EXPECT_EQ(StandbyClinic::Count(lines, "[予約取消] 2024.03.05 [P-1 , 山田 太郎]"), 1);
    EXPECT_EQ(StandbyClinic::Count(lines, "[予約取消] 2024.03.01 [未登録 , ]"), 1);
}

TEST(StandbyCancellations, UnreadableBookKeepsTheCancellationsWaiting) {
    StandbyClinic c;
    c.Web().Exec("INSERT INTO pending_appointments(id,appo_key,confirmed_flag) "
                 "VALUES(1,'0000000100',3)");
    c.Web().Exec(
        "INSERT INTO first_appointments(id,appo_key,cancel_flag) VALUES(1,'0000000100',1)");
    TempDir noDatabase;
    LocalTables broken(noDatabase.Path());
    SyncContext ctx = c.CtxWith(broken);

    // Reopening the rows now would tell the patient "cancelled" while the chair stays booked.
    ProcessStandbyCancellations(ctx);
    ProcessFirstVisitCancellations(ctx);
    EXPECT_EQ(c.Web().Scalar("SELECT confirmed_flag FROM pending_appointments"), "3");
    EXPECT_EQ(c.Web().Scalar("SELECT cancel_flag FROM first_appointments"), "1");
    EXPECT_EQ(StandbyClinic::Count(c.TakeLines(), "[エラー] 予約テーブルアクセスエラー"), 2);
}

TEST(StandbyPublish, EntryFilesReachTheStandbyRow) {
    StandbyClinic c;
    PendingSettings(c);
    c.AddPatient("0000000001", "P-1", "山田 太郎");
    c.AddStandby("0000000001", "0000000001", "20240301", "20240331", "01");
    c.AddReservation({.key = "0000000100", .patient = "0000000001"});
    TempDir entries;

    EXPECT_TRUE(ProcessAppointmentEntry(
        c.Ctx(), entries.Write("s.txt", "STD_INSERT\r\nRegNo=0000000001\r\n")));
    EXPECT_EQ(PendingRowOf(c, "pending_appo_id='0000000001'")[kFlag], "0");
    // A published standby booking brings its row along; the NO_PENDING words do not.
    EXPECT_TRUE(
        ProcessAppointmentEntry(c.Ctx(), entries.Write("r.txt", "UPDATE_NO_PENDING_UPDATE"
                                                                "\r\nRegNo=0000000100\r\n")));
    EXPECT_TRUE(PendingRowOf(c, "appo_key='0000000100'").empty());
    EXPECT_TRUE(
        ProcessAppointmentEntry(c.Ctx(), entries.Write("r.txt", "UPDATE\r\nRegNo=0000000100\r\n")));
    EXPECT_EQ(PendingRowOf(c, "appo_key='0000000100'")[kFlag], "2");
    EXPECT_TRUE(ProcessAppointmentEntry(
        c.Ctx(), entries.Write("d.txt", "STD_DELETE\r\nRegNo=0000000001\r\n")));
    EXPECT_TRUE(PendingRowOf(c, "pending_appo_id='0000000001'").empty());
}
