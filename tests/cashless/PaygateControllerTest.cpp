// The payment bridge against the real simulated terminal.
#include "PaygateBench.h"
#include "cashless/paygate/PaygateTexts.h"
#include "cashless/paygate/PaymentRequest.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <map>

using platform::J;

namespace {
int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}
} // namespace

TEST(PaygateController, SendsAmountsTaxAndDirectIOByKindAndOption) {
    PaygateBench b; // stera
    b.StartTerminal();
    ASSERT_TRUE(b.terminal->Ready());
    b.ctl.Open();

    struct Case {
        std::string request, sent, shown;
    } cases[] = {
        {"3\r\n1000\r\n100\r\n", "medium=3 amount=1100 tax=0 training=0 directio=none", "1,100"},
        {"1\r\n1000\r\n100\r\n", "medium=1 amount=1000 tax=100 training=0 directio=none", "1,100"},
        {"700\n500\n0\n0\n0\n", "medium=700 amount=500 tax=500", "500"},
        {"700\n500\n0\n0\n1\n", "medium=700 amount=500 tax=0", "500"},
        {"1\n10\n0\n1\n0\n1\n", "medium=1 amount=10 tax=0 training=1 directio=0", "10"},
        {"1\n10\n0\n2\n", "medium=1 amount=10 tax=0 training=0 directio=1", "10"},
        {"1\n1234567\n0\n0\n", "amount=1234567 tax=0 training=0 directio=none", "1,234,567"},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string base = "r" + std::to_string(++n);
        b.Drop(base + ".dat", c.request);
        b.Run();
        ASSERT_TRUE(b.Exists(base + ".fin")) << c.request;
        EXPECT_EQ(b.Read(base + ".fin"), c.request + "$RESULT=0");
        EXPECT_NE(b.terminal->Journal().find(c.sent), std::string::npos) << c.sent << "\n"
                                                                         << b.terminal->Output();
        EXPECT_EQ(b.ctl.Rows().front()[3], c.shown);
        EXPECT_EQ(b.ctl.Rows().front()[5], "OK");
        EXPECT_EQ(b.ctl.StatusCode(), "0");
        EXPECT_EQ(b.ctl.StatusMessage(), "OK");
    }
    EXPECT_EQ(Count(b.terminal->Journal(), "APPROVED"), n);
    EXPECT_EQ(b.ctl.Rows().back()[4], J("銀聯"));
    EXPECT_EQ(b.ctl.Button2Text(), J("閉じる"));
    EXPECT_NE(b.terminal->Output().find("CLAIM device=STERA_OCX model=1001"), std::string::npos);
}

TEST(PaygateController, InfoxNeverSendsDirectIOAndUsesItsEntry) {
    PaygateBench b(0, true, "1002");
    b.StartTerminal();
    b.ctl.Open();
    b.Drop("a.dat", "1\n10\n0\n1\n");
    b.Run();
    ASSERT_TRUE(b.Exists("a.fin"));
    std::string out = b.terminal->Output();
    EXPECT_NE(out.find("CLAIM device=INFOX_OCX model=1002"), std::string::npos) << out;
    EXPECT_EQ(out.find("DIRECTIO"), std::string::npos);
    EXPECT_NE(out.find("directio=none"), std::string::npos);
}

