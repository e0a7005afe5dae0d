#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

#include "TempDir.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using platform::J;

TEST(CTools, HalfKana) {
    // Voiced and semi-voiced marks become separate characters.
    EXPECT_EQ(CTools::GetHalfKana(J("ヤマダ　タロウ")), J("ﾔﾏﾀﾞ ﾀﾛｳ"));
    EXPECT_EQ(CTools::GetHalfKana(J("パピプペポ・ヴァイオリン")), J("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ･ｳﾞｧｲｵﾘﾝ"));
    EXPECT_EQ(CTools::GetHalfKana(J("ソーダ「ゾ」。、")), J("ｿｰﾀﾞ｢ｿﾞ｣｡､"));
    // Full-width ASCII, the full-width space, ～ and － as used in phone numbers.
    EXPECT_EQ(CTools::GetHalfKana(J("０３－１２３４－５６７８")), "03-1234-5678");
    EXPECT_EQ(CTools::GetHalfKana(J("ＡＢＣｘｙｚ！＃；：＼～＄＠［］")), "ABCxyz!#;:\\~$@[]");
    // Everything else stays byte for byte: hiragana, kanji (with 0x5C trail bytes), half-width
    // kana already there, ASCII, katakana without a half-width form, a lone lead byte.
    const std::string keep = J("やまだ表能ｱｲｳabc ヵヶヮ①髙") + "\x83";
    EXPECT_EQ(CTools::GetHalfKana(keep), keep);
    EXPECT_EQ(CTools::GetHalfKana(""), "");
    // A trail byte that equals an ASCII code never changes on its own: ソ is 83 5C.
    EXPECT_EQ(CTools::GetHalfKana(J("表ソ")), J("表ｿ"));
}

TEST(CTools, SplitString) {
    std::vector<std::string> parts = {"old"};
    EXPECT_EQ(CTools::SplitString("  alpha beta   gamma ", ' ', parts), 3);
    EXPECT_EQ(parts, (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(CTools::SplitString("", ' ', parts), 0);
    EXPECT_TRUE(parts.empty());
    // The separator byte inside a double-byte character (ソ = 83 5C) does not split.
    EXPECT_EQ(CTools::SplitString(J("ソ表") + "\\x", '\\', parts), 2);
    EXPECT_EQ(parts, (std::vector<std::string>{J("ソ表"), "x"}));
}

TEST(CTools, CaclAge) {
    int y = -1, m = -1;
    EXPECT_TRUE(CTools::CaclAge("19800515", "20240515", y, m));
    EXPECT_EQ(y, 44);
    EXPECT_EQ(m, 0);
    EXPECT_TRUE(CTools::CaclAge("19800515", "20240514", y, m)); // the day before the birthday
    EXPECT_EQ(y, 43);
    EXPECT_EQ(m, 11);
    EXPECT_TRUE(CTools::CaclAge("19801231", "20240101", y, m));
    EXPECT_EQ(y, 43);
    EXPECT_EQ(m, 0);
    EXPECT_TRUE(CTools::CaclAge("2000-02-29", "2001/02/28", y, m));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m, 11);
    EXPECT_TRUE(CTools::CaclAge("20240101", "20240101", y, m));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(m, 0);

    for (const char* bad : {"", "1980", "19801301", "19800230", "abcdefgh", "00000000"}) {
        y = m = -1;
        EXPECT_FALSE(CTools::CaclAge(bad, "20240101", y, m)) << bad;
        EXPECT_EQ(y, 0);
        EXPECT_EQ(m, 0);
    }
    EXPECT_FALSE(CTools::CaclAge("20250101", "20240101", y, m)); // born after the reference
    EXPECT_FALSE(CTools::CaclAge("20000101", "2024", y, m));

    // Today: a birth date exactly 30 years and 2 months ago (day 1 keeps it valid).
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    int by = t.tm_year + 1900 - 30, bm = t.tm_mon + 1 - 2;
    if (bm < 1) {
        bm += 12;
        --by;
    }
    std::string birth = std::to_string(by) + (bm < 10 ? "0" : "") + std::to_string(bm) + "01";
    EXPECT_TRUE(CTools::CaclAge(birth, nullptr, y, m));
    EXPECT_EQ(y, 30);
    EXPECT_EQ(m, 2);
}

TEST(CTools, Base64Encode) {
    const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
    const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(CTools::Base64Encode(std::string(plain[i])), coded[i]);
    EXPECT_EQ(CTools::Base64Encode("\xff\xfe\xfd\x00", 4), "//79AA==");
    EXPECT_EQ(CTools::Base64Encode(J("ソ")), "g1w=");
}

TEST(CTools, FilesAndFolders) {
    TempDir dir;
    setenv("CORVANE_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(CTools::GetExecutionFileDirectoryPath(0), dir.Path());
    EXPECT_EQ(CTools::GetCorvaneIniFileName(), dir.Path() + "PelmoV3.ini");
    unsetenv("CORVANE_HOME");

    std::string path = dir.Path() + "a/b/c";
    CTools::LastDelimAdd(path);
    EXPECT_EQ(path, dir.Path() + "a/b/c/");
    CTools::LastDelimAdd(path);
    EXPECT_EQ(path, dir.Path() + "a/b/c/");
    std::string empty;
    CTools::LastDelimAdd(empty);
    EXPECT_EQ(empty, "");
    std::string so = "x" + J("ソ"); // ends in a 0x5C trail byte, still needs the delimiter
    CTools::LastDelimAdd(so);
    EXPECT_EQ(so, "x" + J("ソ") + "/");

    EXPECT_TRUE(CTools::MkDir(path));      // three levels at once
    EXPECT_FALSE(CTools::ExistFile(path)); // a folder is not a file
}
