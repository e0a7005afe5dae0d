#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "agent/dialogs/ClinicHours.h"
#include "agent/dialogs/FirstVisitPageList.h"
#include "agent/dialogs/FixedTimesCheck.h"
#include "agent/dialogs/PanelTint.h"
#include "agent/sync/support/FixedTimes.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

namespace {

const char* kSection = "FRIST_APPOINTMENTS";

std::pair<int, int> Split(int value) {
    std::pair<int, int> hm;
    FirstVisitPageList::SplitHhmm(value, hm.first, hm.second);
    return hm;
}

// A weekday with the default hours 9:00-12:00 and 13:00-18:00.
ClinicHours::Day Weekday(bool closed = false) {
    ClinicHours::Day day;
    day.closed = closed;
    day.amFromHour = 9;
    day.amToHour = 12;
    day.pmFromHour = 13;
    day.pmToHour = 18;
    return day;
}

int Check(const std::string& text, int minutes, int step = 15, bool closed = false) {
    return FixedTimesCheck::Check(text, Weekday(closed), minutes, step);
}

} // namespace

TEST(FirstVisitPages, HoursAndMinutesFromStoredIntegers) {
    EXPECT_EQ(Split(930), std::make_pair(9, 30));
    EXPECT_EQ(Split(0), std::make_pair(0, 0));
    EXPECT_EQ(Split(2400), std::make_pair(24, 0));
    EXPECT_EQ(Split(12345), std::make_pair(12, 45)); // first two and last two characters
    EXPECT_EQ(Split(-100), std::make_pair(-1, 0));   // shown as an empty box
}

// PAGE_NUM 0 or absent is one page with the defaults; the second page's keys end in "_1"; keys
// of pages beyond the count stay in the file.
TEST(FirstVisitPages, PageCountDefaultsAndKeySuffixes) {
    DialogClinic clinic;
    FirstVisitPageList pages;
    pages.Load(kUnitMode);
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_TRUE(pages.UseRange());
    const CFirstAppoSetting& first = pages.Page(0);
    EXPECT_EQ(first.typeCode, "00");
    EXPECT_EQ(first.minutes, 60);
    EXPECT_EQ(first.afterDays, 1);
    EXPECT_EQ(first.required, "");
    EXPECT_EQ(first.weekdays[0].bookable, 1);
    EXPECT_EQ(first.weekdays[0].amFromHour, 0); // Sunday: 0
    EXPECT_EQ(first.weekdays[1].amFromHour, 9);
    EXPECT_EQ(first.weekdays[1].pmToHour, 18);

    clinic.Set(kSection, "PAGE_NUM", "0");
    clinic.Set(kSection, "TITLE_2", "残り");
    pages.Load(kUnitMode);
    ASSERT_EQ(pages.Count(), 1);
    ASSERT_EQ(pages.Add(), 1);
    pages.Page(0).title = J("初診相談");
    pages.Page(1).title = J("矯正相談");
    pages.Page(1).weekdays[2].bookable = 1;
    pages.Page(1).weekdays[2].pmToHour = 24;
    pages.SetUseRange(false);
    ASSERT_TRUE(pages.Store(kUnitMode));
    EXPECT_EQ(clinic.Get(kSection, "PAGE_NUM"), "2");
    EXPECT_EQ(clinic.Get(kSection, "USE_RANGE"), "0");
    EXPECT_EQ(clinic.Get(kSection, "TITLE"), "初診相談");
    EXPECT_EQ(clinic.Get(kSection, "TITLE_1"), "矯正相談");
    EXPECT_EQ(clinic.Get(kSection, "REQUIRED_1"), "NAME,KANA,TEL");
    EXPECT_EQ(clinic.Get(kSection, "DayOfWeek3_1"), "1");
    EXPECT_EQ(clinic.Get(kSection, "WtPmTo3_1"), "2400");
    EXPECT_EQ(clinic.Get(kSection, "WtAmFrm1"), "0");
    EXPECT_EQ(clinic.Get(kSection, "TITLE_2"), "残り"); // beyond the count: left alone

    FirstVisitPageList again;
    again.Load(kUnitMode);
    ASSERT_EQ(again.Count(), 2);
    EXPECT_FALSE(again.UseRange());
    EXPECT_EQ(again.Page(1).title, J("矯正相談"));
    EXPECT_EQ(again.Page(1).weekdays[2].pmToHour, 24);
}

// A two-line comment is one line in the file; UNIT_ID and UNIT_DOCTOR_ID follow the mode.
TEST(FirstVisitPages, CommentLinesAndModeFields) {
    DialogClinic clinic;
    clinic.Set(kSection, "NOTE", "ご相談内容を[$ENTER]ご記入ください");
    clinic.Set(kSection, "UNIT_ID", "D1,D2");
    clinic.Set(kSection, "UNIT_DOCTOR_ID", "01");
    FirstVisitPageList pages;
    pages.Load(kDoctorMode);
    EXPECT_EQ(pages.Page(0).comment, J("ご相談内容を\r\nご記入ください"));
    EXPECT_EQ(pages.Page(0).doctorSlots, "D1,D2");
    EXPECT_EQ(pages.Page(0).designatedUnit, "01");
    EXPECT_EQ(pages.Page(0).unitSlots, "");

    pages.Page(0).comment = J("一行目\r\n二行目\r\n");
    pages.Page(0).unitSlots = "02";
    pages.Page(0).designatedDoctor = "D9";
    ASSERT_TRUE(pages.Store(kUnitMode));
    EXPECT_EQ(clinic.Get(kSection, "NOTE"), "一行目[$ENTER]二行目[$ENTER]");
    EXPECT_EQ(clinic.Get(kSection, "UNIT_ID"), "02");
    EXPECT_EQ(clinic.Get(kSection, "UNIT_DOCTOR_ID"), "D9");
}