TEST(PaygateController, TakesOneRequestAtATimeInListingOrder) {
    PaygateBench b;
    b.StartTerminal("slow:300");
    b.ctl.Open();
    b.Drop("one.dat", "2\n300");
    b.Drop("two.dat", "1\n5\n");
    std::string first = platform::FindFiles(b.m_requests, "*.dat").front().name;
    std::string second = first == "one.dat" ? "two" : "one";
    first = first.substr(0, first.size() - 4);

    b.ctl.Tick();
    EXPECT_TRUE(b.Exists(first + ".pro"));
    EXPECT_TRUE(b.ctl.Busy());
    EXPECT_FALSE(b.ctl.PollTimerRunning());
    EXPECT_EQ(b.ctl.Button2Text(), J("決済処理停止"));
    b.ctl.Tick(); // ignored while the sale runs
    EXPECT_TRUE(b.Exists(second + ".dat"));
    b.Settle();
    EXPECT_TRUE(b.Exists(first + ".fin"));
    EXPECT_TRUE(b.ctl.PollTimerRunning());
    b.Run();
    EXPECT_TRUE(b.Exists(second + ".fin"));
    ASSERT_EQ(b.ctl.Rows().size(), 2u);

    // The request "2", "300" without a last line break: debit, amount 300, tax 0.
    std::string out = b.terminal->Output();
    EXPECT_NE(out.find("medium=2 amount=300 tax=0"), std::string::npos) << out;
    EXPECT_EQ(b.Read("one.fin"), "2\n300$RESULT=0"); // glued to a last line without a break
    const auto& oneRow = first == "one" ? b.ctl.Rows()[1] : b.ctl.Rows()[0];
    EXPECT_EQ(oneRow[4], J("デビット"));
    EXPECT_EQ(oneRow[3], "300");
}

TEST(PaygateController, FailuresAnswerWithTheirCodeAndMessage) {
    {
        // No device entry: Open answers 109; the terminal is never reached.
        PaygateBench b(1, false);
        b.StartTerminal();
        b.ctl.Open();
        b.Drop("x.dat", "1\n100\n");
        b.Run();
        EXPECT_EQ(b.Read("x.err"), "1\n100\n$RESULT=109");
        EXPECT_EQ(b.ctl.StatusCode(), "109");
        EXPECT_EQ(b.ctl.StatusMessage(), J("指定されたDeviceNameが見つかりません。"));
        EXPECT_EQ(b.ctl.Rows().front()[5], "NG(109)");
        EXPECT_EQ(b.terminal->Output().find("CLAIM"), std::string::npos);
        EXPECT_TRUE(b.ctl.PollTimerRunning());
        EXPECT_EQ(b.ctl.Button2Text(), J("閉じる"));
    }
    {
        // Entry present, no terminal attached.
        PaygateBench b;
        b.ctl.Open();
        b.Drop("x.dat", "1\n100\n");
        b.Run();
        EXPECT_EQ(b.Read("x.err"), "1\n100\n$RESULT=107");
        EXPECT_EQ(b.ctl.StatusMessage(),
                  J("デバイスをシステムに接続していないか、電源が入っていません。"));
    }
    {
        // Terminal answers: busy, reset key, an unknown extended code, a plain failure.
        PaygateBench b;
        b.StartTerminal("busy,decline:91,decline:4242,error:111,refuse:113");
        b.ctl.Open();
        struct Case {
            std::string code, message;
        } cases[] = {
            {"3020", J("端末が BUSY 状態です。")},
            {"2091", J("端末処理中に CAT のリセットキーが押されました。")},
            {"6242", J("不明なエラー(114-4242)")},
            {"111", J("デバイスがシステムに 接続され、電源が入っていて オンラインですが、 "
                      "デバイスからの応答が正常に受信できませんでした 。")},
            {"113", J("現在の SO の状態は、この要求を受け付けられません。")},
        };
        int n = 0;
        for (const auto& c : cases) {
            std::string base = "f" + std::to_string(++n);
            b.Drop(base + ".dat", "1\n100\n0\n");
            b.Run();
            EXPECT_EQ(b.Read(base + ".err"), "1\n100\n0\n$RESULT=" + c.code);
            EXPECT_EQ(b.ctl.Rows().front()[5], "NG(" + c.code + ")");
            EXPECT_EQ(b.ctl.StatusMessage(), c.message) << c.code;
        }
        EXPECT_EQ(b.ctl.StatusCode(), "113");
        EXPECT_EQ(b.terminal->Journal(), "");
    }
}

