#include <gtest/gtest.h>

#include "FakeClock.h"
#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"
#include "platform/Cp932.h"

using platform::J;

TEST(SqlLiterals, TextEscapingWorksOnWholeCharacters) {
    EXPECT_EQ(SqlText("O'Brien"), "'O''Brien'");
    EXPECT_EQ(SqlText("a\\b"), "'a\\\\b'");
    EXPECT_EQ(SqlText(""), "NULL");
    // 0x5C as the trail byte of a double-byte character stays single.
    EXPECT_EQ(SqlText(J("ソ")), "'" + J("ソ") + "'");
    EXPECT_EQ(SqlText(J("表'")), "'" + J("表") + "'''");
    // A lone lead byte at the end is dropped (NULL is only for a text that was empty).
    EXPECT_EQ(SqlText(J("あ") + "\x82"), "'" + J("あ") + "'");
    EXPECT_EQ(SqlText("\x82"), "''");
    // A lead byte whose next byte cannot be a trail byte does not shield a quote.
    EXPECT_EQ(SqlText(std::string("\x81'x")), std::string("'\x81''x'"));
    EXPECT_EQ(SqlText("%s%d"), "'%s%d'");
}

TEST(SqlLiterals, DateTimeLiteralsAndValidity) {
    EXPECT_EQ(SqlDate("20240230"), "'2024-02-30'"); // day only checked against 1..31
    EXPECT_EQ(SqlDate("2024023"), "NULL");
    EXPECT_EQ(SqlDate("202402301"), "NULL");
    EXPECT_EQ(SqlDate("09991231"), "NULL");
    EXPECT_EQ(SqlDate("20241301"), "NULL");
    EXPECT_EQ(SqlDate("20240100"), "NULL");
    EXPECT_EQ(SqlDate("2024 1 5"), "NULL");
    EXPECT_EQ(SqlDate(""), "NULL");

    EXPECT_EQ(SqlTime("2460"), "NULL");
    EXPECT_EQ(SqlTime("0930"), "'09:30:00'");
    EXPECT_EQ(SqlTime("2400"), "'24:00:00'");
    EXPECT_EQ(SqlTime("093015"), "'09:30:00'"); // further characters ignored
    EXPECT_EQ(SqlTime("930"), "NULL");
    EXPECT_EQ(SqlTime(""), "NULL");

    EXPECT_EQ(SqlDateTime("20240105", ""), "'2024-01-05 00:00:00'");
    EXPECT_EQ(SqlDateTime("20240105", "2575"), "'2024-01-05 00:00:00'");
    EXPECT_EQ(SqlDateTime("20240105", "1745"), "'2024-01-05 17:45:00'");
    EXPECT_EQ(SqlDateTime("2024010", "1745"), "NULL");

    FakeClock clock({2024, 3, 9, 8, 7, 6, 500});
    EXPECT_EQ(SqlDateTimeValue(std::nullopt, clock), "'2024-03-09 08:07:06'");
    EXPECT_EQ(SqlDateTimeValue(LocalDateTime{2023, 12, 31, 23, 59, 58, 0}, clock),
              "'2023-12-31 23:59:58'");

    EXPECT_EQ(DateText("20240105"), "2024-01-05");
    EXPECT_EQ(DateText("x"), "");
    EXPECT_EQ(TimeText("0905"), "09:05:00");
    EXPECT_EQ(TimeText("0960"), "");
    EXPECT_EQ(HourMinute("10:30:00"), "10:30");
    EXPECT_EQ(HourMinute("10:30"), "10:30");
    EXPECT_EQ(HourMinute("1030"), "1030");
}

TEST(LocalDateConversions, PaddingAndToday) {
    auto d = DateValueFromText("20240229");
    ASSERT_TRUE(d);
    EXPECT_EQ(*d, (LocalDateTime{2024, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(DateValueFromText("20230229"));
    EXPECT_FALSE(DateValueFromText("202401")); // padded with "00": no day
    auto t = TimeValueFromText("093");
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, (LocalDateTime{2000, 1, 1, 9, 30, 0, 0}));
    EXPECT_FALSE(TimeValueFromText("2400"));

    FakeClock clock({2024, 6, 15, 23, 59, 59, 999});
    EXPECT_TRUE(IsTodayOrLater("20240615", clock));
    EXPECT_TRUE(IsTodayOrLater("20240616", clock));
    EXPECT_FALSE(IsTodayOrLater("20240614", clock));
    EXPECT_TRUE(IsTodayOrLater("2024", clock)); // end of the year
    EXPECT_TRUE(IsTodayOrLater("", clock));     // no date: open-ended
    EXPECT_FALSE(IsTodayOrLater("2023", clock));
    EXPECT_FALSE(IsTodayOrLater("202406", clock)); // 2024-06-31 is no date
}
