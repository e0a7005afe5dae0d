#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "TempDir.h"
#include "agent/dialogs/BookingSiteAddress.h"
#include "agent/dialogs/FirstVisitPageList.h"
#include "agent/dialogs/SaveBookingSettings.h"
#include "agent/dialogs/SettingTrigger.h"
#include "agent/dialogs/SettingValues.h"
#include "agent/dialogs/TypeSettingsModel.h"
#include "agent/dialogs/UnitChoices.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

using platform::J;

namespace {

std::pair<int, int> Limited(int hour, int minute) {
    SettingValues::LimitTime(hour, minute);
    return {hour, minute};
}

} // namespace

TEST(SettingValues, TimeLimitBoundaries) {
    EXPECT_EQ(Limited(24, 30), std::make_pair(24, 0));
    EXPECT_EQ(Limited(25, 10), std::make_pair(24, 0));
    EXPECT_EQ(Limited(23, 59), std::make_pair(23, 59));
    EXPECT_EQ(Limited(23, 60), std::make_pair(23, 59));
    EXPECT_EQ(Limited(0, 0), std::make_pair(0, 0));
}

// Defaults of a file without keys, the name and telephone fallbacks, the stored limits.
TEST(SettingValues, ReadDefaultsFallbacksAndLimits) {
    DialogClinic clinic;
    platform::WriteProfileString(clinic.SharedIni(), "GLOBAL", "ClinicName", J("さくら歯科"));
    platform::WriteProfileString(clinic.SharedIni(), "GLOBAL", "ClinicTel", "03-1111-2222");
    SettingValues v = SettingValues::Read();
    EXPECT_EQ(v.port, 3306);
    EXPECT_EQ(v.clinicName, J("さくら歯科"));
    EXPECT_EQ(v.clinicTel, "03-1111-2222");
    EXPECT_EQ(v.idTitle, J("診察券番号"));
    EXPECT_TRUE(v.limitToday);
    EXPECT_EQ(v.limitHour, 6);
    EXPECT_EQ(v.limitMinute, 0);
    EXPECT_EQ(v.afterDays, 1);
    EXPECT_EQ(v.limitAuto, 3);
    EXPECT_EQ(v.manualYear, "0");
    EXPECT_EQ(v.mode, kUnitMode);

    clinic.Set("COMMON", "LIMIT_TIME_H", "30");
    clinic.Set("COMMON", "LIMIT_TIME_M", "45");
    clinic.Set("COMMON", "UNIT_TYPE", "2");
    v = SettingValues::Read();
    EXPECT_EQ(v.limitHour, 24);
    EXPECT_EQ(v.limitMinute, 0);
    EXPECT_EQ(v.mode, kDoctorMode);

    // Stored as typed: the fallback shown becomes the clinic's own value.
    v.limitHour = 24;
    v.limitMinute = 30;
    v.showIdCut = -1;
    v.appoSend = -1;
    clinic.Set("COMMON", "SHOWID_CUT", "2");
    clinic.Set("COMMON", "APPOSEND", "1");
    v.linkUrl = "https://x.example/" + std::string(270, 'a') + J("表");
    ASSERT_TRUE(v.Write());
    ASSERT_TRUE(v.WriteAppoSend());
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TIME_H"), "24");
    EXPECT_EQ(clinic.Get("COMMON", "LIMIT_TIME_M"), "0");
    EXPECT_EQ(clinic.Get("COMMON", "SHOWID_CUT"), "2"); // nothing chosen: kept
    EXPECT_EQ(clinic.Get("COMMON", "APPOSEND"), "1");
    EXPECT_EQ(clinic.Get("COMMON", "UNIT_TYPE"), "1");
    EXPECT_EQ(clinic.Get("HOSPITAL_INFO", "NAME"), "さくら歯科");
    EXPECT_EQ(clinic.Get("COMMON", "LINK_URL").size(), 256u);
}

// The trigger goes into the configured entry folder only: created, or emptied when it is there.
TEST(SettingTrigger, DroppedOnlyIntoTheConfiguredEntryFolder) {
    DialogClinic clinic;
    const std::string folder = clinic.DatabaseFolder() + "Entry/";
    platform::MakeDirs(folder);
    EXPECT_EQ(SettingTrigger::Drop(clinic.DatabaseFolder()), SettingTrigger::NoEntryFolder);
    EXPECT_FALSE(platform::FileExists(folder + "Setting"));
    EXPECT_FALSE(platform::FileExists(clinic.EntryFolder() + "Setting"));
    EXPECT_EQ(SettingTrigger::Drop(""), SettingTrigger::NoEntryFolder);

    clinic.SetEntryFolder(folder);
    platform::WriteFileAtomic(folder + "Setting", "left over");
    EXPECT_EQ(SettingTrigger::Drop(clinic.DatabaseFolder()), SettingTrigger::Dropped);
    std::string bytes = "x";
    ASSERT_TRUE(platform::ReadFile(folder + "Setting", bytes));
    EXPECT_EQ(bytes, "");

    clinic.SetEntryFolder(clinic.DatabaseFolder() + "missing/");
    EXPECT_EQ(SettingTrigger::Drop(clinic.DatabaseFolder()), SettingTrigger::Failed);
}