TEST(PaygateController, StopCancelsTheSaleWith3040) {
    PaygateBench b;
    b.StartTerminal("silent,approve");
    b.ctl.Open();
    b.Drop("s.dat", "1\n900\n");
    b.ctl.Tick();
    b.ctl.PumpEvents(200);
    ASSERT_TRUE(b.ctl.Busy());
    EXPECT_FALSE(b.ctl.Button2()); // stops, does not hide
    EXPECT_EQ(b.Read("s.err"), "1\n900\n$RESULT=3040");
    EXPECT_EQ(b.ctl.Rows().front()[5], "NG(3040)");
    EXPECT_EQ(b.ctl.StatusCode(), "0");
    EXPECT_TRUE(b.terminal->WaitFor("CANCELLED id=1 ext=1040"));
    EXPECT_EQ(b.terminal->Journal(), "");
    EXPECT_TRUE(b.ctl.Button2()); // idle: hide

    // The terminal is usable again at once.
    b.Drop("t.dat", "1\n5\n");
    b.Run();
    EXPECT_TRUE(b.Exists("t.fin"));
}

TEST(PaygateController, TestModeAnswersWithoutTheTerminal) {
    PaygateBench b;
    b.StartTerminal();
    b.ctl.Open();
    b.ctl.SetStatusMessage("test");
    b.Drop("m.dat", "1\n100\n");
    b.Run();
    EXPECT_EQ(b.Read("m.fin"), "1\n100\n$RESULT=0");
    EXPECT_EQ(b.ctl.Rows().front()[5], "OK");
    EXPECT_EQ(b.ctl.StatusMessage(), "test"); // stays on for the next request
    b.Drop("n.dat", "1\n100\n");
    b.Run();
    EXPECT_TRUE(b.Exists("n.fin"));
    EXPECT_EQ(b.terminal->Output().find("CLAIM"), std::string::npos);
}

TEST(PaygateController, PurgeAtStartKeepsHiddenFilesTheLogAndATraceOfEveryLeftover) {
    PaygateBench b;
    b.Drop("old.dat", "1\n1\n");
    b.Drop("lost.pro", "1\n12000\n345\n0\n0\n0\nP-77\n");
    b.Drop("done.fin", "1\n2500\n0\n0\n0\n0\nP-1\n$RESULT=0");
    b.Drop("bad.err", "2\n700$RESULT=3020"); // the result glued to the last line
    b.Drop("odd.err", "1\n5\n");             // its result line was never written
    b.Drop(".keep", "x");
    b.Drop("log/2023/12.csv", "old\r\n");
    b.ctl.Open();
    auto left = platform::FindFiles(b.m_requests, "*");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, ".keep");
    EXPECT_EQ(TempDir::Read(b.Req("log/2023/12.csv")), "old\r\n");

    // One row and one CSV line per leftover, whatever order the folder lists them in.
    std::map<std::string, PaygateController::Row> rows;
    for (const auto& row : b.ctl.Rows())
        rows[row[5]] = row;
    ASSERT_EQ(rows.size(), 5u);
    const auto& lost = rows[J("中断(lost)")];
    EXPECT_EQ(lost[1], "P-77");
    EXPECT_EQ(lost[3], "12,345");
    EXPECT_EQ(rows[J("未処理(old)")][3], "1");
    EXPECT_EQ(rows[J("未回収(done) OK")][1], "P-1");
    EXPECT_EQ(rows[J("未回収(done) OK")][3], "2,500");
    EXPECT_EQ(rows[J("未回収(bad) NG(3020)")][3], "700");
    EXPECT_EQ(rows[J("未回収(bad) NG(3020)")][4], J("デビット"));
    EXPECT_EQ(rows[J("未回収(odd)")][3], "5");
    const std::string csv = TempDir::Read(b.Req("log/2024/05.csv"));
    EXPECT_EQ(Count(csv, "\r\n"), 5);
    EXPECT_NE(
        csv.find(J(
            "\"2024/05/15 10:20:30\",\"P-77\",\"\",\"12,345\",\"クレジット\",\"中断(lost)\"\r\n")),
        std::string::npos)
        << csv;
    EXPECT_NE(csv.find(J("\"2,500\",\"クレジット\",\"未回収(done) OK\"\r\n")), std::string::npos);
}