TEST(FirstVisitPages, AddAndDeleteWithinOneToNine) {
    FirstVisitPageList pages;
    EXPECT_EQ(pages.Add(), 0);
    EXPECT_FALSE(pages.CanDelete());
    EXPECT_EQ(pages.Delete(0), -1);
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(pages.Add(), i);
    EXPECT_FALSE(pages.CanAdd());
    EXPECT_EQ(pages.Add(), -1);
    for (int i = 0; i < 9; ++i)
        pages.Page(i).title = std::to_string(i + 1);
    EXPECT_EQ(pages.Delete(1), 1); // the third page moves into the place shown
    EXPECT_EQ(pages.Page(1).title, "3");
    EXPECT_EQ(pages.Delete(7), 6); // the last page: the new last one is shown
    EXPECT_EQ(pages.Count(), 7);
    EXPECT_EQ(pages.Delete(7), -1);
}

TEST(FixedTimesCheck, NormalisedTextKeepsTypedOrderWithoutRepeats) {
    EXPECT_EQ(FixedTimes::Normalised("9;00 11:30,1530"), "9:00,11:30,15:30");
    EXPECT_EQ(FixedTimes::Normalised("19:00,9:00"), "19:00,9:00");
    EXPECT_EQ(FixedTimes::Normalised("9:00,9:00,900"), "9:00");
    EXPECT_EQ(FixedTimes::Normalised(J("１０：００")), "10:00"); // full-width digits and colon
}

// Step 15 and 30 minutes inside the hours; the grid counts from the earliest time.
TEST(FixedTimesCheck, GridAndOverlapDigit) {
    EXPECT_EQ(Check("9:00,9:30,10:15", 30), 0);
    EXPECT_EQ(Check("10:15,9:00,9:30", 30), 0); // checked in time order
    EXPECT_EQ(Check("9:00,9:20", 10), 10);      // off the 15-minute grid
    EXPECT_EQ(Check("9:00,9:15", 30), 10);      // starts before 9:30
    EXPECT_EQ(Check("9:00,9:30", 30), 0);       // starts exactly when the first ends
    EXPECT_EQ(Check("9:00,9:45", 30, 30), 10);  // off a 30-minute grid
    EXPECT_EQ(Check("9:00,10:00", 30, 30), 0);
    EXPECT_EQ(Check("9:07", 30), 0); // one time is its own grid
    // Without a usable step only the overlap counts.
    EXPECT_EQ(Check("9:00,9:20", 15, 0), 0);
    EXPECT_EQ(Check("9:00,9:10", 15, -5), 10);
}

// Morning 9:00-12:00, afternoon 13:00-18:00: a consultation must end inside the same half.
TEST(FixedTimesCheck, WorkingHoursDigit) {
    EXPECT_EQ(Check("11:30", 60), 1); // ends 12:30
    EXPECT_EQ(Check("11:00", 60), 0); // ends 12:00 exactly
    EXPECT_EQ(Check("8:45", 15), 1);  // before the morning
    EXPECT_EQ(Check("17:00", 60), 0); // ends 18:00
    EXPECT_EQ(Check("17:15", 60), 1); // ends 18:15
}

TEST(FixedTimesCheck, ClosedWeekdayAndBothDigits) {
    EXPECT_EQ(Check("10:00", 30, 15, true), 1);
    EXPECT_EQ(Check("", 30, 15, true), 0);
    EXPECT_EQ(Check("11:30,11:40", 60), 11);
    EXPECT_EQ(Check("", 30), 0);
}

TEST(ClinicHours, ReadFromTheSharedFile) {
    DialogClinic clinic;
    ClinicHours hours = ClinicHours::Read(); // no file: defaults
    EXPECT_EQ(hours.slotStep, 15);
    EXPECT_FALSE(hours.days[0].closed);
    EXPECT_EQ(hours.days[0].AmTo(), 0);
    EXPECT_EQ(hours.days[3].AmFrom(), 9 * 60);
    EXPECT_EQ(hours.days[3].PmTo(), 18 * 60);

    const std::string shared = clinic.SharedIni();
    platform::WriteProfileString(shared, "MENTE", "DayOfWeek4", "1");
    platform::WriteProfileString(shared, "MENTE", "WtAmFrm2", "830");
    platform::WriteProfileString(shared, "MENTE", "WtPmTo2", "1930");
    platform::WriteProfileString(shared, "GLOBAL", "TimeSpan", "10");
    hours = ClinicHours::Read();
    EXPECT_TRUE(hours.days[3].closed);
    EXPECT_EQ(hours.days[1].AmFrom(), 8 * 60 + 30);
    EXPECT_EQ(hours.days[1].PmTo(), 19 * 60 + 30);
    EXPECT_EQ(hours.slotStep, 10);
}

TEST(PanelTint, FromTheFaceColour) {
    const PanelTint light = PanelTint::FromFace(239, 235, 231);
    EXPECT_EQ(light.red, 229);
    EXPECT_EQ(light.green, 219); // from the face's red
    EXPECT_EQ(light.blue, 251);
    const PanelTint blue = PanelTint::FromFace(5, 100, 255);
    EXPECT_EQ(blue.red, 0);
    EXPECT_EQ(blue.green, 0);
    EXPECT_EQ(blue.blue, 200);
    EXPECT_EQ(PanelTint::FromFace(240, 240, 240).blue, 255);
}