// A settings file that cannot be written is reported, and then no trigger is dropped.
TEST(SaveBookingSettings, UnwritableFileReportedAndNoTrigger) {
    DialogClinic clinic;
    clinic.SetEntryFolder(clinic.DatabaseFolder() + "Entry/");
    platform::MakeDirs(clinic.DatabaseFolder() + "Entry/");
    const SettingValues v = SettingValues::Read();
    TypeSettingsModel types;
    FirstVisitPageList pages;
    pages.Add();
    // A folder in the file's place cannot be replaced by a file, not even by root.
    platform::MakeDirs(clinic.Ini());
    const SaveOutcome out = SaveBookingSettings(v, pages, types, clinic.DatabaseFolder());
    EXPECT_FALSE(out.written);
    EXPECT_FALSE(platform::FileExists(clinic.DatabaseFolder() + "Entry/Setting"));
}

TEST(BookingSiteAddress, StaffCalendarAndPageAddresses) {
    DialogClinic clinic;
    EXPECT_EQ(BookingSiteAddress::Base(), "https://booking.example.com");
    clinic.Set("COMMON", "BOOKING_SITE", "http://192.0.2.7:8080/web//");
    EXPECT_EQ(BookingSiteAddress::Base(), "http://192.0.2.7:8080/web");
    EXPECT_EQ(BookingSiteAddress::StaffCalendar("https://b.example", "C0001"),
              "https://b.example/staff/login?code=QzAwMDE=");
    EXPECT_EQ(BookingSiteAddress::FirstVisitPage("https://b.example", "C0001", 2),
              "https://b.example/user?code=QzAwMDE=&appoType=3");
}

// The slot chooser: codes of the slot text ticked, results in list order, an unused entry only
// while it is in the slot text.
TEST(UnitChoices, UnitsTickedInListOrderAndUnusedDropped) {
    DialogClinic clinic;
    clinic.AddCategory("1", "03", "ユニット3");
    clinic.AddCategory("1", "01", "ユニット1");
    clinic.AddCategory("1", "02", "ユニット2");
    clinic.AddCategory("1", "04", "旧ユニット", true);
    clinic.AddCategory("1", "1", "ユニットA");
    clinic.AddCategory("0", "01", "検診"); // a type, never a slot
    CPelmoDBSys sys(clinic.DatabaseFolder());

    UnitChoices choices;
    ASSERT_EQ(choices.Load(sys, kUnitMode, "01,03,04"), 0);
    std::vector<std::string> lines;
    for (const UnitChoice& c : choices.Lines())
        lines.push_back(platform::Cp932ToUtf8(c.Line()) + (c.checked ? "+" : "-"));
    EXPECT_EQ(lines, (std::vector<std::string>{"01,ユニット1+", "02,ユニット2-", "03,ユニット3+",
                                               "04,旧ユニット+", "1,ユニットA-"}));
    choices.Lines()[1].checked = true;  // tick 02
    choices.Lines()[3].checked = false; // untick the unused 04
    const std::string result = choices.Result();
    EXPECT_EQ(result, "01,02,03");

    ASSERT_EQ(choices.Load(sys, kUnitMode, result), 0);
    EXPECT_EQ(choices.Lines().size(), 4u); // 04 is gone for good
    for (auto& c : choices.Lines())
        c.checked = false;
    EXPECT_EQ(choices.Result(), "");

    // "1" is not in "10,11": membership, not a text search.
    ASSERT_EQ(choices.Load(sys, kUnitMode, "10,11"), 0);
    EXPECT_FALSE(choices.Lines()[4].checked);
}

TEST(UnitChoices, DoctorModeListsAllDoctors) {
    DialogClinic clinic;
    clinic.AddDoctor("D2", "佐藤");
    clinic.AddDoctor("D1", "鈴木");
    clinic.AddDoctor("D9", "退職", true);
    CPelmoDBSys sys(clinic.DatabaseFolder());
    UnitChoices choices;
    ASSERT_EQ(choices.Load(sys, kDoctorMode, "D2"), 0);
    ASSERT_EQ(choices.Lines().size(), 2u);
    EXPECT_EQ(choices.Lines()[0].code, "D1");
    EXPECT_FALSE(choices.Lines()[0].checked);
    EXPECT_TRUE(choices.Lines()[1].checked);
    EXPECT_EQ(choices.Result(), "D2");

    // Without a database the list is empty and OK returns an empty text.
    TempDir empty;
    CPelmoDBSys none(empty.Path());
    EXPECT_NE(choices.Load(none, kDoctorMode, "D2"), 0);
    EXPECT_TRUE(choices.Lines().empty());
    EXPECT_EQ(choices.Result(), "");
}