TEST(PaygateController, CsvLogGoesToTheYearAndMonthFileAndFollowsItsBox) {
    PaygateBench b;
    b.StartTerminal();
    b.ctl.Open();
    EXPECT_TRUE(b.ctl.LogChecked());
    b.Drop("a.dat", J("3\n1000\n100\n0\n0\n0\nID\"1\n山田 \"花子\"\n"));
    b.Run();
    const std::string may = b.Req("log/2024/05.csv");
    EXPECT_EQ(TempDir::Read(may),
              J("\"2024/05/15 10:20:30\",\"ID'1\",\"山田 '花子'\",\"1,100\",\"銀聯\",\"OK\"\r\n"));

    b.clock.Set(2024, 6, 1, 0, 0, 1);
    b.Drop("b.dat", "1\n1\n");
    b.Run();
    EXPECT_TRUE(platform::FileExists(b.Req("log/2024/06.csv")));

    b.ctl.SetLogChecked(false);
    EXPECT_EQ(platform::GetProfileInt(b.ini, "Cashless", "Log", 1), 0);
    b.Drop("c.dat", "1\n1\n");
    b.Run();
    EXPECT_EQ(TempDir::Read(b.Req("log/2024/06.csv")).size(),
              TempDir::Read(b.Req("log/2024/06.csv")).find("\r\n") + 2); // one line only
}

TEST(PaygateController, ARequestThatCannotBeAnsweredIsNeverCharged) {
    PaygateBench b;
    b.StartTerminal();
    b.ctl.Open();
    b.Drop("dup.pro", "1\n1\n"); // a file of the processing name is in the way
    b.Drop("dup.dat", "1\n700\n");
    b.Drop("old.fin", "1\n1\n$RESULT=0"); // an answer the practice software has not collected
    b.Drop("old.dat", "1\n800\n");
    b.Run();
    EXPECT_TRUE(b.Exists("dup.dat"));
    EXPECT_TRUE(b.Exists("old.dat"));
    EXPECT_EQ(b.Read("dup.pro"), "1\n1\n");
    EXPECT_EQ(b.Read("old.fin"), "1\n1\n$RESULT=0");
    EXPECT_EQ(b.ctl.StatusCode(), "-1");
    EXPECT_TRUE(b.ctl.Rows().empty());
    EXPECT_TRUE(b.ctl.PollTimerRunning());

    // Other requests still go through; the blocked ones wait.
    b.Drop("next.dat", "1\n5\n");
    b.Run();
    b.Run();
    EXPECT_TRUE(b.Exists("next.fin"));
    EXPECT_TRUE(b.Exists("dup.dat"));
    EXPECT_EQ(Count(b.terminal->Output(), "SALE id="), 1);
    EXPECT_EQ(b.terminal->Output().find("amount=700"), std::string::npos);
    EXPECT_EQ(b.terminal->Output().find("amount=800"), std::string::npos);

    // Once the way is clear, they run.
    platform::RemoveFile(b.Req("dup.pro"));
    platform::RemoveFile(b.Req("old.fin"));
    b.Run();
    b.Run();
    EXPECT_TRUE(b.Exists("dup.fin"));
    EXPECT_EQ(b.Read("old.fin"), "1\n800\n$RESULT=0");
}

TEST(PaygateController, AbsurdRequestsGetADefinedAnswer) {
    PaygateBench b;
    b.StartTerminal();
    b.ctl.Open();

    // Amount beyond 32 bits: refused with 106 before the terminal.
    b.Drop("big.dat", "1\n99999999999999999999999\n0\n");
    b.Run();
    EXPECT_EQ(b.Read("big.err"), "1\n99999999999999999999999\n0\n$RESULT=106");
    EXPECT_EQ(b.ctl.StatusCode(), "106");

    // A megabyte line of digits in the tax line: refused as well.
    b.Drop("long.dat", "1\n5\n" + std::string(1 << 20, '7') + "\n");
    b.Run();
    EXPECT_TRUE(b.Exists("long.err"));

    // A megabyte name line and binary bytes: shown cut and cleaned, the sale runs.
    std::string bin = "1\n42\n0\n0\n0\n0\n";
    bin += std::string("\x01\x00\xff\x81", 4) + std::string(1 << 20, 'A') + "\n";
    bin += std::string("\x00\x00\r\x1b[31m", 8) + "\n";
    b.Drop("bin.dat", bin);
    b.Run();
    EXPECT_TRUE(b.Exists("bin.fin"));
    const auto& row = b.ctl.Rows().front();
    EXPECT_LE(row[1].size(), 255u);
    for (char c : row[1] + row[2])
        EXPECT_GE(static_cast<unsigned char>(c), 0x20);

    std::string out = b.terminal->Output();
    EXPECT_EQ(Count(out, "SALE id="), 1) << out;
    EXPECT_NE(out.find("amount=42"), std::string::npos);

    // Pure garbage: refused as an illegal argument.
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) & 0xff);
    b.Drop("junk.dat", junk);
    b.Run();
    EXPECT_TRUE(b.Exists("junk.err"));
    EXPECT_EQ(Count(b.terminal->Output(), "SALE id="), 1);
}

