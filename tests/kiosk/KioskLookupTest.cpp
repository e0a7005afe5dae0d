// The reservation rules behind a scan: today's reservations in order, the 15-minute rule,
// passed-over statuses and stored times that are not times of day.
#include "CReservationDB.h"
#include "DisplayState.h"
#include "FakeClock.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "KioskTestDb.h"
#include "ReservationLookup.h"
#include "SqliteConnection.h"
#include "platform/FileOps.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kCode = "0000004711";

LocalTime At(int h, int m, int s = 0) {
    return {2024, 5, 1, h, m, s};
}

} // namespace

TEST(KioskLookup, ArrivedReservationAnswersAlreadyAcceptedFor15Minutes) {
    KioskTestDb db;
    db.AddPatient(kCode, "佐藤 花子");
    db.AddReservation("0000000001", kCode, "20240501", "1010", 1, "1000");

    LookupResult r = ReservationLookup::Run(db.Folder(), kCode, At(10, 20));
    EXPECT_EQ(r.state, DisplayState::kAlreadyAccepted); // 10 minutes since the start
    EXPECT_EQ(r.reservationTime, "10:10");
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(10, 24, 59)).state,
              DisplayState::kAlreadyAccepted);
    // Both times 15 minutes or more ago and nothing else today: still already accepted.
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(10, 30)).state,
              DisplayState::kAlreadyAccepted);

    // A second reservation at 14:00: within the 15 minutes the first still answers, after them
    // the patient is checked in for the later one.
    db.AddReservation("0000000002", kCode, "20240501", "1400", 0);
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(10, 24, 59)).state,
              DisplayState::kAlreadyAccepted);
    r = ReservationLookup::Run(db.Folder(), kCode, At(10, 30));
    EXPECT_EQ(r.state, DisplayState::kAccepted);
    EXPECT_EQ(r.reservationTime, "14:00");

    // Each time on its own stops answering at exactly 15:00 minutes; the later booked reservation
    // then takes the scan.
    KioskTestDb late; // arrived 15 minutes after the start
    late.AddPatient(kCode, "x");
    late.AddReservation("0000000001", kCode, "20240501", "0945", 1, "1000");
    late.AddReservation("0000000002", kCode, "20240501", "1400", 0);
    EXPECT_EQ(ReservationLookup::Run(late.Folder(), kCode, At(10, 14, 59)).state,
              DisplayState::kAlreadyAccepted);
    EXPECT_EQ(ReservationLookup::Run(late.Folder(), kCode, At(10, 15)).state,
              DisplayState::kAccepted);
    KioskTestDb early; // arrived 20 minutes before the start
    early.AddPatient(kCode, "x");
    early.AddReservation("0000000001", kCode, "20240501", "1000", 1, "0940");
    early.AddReservation("0000000002", kCode, "20240501", "1400", 0);
    EXPECT_EQ(ReservationLookup::Run(early.Folder(), kCode, At(10, 14, 59)).state,
              DisplayState::kAlreadyAccepted);
    EXPECT_EQ(ReservationLookup::Run(early.Folder(), kCode, At(10, 15)).state,
              DisplayState::kAccepted);

    // A reception time later than now (clock set back) counts as "just arrived".
    KioskTestDb db2;
    db2.AddPatient(kCode, "x");
    db2.AddReservation("0000000001", kCode, "20240501", "0900", 1, "1100");
    EXPECT_EQ(ReservationLookup::Run(db2.Folder(), kCode, At(10, 0)).state,
              DisplayState::kAlreadyAccepted);
}

