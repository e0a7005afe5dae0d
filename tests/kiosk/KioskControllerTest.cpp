// Key input, timers, visit files and the texts of the controller, on a real database folder.
#include "KioskController.h"
#include "ClinicZoneGuard.h"
#include "DisplayState.h"
#include "FakeClock.h"
#include "KioskSettings.h"
#include "KioskTestDb.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include <gtest/gtest.h>

using platform::J;

namespace {

constexpr const char* kCode = "0000012345";

// Types a code on the main-row digit keys; returns the effects of the last key.
KioskEffects Type(KioskController& c, const std::string& digits) {
    KioskEffects fx;
    for (char d : digits)
        fx = c.OnKeyDown(KioskController::kKeyDigit0 + (d - '0'));
    return fx;
}

struct Kiosk {
    KioskTestDb db;
    FakeClock clock{{2024, 5, 1, 10, 0, 0}};
    KioskSettings settings;
    KioskController ctrl{clock, settings};

    Kiosk() {
        settings.Apply(db.Folder(), true);
        db.AddPatient(kCode, "山田 太郎");
    }
    std::vector<platform::FoundFile> Files(const std::string& day = "2024/05/01/") const {
        return platform::FindFiles(settings.CheckInFolder() + day, "*");
    }
};

} // namespace

TEST(KioskController, TenDigitsProcessAtOnceAndTheFollowingEnterDoesNothing) {
    Kiosk k;
    k.clock.Set(2024, 5, 1, 10, 15, 30);
    // Main-row and numeric-pad digits mixed, with a reader's control prefix and a letter that
    // must be ignored.
    EXPECT_EQ(k.ctrl.OnKeyDown(0x02).inputTimer, KioskEffects::InputTimer::Restart);
    k.ctrl.OnKeyDown('A');
    Type(k.ctrl, "00000");
    for (char d : std::string("1234"))
        k.ctrl.OnKeyDown(KioskController::kKeyPad0 + (d - '0'));
    EXPECT_EQ(k.ctrl.GetBuffer(), "000001234");
    EXPECT_TRUE(k.ctrl.IsInputTimerRunning());
    KioskEffects fx = k.ctrl.OnKeyDown(KioskController::kKeyPad0 + 5);
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kNoReservation);
    EXPECT_EQ(k.ctrl.GetPatientName(), J("山田 太郎"));
    EXPECT_EQ(fx.startDisplayTimerMs, 10000);
    EXPECT_TRUE(fx.repaint);
    EXPECT_EQ(fx.inputTimer, KioskEffects::InputTimer::Stop);
    EXPECT_TRUE(k.ctrl.GetBuffer().empty());
    ASSERT_EQ(k.Files().size(), 1u);
    EXPECT_EQ(k.Files()[0].name, "20240501_101530_0000012345.dat");
    EXPECT_TRUE(platform::FileExists(k.settings.CheckInFolder() +
                                     "2024/05/01/20240501_101530_0000012345.dat"));

    fx = k.ctrl.OnKeyDown(KioskController::kKeyEnter);
    EXPECT_FALSE(fx.repaint);
    EXPECT_EQ(fx.startDisplayTimerMs, 0);
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kNoReservation);

    fx = k.ctrl.OnDisplayTimer();
    EXPECT_TRUE(fx.stopDisplayTimer);
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kWaiting);

    fx = k.ctrl.OnKeyDown(KioskController::kKeyF12);
    EXPECT_TRUE(fx.openSettings);
    EXPECT_EQ(fx.inputTimer, KioskEffects::InputTimer::Restart);
}

TEST(KioskController, ShortOrLongScansShowUnreadableWithoutAFile) {
    Kiosk k;
    // 11 digits and Enter: the first ten are a good scan, the 11th and Enter replace it.
    Type(k.ctrl, std::string(kCode) + "7");
    EXPECT_EQ(k.ctrl.GetBuffer(), "7");
    KioskEffects fx = k.ctrl.OnKeyDown(KioskController::kKeyEnter);
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kUnreadable);
    EXPECT_EQ(fx.startDisplayTimerMs, 5000);
    EXPECT_EQ(k.Files().size(), 1u);

    // Fewer than ten digits and Enter: unreadable, nothing written, in a new minute too.
    k.clock.Set(2024, 5, 1, 11, 0, 0);
    Type(k.ctrl, "123456789");
    k.ctrl.ProcessInput();
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kUnreadable);
    EXPECT_EQ(k.Files().size(), 1u);
    EXPECT_TRUE(k.ctrl.GetBuffer().empty());

    // A partial scan expires with the input timer and never joins the next one.
    Type(k.ctrl, "99");
    fx = k.ctrl.OnInputTimer();
    EXPECT_FALSE(fx.repaint);
    EXPECT_FALSE(k.ctrl.IsInputTimerRunning());
    EXPECT_TRUE(k.ctrl.GetBuffer().empty());
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kUnreadable);
}