// Amounts a practice software must never charge: each is answered with 106 at once, listed and
// logged, and the terminal never sees it. A normal request right after is charged once.
TEST(PaygateController, AbsurdAmountsAreRefusedWithoutTheTerminal) {
    PaygateBench b;
    b.StartTerminal();
    b.ctl.Open();
    const std::string bad = J("金額が不正です: ");
    struct Case {
        std::string request, why;
    } cases[] = {
        {"1\n-1000\n0\n", J("金額が負の値です")},
        {"1\n1000\n-1000\n", J("税・その他が負の値です")},
        {"1\n1,000\n0\n", J("2行目(金額)が数字ではありません")},
        {"1\n1e3\n0\n", J("2行目(金額)が数字ではありません")},
        {"1\n1000\n10%\n", J("3行目(税・その他)が数字ではありません")},
        {"", J("合計が0円です")},
        {"2", J("合計が0円です")},
        {"1\n0\n0\n", J("合計が0円です")},
        {"2\n2147483647\n1\n", J("合計が上限(9,999,999円)を超えています")},
        {"1\n9999999\n1\n", J("合計が上限(9,999,999円)を超えています")},
        {std::string("\x01\xff\x81\n\x83\x5c\n", 6), J("2行目(金額)が数字ではありません")},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string base = "bad" + std::to_string(++n);
        b.Drop(base + ".dat", c.request);
        b.Run();
        ASSERT_TRUE(b.Exists(base + ".err")) << n;
        EXPECT_EQ(b.Read(base + ".err"), c.request + "$RESULT=106") << n;
        EXPECT_EQ(b.ctl.StatusCode(), "106") << n;
        EXPECT_EQ(b.ctl.StatusMessage(), bad + c.why) << n;
        EXPECT_EQ(b.ctl.Rows().front()[5], "NG(106)") << n;
        EXPECT_FALSE(b.ctl.Busy());
        EXPECT_TRUE(b.ctl.PollTimerRunning());
    }
    EXPECT_EQ(Count(TempDir::Read(b.Req("log/2024/05.csv")), "NG(106)"), n);
    EXPECT_EQ(b.terminal->Output().find("SALE"), std::string::npos) << b.terminal->Output();
    EXPECT_EQ(b.terminal->Output().find("CLAIM"), std::string::npos) << b.terminal->Output();
    EXPECT_EQ(Count(b.terminal->Journal(), "APPROVED"), 0);

    // Valid requests are charged as before: blanks around the numbers, a sign, a blank tax line,
    // exactly the limit, and terminal functions without an amount.
    struct Good {
        std::string request, sent;
    } good[] = {
        {"1\n 1000 \n\t0\n", "medium=1 amount=1000 tax=0"},
        {"1\n+1200\n\n", "medium=1 amount=1200 tax=0"},
        {"3\n9999000\n999\n", "medium=3 amount=9999999 tax=0"},
        {"10000\n", "medium=10000 amount=0 tax=0"},
    };
    int charged = 0;
    for (const auto& g : good) {
        const std::string base = "good" + std::to_string(++charged);
        b.Drop(base + ".dat", g.request);
        b.Run();
        ASSERT_TRUE(b.Exists(base + ".fin")) << g.request << b.ctl.StatusMessage();
        EXPECT_NE(b.terminal->Journal().find(g.sent), std::string::npos) << g.sent;
    }
    EXPECT_EQ(Count(b.terminal->Output(), "SALE id="), charged);

    // The limit is a setting of [Cashless], read at each request; nonsense keeps the default.
    platform::WriteProfileString(b.ini, "Cashless", "AmountLimit", "5000");
    b.Drop("over.dat", "1\n5001\n");
    b.Run();
    EXPECT_TRUE(b.Exists("over.err"));
    EXPECT_EQ(b.ctl.StatusMessage(), bad + J("合計が上限(5,000円)を超えています"));
    b.Drop("at.dat", "1\n4000\n1000\n");
    b.Run();
    EXPECT_TRUE(b.Exists("at.fin"));
    platform::WriteProfileString(b.ini, "Cashless", "AmountLimit", "0");
    EXPECT_EQ(b.ctl.AmountLimit(), 9999999);
}

