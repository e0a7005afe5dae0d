#include <gtest/gtest.h>

#include "agent/sync/support/BookingWindow.h"
#include "agent/sync/support/ClosedDayFile.h"
#include "agent/sync/support/FixedTimes.h"
#include "platform/Cp932.h"

using platform::J;

TEST(ClosedDayFile, LineRules) {
    // Marker character, YYYY.MM.DD, then '*' (ignored) or anything else.
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.05.03*"), "");
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.05.03"), "20240503");
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.05.03 " + J("憲法記念日")), "20240503");
    EXPECT_EQ(ClosedDayFile::ParseLine(" \t#2024.05.04\r"), "20240504"); // trimmed both ends
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.05.0"), "");               // 10 characters
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.0503"), "");               // 10, digits a date
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024.02.30"), "");              // no such day
    EXPECT_EQ(ClosedDayFile::ParseLine("#2024/05/03"), "");
    EXPECT_EQ(ClosedDayFile::ParseLine(""), "");

    const std::string text = "#2024.01.01\r\n#2024.01.02*\r\n\r\nshort\n#2023.12.31\n #2024.12.31 ";
    EXPECT_EQ(ClosedDayFile::Parse(text, 2024), (std::set<std::string>{"20240101", "20241231"}));
    EXPECT_EQ(ClosedDayFile::Parse(text).size(), 3u);
    EXPECT_EQ(ClosedDayFile::PathOf("/db/", 2025), "/db/2025.off");
}

TEST(BookingWindow, AutomaticManualAndLastDay) {
    const LocalDateTime jan{2024, 1, 20, 10, 0, 0, 0};
    BookingWindow w = BookingWindow::Compute(0, 3, 0, 0, jan);
    EXPECT_EQ(w.SqlLimitDate(), "'2024-04-30 00:00:00'");
    EXPECT_EQ(BookingWindow::LastYear(0, 3, 0, jan), 2024);

    const LocalDateTime nov{2023, 11, 2, 10, 0, 0, 0};
    w = BookingWindow::Compute(0, 3, 0, 0, nov);
    EXPECT_EQ(w.SqlLimitDate(), "'2024-02-29 00:00:00'");
    EXPECT_EQ(w.DotDate(), "2024.02.29");
    EXPECT_EQ(BookingWindow::LastYear(0, 3, 0, nov), 2024);
    EXPECT_EQ(BookingWindow::Compute(0, 3, 0, 0, {2024, 11, 2}).DotDate(), "2025.02.28");
    EXPECT_EQ(BookingWindow::Compute(0, 13, 0, 0, nov).DotDate(), "2024.12.31");
    EXPECT_EQ(BookingWindow::Compute(0, 14, 0, 0, nov).DotDate(), "2025.01.31");
    EXPECT_EQ(BookingWindow::Compute(0, 0, 0, 0, nov).DotDate(), "2023.11.30");
    EXPECT_FALSE(BookingWindow::Compute(0, 0, 0, 0, nov).LaterThanMonthOf(nov));
    EXPECT_TRUE(w.LaterThanMonthOf(nov));
    // A negative count goes back to a real month instead of month 0 or below.
    EXPECT_EQ(BookingWindow::Compute(0, -1, 0, 0, jan).DotDate(), "2023.12.31");
    EXPECT_EQ(BookingWindow::LastYear(0, -1, 0, jan), 2023);
    EXPECT_EQ(BookingWindow::Compute(0, -12, 0, 0, jan).DotDate(), "2023.01.31"); // a whole year
    EXPECT_EQ(BookingWindow::Compute(0, -13, 0, 0, jan).DotDate(), "2022.12.31");

    // Manual window, and one that names no month.
    EXPECT_EQ(BookingWindow::Compute(1, 3, 2023, 6, jan).DotDate(), "2023.06.30");
    EXPECT_EQ(BookingWindow::LastYear(1, 3, 2023, jan), 2023);
    w = BookingWindow::Compute(1, 3, 0, 0, jan);
    EXPECT_FALSE(w.Valid());
    EXPECT_EQ(w.SqlLimitDate(), "NULL");
    EXPECT_FALSE(BookingWindow::Compute(1, 3, 2024, 13, jan).Valid());
    EXPECT_EQ(BookingWindow::LastDayOfMonth(2100, 2), 28);
    EXPECT_EQ(BookingWindow::LastDayOfMonth(2000, 2), 29);
}

TEST(BookingWindow, TimeLimitClamping) {
    EXPECT_EQ(BookingTimeLimit(0, 6, 0), "");
    EXPECT_EQ(BookingTimeLimit(1, 6, 0), "0600");
    EXPECT_EQ(BookingTimeLimit(1, 30, 15), "2400");
    EXPECT_EQ(BookingTimeLimit(1, 24, 30), "2400");
    EXPECT_EQ(BookingTimeLimit(1, -3, 0), "2400");
    EXPECT_EQ(BookingTimeLimit(1, 17, 75), "1759");
    EXPECT_EQ(BookingTimeLimit(1, 17, -5), "1700");
    // The first values out of range, and the last ones in it.
    EXPECT_EQ(BookingTimeLimit(1, 25, 10), "2400");
    EXPECT_EQ(BookingTimeLimit(1, 23, 59), "2359");
    EXPECT_EQ(BookingTimeLimit(1, 17, 60), "1759");
    EXPECT_EQ(BookingTimeLimit(1, 0, 0), "0000");
}

TEST(FixedTimes, Normalisation) {
    // ';' read as ':', full-width digits, blanks and commas as separators, repeats dropped.
    EXPECT_EQ(FixedTimes::Normalised("9;00 11:30,1530"), "9:00,11:30,15:30");
    EXPECT_EQ(FixedTimes::Normalised(J("１０：１５、9:00,9:00")), "10:15,9:00");
    EXPECT_EQ(FixedTimes::Normalised("9,930,1,12,0930,25:70,:"),
              "9:00,9:30,10:00,12:00,24:59,0:00");
    EXPECT_EQ(FixedTimes::ReadSorted("15:00,9:00,13:30"), (std::vector<int>{540, 810, 900}));
    EXPECT_TRUE(FixedTimes::Read(J("なし")).empty());
    EXPECT_EQ(FixedTimes::Read("99999999999999999999"), (std::vector<int>{24 * 60 + 59}));
}