TEST(KioskController, OneVisitFilePerPatientAndMinute) {
    Kiosk k;
    k.clock.Set(2024, 5, 1, 10, 15, 2);
    Type(k.ctrl, kCode);
    k.clock.Set(2024, 5, 1, 10, 15, 59);
    Type(k.ctrl, kCode);
    EXPECT_EQ(k.Files().size(), 1u);
    Type(k.ctrl, "0000000001"); // another code in the same minute gets its own file
    EXPECT_EQ(k.Files().size(), 2u);
    k.clock.Set(2024, 5, 1, 10, 16, 0);
    Type(k.ctrl, kCode);
    EXPECT_EQ(k.Files().size(), 3u);
    EXPECT_TRUE(platform::FileExists(k.settings.CheckInFolder() +
                                     "2024/05/01/20240501_101600_0000012345.dat"));
    // A new day gets its own folder.
    k.clock.Set(2024, 12, 31, 23, 59, 59);
    Type(k.ctrl, kCode);
    EXPECT_EQ(k.Files("2024/12/31/").size(), 1u);
}

TEST(KioskController, LookupsOffAcceptEveryCode) {
    Kiosk k;
    k.settings.Apply(k.db.Folder(), false);
    Type(k.ctrl, "9999999999");
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kAcceptedNoLookup);
    ASSERT_EQ(k.ctrl.Rows().size(), 2u);
    EXPECT_EQ(k.ctrl.Rows()[0].text, J("来院受付を行いました。"));
    EXPECT_EQ(k.ctrl.Rows()[0].colour, (Rgb{0, 0, 100}));
    EXPECT_EQ(k.Files().size(), 1u);

    // With lookups on, the same unknown code is unreadable but still leaves its visit file.
    k.settings.Apply(k.db.Folder(), true);
    k.clock.Set(2024, 5, 1, 10, 1, 0);
    Type(k.ctrl, "9999999999");
    EXPECT_EQ(k.ctrl.GetDisplayState(), DisplayState::kUnreadable);
    EXPECT_EQ(k.Files().size(), 2u);
}

TEST(KioskController, MissingDatabaseAndSettingsFile) {
    TempDir dir;
    // DATABASE without a trailing delimiter, DBCHECK missing (lookups on).
    std::string ini = dir.Write("Arrivo.ini", "[GLOBAL]\r\nDATABASE=" + dir.Path() + "db\r\n");
    KioskSettings settings;
    settings.Load(ini);
    EXPECT_EQ(settings.DatabaseFolder(), dir.Path() + "db/");
    EXPECT_TRUE(settings.DbCheck());
    EXPECT_TRUE(platform::FolderExists(dir.Path() + "db/CheckIn"));

    // No database file: every scan is unreadable, visit files are still written.
    FakeClock clock{{2024, 5, 1, 10, 0, 0}};
    KioskController ctrl(clock, settings);
    Type(ctrl, kCode);
    EXPECT_EQ(ctrl.GetDisplayState(), DisplayState::kUnreadable);
    EXPECT_EQ(platform::FindFiles(dir.Path() + "db/CheckIn/2024/05/01/", "*.dat").size(), 1u);

    // No database folder at all: nothing is written into the current folder.
    dir.Write("Empty.ini", "[GLOBAL]\r\nDBCHECK=0\r\n");
    settings.Load(dir.File("Empty.ini"));
    EXPECT_FALSE(settings.DbCheck());
    EXPECT_TRUE(settings.CheckInFolder().empty());
    Type(ctrl, kCode);
    EXPECT_EQ(ctrl.GetDisplayState(), DisplayState::kAcceptedNoLookup);
    EXPECT_FALSE(platform::FolderExists("CheckIn"));
}

TEST(KioskController, ComposedRowsAndTheClockRow) {
    Kiosk k;
    k.db.AddReservation("0000000001", kCode, "20240501", "1030", 0);
    Type(k.ctrl, kCode);
    auto rows = k.ctrl.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].text, J("山田 太郎 様"));
    EXPECT_EQ(rows[1].text, J("ご予約時間 [10:30]"));

    // No reservation today: the name stays blue, the two message rows are red.
    k.clock.Set(2024, 5, 2, 9, 0, 0);
    Type(k.ctrl, kCode);
    rows = k.ctrl.Rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].colour, (Rgb{0, 0, 100}));
    EXPECT_EQ(rows[2].colour, (Rgb{200, 0, 0}));

    EXPECT_EQ(k.ctrl.ClockText(), J("2024年 5月 2日 09:00"));
}

// At 08:30 in Japan a machine on UTC still has the day before; the kiosk goes by the clinic's.
TEST(KioskController, TodayIsTheClinicsDayWhateverTheMachineKeeps) {
    KioskTestDb db;
    KioskSettings settings;
    settings.Apply(db.Folder(), true);
    db.AddPatient(kCode, "山田 太郎");
    db.AddReservation("0000000001", kCode, "20240105", "0900", 0);
    FakeClock clock;
    clock.SetInstant(std::chrono::system_clock::from_time_t(1704411000)); // 2024-01-04 23:30 UTC
    KioskController ctrl{clock, settings};
    {
        ClinicZoneGuard london("Europe/London");
        Type(ctrl, kCode);
        EXPECT_EQ(ctrl.GetDisplayState(), DisplayState::kNoReservation);
        EXPECT_TRUE(platform::FileExists(settings.CheckInFolder() +
                                         "2024/01/04/20240104_233000_0000012345.dat"));
    }
    ClinicZoneGuard japan("Asia/Tokyo");
    EXPECT_EQ(ctrl.ClockText(), J("2024年 1月 5日 08:30"));
    Type(ctrl, kCode);
    EXPECT_EQ(ctrl.GetDisplayState(), DisplayState::kAccepted);
    EXPECT_TRUE(platform::FileExists(settings.CheckInFolder() +
                                     "2024/01/05/20240105_083000_0000012345.dat"));
}