TEST(PaygateController, TerminalLostDuringTheSaleAnswersWith111) {
    PaygateBench b;
    b.StartTerminal("silent");
    b.ctl.Open();
    b.Drop("gone.dat", "1\n300\n");
    b.ctl.Tick();
    ASSERT_TRUE(b.ctl.Busy());
    b.terminal->Stop();
    b.Settle();
    EXPECT_EQ(b.Read("gone.err"), "1\n300\n$RESULT=111");
    EXPECT_FALSE(b.ctl.Busy());
}

TEST(PaygateTexts, AmountsAndUnknownCodes) {
    EXPECT_EQ(PaygateTexts::DisplayAmount(0), "0");
    EXPECT_EQ(PaygateTexts::DisplayAmount(100), "100");
    EXPECT_EQ(PaygateTexts::DisplayAmount(1000), "1,000");
    EXPECT_EQ(PaygateTexts::DisplayAmount(-1234567), "-1,234,567");
    EXPECT_EQ(PaygateTexts::DisplayAmount(INT64_MIN), "-9,223,372,036,854,775,808");
    EXPECT_EQ(PaygateTexts::StatusMessage(108, 0), J("不明なエラー(108)"));
    EXPECT_EQ(PaygateTexts::StatusMessage(-5, 0), J("不明なエラー(-5)"));
    EXPECT_EQ(PaygateTexts::StatusMessage(114, 1050),
              J("売上金額、または 税／その他 に指定した値が許容値を超えています。"));
    EXPECT_EQ(PaygateTexts::KindName(5), "");
    EXPECT_FALSE(PaygateTexts::MergesTax(10000));
    EXPECT_TRUE(PaygateTexts::MergesTax(1200));
}

TEST(PaymentRequest, NumbersSaturateWithoutOverflowAndPlainNumbers) {
    constexpr std::int64_t kBound = (std::int64_t{1} << 62) - 1;
    EXPECT_EQ(PaymentRequest::ParseNumber("4611686018427387902"), kBound - 1);
    EXPECT_EQ(PaymentRequest::ParseNumber("4611686018427387903"), kBound);
    EXPECT_EQ(PaymentRequest::ParseNumber("4611686018427387904"), kBound);
    // Found by fuzzing: a value just below the bound was multiplied by ten before the check.
    EXPECT_EQ(PaymentRequest::ParseNumber("00011698452746056547442"), kBound);
    EXPECT_EQ(PaymentRequest::ParseNumber("-99999999999999999999999"), -kBound);
    // Found by fuzzing: two saturated amounts overflowed their sum.
    PaymentRequest both;
    both.amount = PaymentRequest::ParseNumber(std::string(30, '9'));
    both.taxOthers = both.amount;
    EXPECT_EQ(both.DisplayTotal(), 2 * kBound);
    both.amount = both.taxOthers = -kBound;
    EXPECT_EQ(both.DisplayTotal(), -2 * kBound);
    EXPECT_EQ(PaymentRequest::ParseNumber(" \t+12abc"), 12);
    EXPECT_EQ(PaymentRequest::ParseNumber("x1"), 0);

    for (const char* plain : {"0", " 12 ", "\t+1", "-1", "0012"})
        EXPECT_TRUE(PaymentRequest::IsPlainNumber(plain)) << plain;
    for (const char* other : {"", " ", "+", "1 2", "1,000", "1e3", "1.0", "12x", "\x82\x50"})
        EXPECT_FALSE(PaymentRequest::IsPlainNumber(other)) << other;
}