TEST(KioskLookup, OnlyTodaysReservationsOfThisPatientCount) {
    KioskTestDb db;
    db.AddPatient(kCode, "佐藤 花子");
    db.AddPatient("0000004712", "next");
    // Yesterday's booked one, tomorrow's, and the next patient's today must all be passed over.
    db.AddReservation("0000000001", kCode, "20240430", "1000", 0);
    db.AddReservation("0000000002", kCode, "20240502", "1000", 0);
    db.AddReservation("0000000003", "0000004712", "20240501", "1000", 0);
    LookupResult r = ReservationLookup::Run(db.Folder(), kCode, At(9, 0));
    EXPECT_EQ(r.state, DisplayState::kNoReservation);
    EXPECT_TRUE(r.patientFound);
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), "0000004712", At(9, 0)).state,
              DisplayState::kAccepted);

    // A cancelled reservation today is passed over; the later booked one is taken.
    db.AddReservation("0000000004", kCode, "20240501", "0900", 2);
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(9, 0)).state,
              DisplayState::kNoReservation);
    db.AddReservation("0000000005", kCode, "20240501", "1500", 0);
    r = ReservationLookup::Run(db.Folder(), kCode, At(9, 0));
    EXPECT_EQ(r.state, DisplayState::kAccepted);
    EXPECT_EQ(r.reservationTime, "15:00");

    // Unknown patient.
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), "1234567890", At(9, 0)).state,
              DisplayState::kUnreadable);
}

TEST(KioskLookup, StoredTimesThatAreNoTimeOfDaySendThePatientToTheStaff) {
    EXPECT_EQ(ReservationLookup::StoredSeconds("2359"), 23 * 3600 + 59 * 60);
    EXPECT_EQ(ReservationLookup::StoredSeconds("2400"), -1);
    EXPECT_EQ(ReservationLookup::StoredSeconds("1060"), -1);
    EXPECT_EQ(ReservationLookup::StoredSeconds("10:0"), -1);
    EXPECT_EQ(ReservationLookup::StoredSeconds("\0\0\0\0"), -1);

    KioskTestDb db;
    db.AddPatient(kCode, "佐藤 花子");
    db.AddPatient("0000004712", "b");
    db.AddReservation("0000000001", kCode, "20240501", "1010", 1, "2561");
    db.AddReservation("0000000002", "0000004712", "20240501", "2510", 1, "0900");

    FakeClock clock;
    clock.Set(2024, 5, 1, 10, 30, 0);
    KioskSettings settings;
    settings.Apply(db.Folder(), true);
    KioskController ctrl(clock, settings);
    for (char d : std::string(kCode))
        ctrl.OnKeyDown(KioskController::kKeyDigit0 + (d - '0'));
    EXPECT_EQ(ctrl.GetDisplayState(), DisplayState::kSeeStaff);
    EXPECT_NE(ctrl.Rows()[1].text.find("reception staff"), std::string::npos);
    EXPECT_EQ(ctrl.Rows()[1].colour, (Rgb{200, 0, 0}));
    // The scan is over: the buffer is free for the next patient, the visit is still recorded.
    EXPECT_TRUE(ctrl.GetBuffer().empty());
    EXPECT_EQ(platform::FindFiles(settings.CheckInFolder() + "2024/05/01/", "*.dat").size(), 1u);

    // Valid reception time 90 minutes ago, start hour 25: cannot be judged either.
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), "0000004712", At(10, 30)).state,
              DisplayState::kSeeStaff);
}

TEST(KioskLookup, AScanOpensTheDatabaseOnceAndSeesTheLatestBookings) {
    KioskTestDb db;
    db.AddPatient(kCode, "佐藤 花子");
    db.AddReservation("0000000001", kCode, "20240501", "1010", 0);
    const long long before = SqliteConnection::OpenCount();
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(9, 0)).reservationTime, "10:10");
    EXPECT_EQ(SqliteConnection::OpenCount() - before, 1);

    // Booked while the kiosk is held open elsewhere in the program: the next scan sees it.
    CReservationDB held(db.Folder(), 0);
    ASSERT_EQ(held.Open(), 0);
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(9, 0)).reservationTime, "10:10");
    db.AddReservation("0000000002", kCode, "20240501", "0930", 0);
    EXPECT_EQ(ReservationLookup::Run(db.Folder(), kCode, At(9, 0)).reservationTime, "09:30");
}
