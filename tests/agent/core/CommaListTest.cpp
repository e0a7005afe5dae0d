#include "agent/core/CommaList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Items = std::vector<std::string>;

TEST(CommaList, SplitsAtEveryCommaWithoutTrimming) {
    EXPECT_EQ(CommaList("").Count(), 0);
    EXPECT_EQ(CommaList("01").Items(), Items({"01"}));
    EXPECT_EQ(CommaList("01,,03").Items(), Items({"01", "", "03"}));
    EXPECT_EQ(CommaList("01,").Items(), Items({"01", ""}));
    EXPECT_EQ(CommaList(",").Items(), Items({"", ""}));
    EXPECT_EQ(CommaList(" 01 , 02").Items(), Items({" 01 ", " 02"}));
    // A CP932 trail byte is never a comma, so double-byte entries survive whole.
    EXPECT_EQ(CommaList("\x83\x5C,\x95\x5C").Items(), Items({"\x83\x5C", "\x95\x5C"}));

    CommaList list("1,0,,1");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_TRUE(list.Has(3));
    EXPECT_FALSE(list.Has(4));
    EXPECT_FALSE(list.Has(-1));
    EXPECT_EQ(list.ItemOr(2, "1"), "");
    EXPECT_EQ(list.ItemOr(4, "1"), "1");
}

TEST(CommaList, FindsFirstEqualEntry) {
    CommaList list("01,A,a,01, 02");
    EXPECT_EQ(list.Find("01"), 0);
    EXPECT_EQ(list.Find("a"), 2);
    EXPECT_EQ(list.Find("A"), 1);
    EXPECT_EQ(list.Find("02"), -1);
    EXPECT_EQ(list.Find(" 02"), 4);
    EXPECT_EQ(list.Find("0"), -1);
    EXPECT_EQ(CommaList("").Find(""), -1);
    EXPECT_EQ(CommaList("a,,b").Find(""), 1);
}
