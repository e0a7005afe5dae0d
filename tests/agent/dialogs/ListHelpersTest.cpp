// The search words, sorting and row colours shared by the dialogs' lists.
#include <gtest/gtest.h>

#include "agent/dialogs/ListRowColours.h"
#include "agent/dialogs/ListSortOrder.h"
#include "agent/dialogs/SearchWords.h"
#include "platform/Cp932.h"

using platform::J;

TEST(ListHelpers, SearchWordsCompareWholeCharactersInHalfWidthUpperCase) {
    EXPECT_EQ(SearchWords::Normalise(J("ａｂｃ　ガイド")), J("ABC ｶﾞｲﾄﾞ"));
    const SearchWords words(J("  ﾔﾏﾀﾞ　p-001 "));
    ASSERT_EQ(words.Words().size(), 2u);
    EXPECT_TRUE(words.Matches(J("Ｐ－００１ 山田 ヤマダ タロウ")));
    EXPECT_FALSE(words.Matches(J("P-002 ヤマダ")));
    EXPECT_TRUE(SearchWords("").Matches("anything"));
    EXPECT_TRUE(SearchWords(J("　 ")).Empty());

    // Trail bytes are no letters: 表 (95 5C) holds no backslash, 影 (89 65) no "e", and upper
    // case leaves them alone.
    EXPECT_FALSE(SearchWords("\\").Matches(J("表示")));
    EXPECT_FALSE(SearchWords("e").Matches(J("影")));
    EXPECT_EQ(SearchWords::Normalise(J("影")), J("影"));
    // A word that starts on a trail byte never matches.
    EXPECT_FALSE(SearchWords::Contains(J("表示"), std::string("\x5C\x8E", 2)));
    EXPECT_TRUE(SearchWords::Contains(J("表示"), J("示")));
}

TEST(ListHelpers, SortOrderNumbersAndReversal) {
    EXPECT_LT(ListSortOrder::CompareCells("9", "10", true), 0);
    EXPECT_GT(ListSortOrder::CompareCells("9", "10", false), 0);
    EXPECT_GT(ListSortOrder::CompareCells("1,200", "300", true), 0);
    EXPECT_EQ(ListSortOrder::CompareCells("", "0", true), 0);

    ListSortOrder order;
    order.Click(1);
    EXPECT_EQ(order.column, 1);
    EXPECT_FALSE(order.descending);
    order.Click(1);
    EXPECT_TRUE(order.descending);
    order.Click(0);
    EXPECT_EQ(order.column, 0);
    EXPECT_FALSE(order.descending);

    // Equal cells keep the list's order, and a reversal reverses them too.
    using Row = std::pair<std::string, int>;
    std::vector<Row> rows = {{"b", 1}, {"a", 2}, {"b", 3}, {"a", 4}};
    auto cell = [](const Row& r, int) { return r.first; };
    order.Apply(rows, false, cell);
    EXPECT_EQ(rows, (std::vector<Row>{{"a", 2}, {"a", 4}, {"b", 1}, {"b", 3}}));
    rows = {{"b", 1}, {"a", 2}, {"b", 3}, {"a", 4}};
    order.Click(0);
    order.Apply(rows, false, cell);
    EXPECT_EQ(rows, (std::vector<Row>{{"b", 3}, {"b", 1}, {"a", 4}, {"a", 2}}));
}

TEST(ListHelpers, RowColours) {
    const ListRgb white{255, 255, 255};
    const ListRgb green{200, 255, 200};
    const ListRgb blue{49, 106, 197};
    EXPECT_EQ(ListRowColours::Of(0, false, false).background, white);
    EXPECT_EQ(ListRowColours::Of(1, false, false).background, green);
    EXPECT_EQ(ListRowColours::Of(1, false, false).text, (ListRgb{0, 0, 0}));
    EXPECT_EQ(ListRowColours::Of(2, false, true).text, (ListRgb{100, 100, 100}));
    EXPECT_EQ(ListRowColours::Of(1, true, false).background, blue);
    EXPECT_EQ(ListRowColours::Of(1, true, false).text, white);
    EXPECT_EQ(ListRowColours::Of(0, true, true).text, (ListRgb{180, 180, 180}));
}
