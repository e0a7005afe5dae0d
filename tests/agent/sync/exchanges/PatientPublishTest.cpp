// Patients, payments, treatment records, memos and notices through real cycles and the bulk
// sends: a temporary clinic, the private web database.
#include <gtest/gtest.h>

#include <sstream>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "agent/app/HeadlessBulkSend.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/sync/bulk/BulkSend.h"
#include "agent/sync/exchanges/ProcessSaleEntry.h"
#include "agent/sync/exchanges/PublishPatient.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

std::string Q(const WebDb& db, const std::string& sql) {
    return db.Scalar(sql).value_or("<NULL>");
}
long Count(const WebDb& db, const std::string& sql) {
    return std::stol(db.Scalar(sql).value_or("0"));
}
std::string PatientCol(const WebDb& db, const std::string& column, const std::string& key) {
    return Q(db, "SELECT " + column + " FROM patient_infos WHERE patient_key='" + key + "'");
}

void AddSale(const TestClinic& clinic, const std::string& no, int amount, int amount2,
             const std::vector<std::string>& itemNames) {
    CSaleDB sale(clinic.DatabaseFolder(), 1);
    PutText(sale.m_rec.saleNo, no);
    PutText(sale.m_rec.patientKey, "0000000001");
    PutText(sale.m_rec.date, "20240105");
    PutText(sale.m_rec.paymentType, "01");
    sale.m_rec.amount = amount;
    sale.m_rec.amount2 = amount2;
    ASSERT_EQ(sale.Insert(), 0) << sale.GetLastDBErr();
    CSaleItemDB items(clinic.DatabaseFolder(), 1);
    for (size_t i = 0; i < itemNames.size(); ++i) {
        items.ClearRecord();
        PutText(items.m_rec.saleNo, no);
        const std::string itemNo = std::to_string(1000 + i + 1).substr(1); // "0001"...
        PutText(items.m_rec.itemNo, itemNo);
        PutText(items.m_rec.name, itemNames[i]);
        ASSERT_EQ(items.Insert(), 0) << items.GetLastDBErr();
    }
}

void AddMemo(const TestClinic& clinic, const std::string& patient, const std::string& no,
             const std::string& date, const std::string& textUtf8) {
    CMemoDB memo(clinic.DatabaseFolder(), 1);
    PutText(memo.m_rec.patientKey, patient);
    PutText(memo.m_rec.memoNo, no);
    PutText(memo.m_rec.date, date);
    PutText(memo.m_rec.updateDate, "20240106");
    PutText(memo.m_rec.text, J(textUtf8));
    ASSERT_EQ(memo.Insert(), 0) << memo.GetLastDBErr();
}

} // namespace

TEST(PatientPublish, DisplayNumberCuts) {
    EXPECT_EQ(CutDisplayNumber("No.0123", 2), "0123");
    EXPECT_EQ(CutDisplayNumber(J("ＮＯ．０１２３ "), 2), "0123");
    EXPECT_EQ(CutDisplayNumber(J("0123 山田"), 1), "0123");
    EXPECT_EQ(CutDisplayNumber(J("0123　山田"), 1), "0123"); // full-width blank goes too
    EXPECT_EQ(CutDisplayNumber(J("山田"), 1), "");
    EXPECT_EQ(CutDisplayNumber(J("A山"), 1), "A");
    // A trail byte that looks like a digit or a blank is not taken for one.
    EXPECT_EQ(CutDisplayNumber(J("12ソ"), 1), "12");
    EXPECT_EQ(CutDisplayNumber(J("0123 山田  "), 0), J("0123 山田"));
    EXPECT_EQ(CutDisplayNumber(J("0123 山田"), 3), J("0123 山田"));
}

TEST(PatientPublish, PatientFilesThroughTheCycle) {
    TestClinic clinic;
    WebDb db;
    clinic.SetCommon("SHOWID_CUT", "2");
    clinic.AddPatient("0000000001", "No.0123", "山田 太郎", "ヤマダ タロウ", "19800102",
                      "0312345678", "表示ソ能", "ペニシリン");
    clinic.AddPatient("0000000002", J("0456 佐藤") /* CP932 already */, "佐藤 花子");
    clinic.Entry("0000000001.pat", "");
    clinic.Entry("0000000099.pat", ""); // no such patient yet
    clinic.Entry(".pat", "");           // no key: nothing to do

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_EQ(PatientCol(db, "patient_id", "0000000001"), "0123");
    EXPECT_EQ(PatientCol(db, "patient_name", "0000000001"), J("山田 太郎"));
    EXPECT_EQ(PatientCol(db, "patient_birthday", "0000000001"), "1980-01-02");
    EXPECT_EQ(PatientCol(db, "patient_comment", "0000000001"), J("表示ソ能"));
    EXPECT_EQ(PatientCol(db, "patient_characteristic", "0000000001"), J("ペニシリン"));
    EXPECT_EQ(agent.LinesWith("[Info] 患者送信(追加) No.0123 山田 太郎"), 1);
    EXPECT_FALSE(clinic.EntryExists("0000000001.pat"));
    EXPECT_FALSE(clinic.EntryExists(".pat"));
    EXPECT_TRUE(clinic.EntryExists("0000000099.pat"));
    // The patient search sees the patient as sent.
    EXPECT_EQ(agent.state.patientDirectory.Entries().count("0000000001"), 1u);
    EXPECT_EQ(agent.state.patientDirectory.Entries().count("0000000099"), 0u);

    // The unknown patient's file keeps waiting; with SHOWID_CUT 1 the name after the number goes.
    clinic.SetCommon("SHOWID_CUT", "1");
    clinic.Entry("0000000001.pat", "");
    clinic.Entry("0000000002.pat", "");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_TRUE(clinic.EntryExists("0000000099.pat"));
    EXPECT_EQ(PatientCol(db, "patient_id", "0000000002"), "0456");
    EXPECT_EQ(PatientCol(db, "patient_characteristic", "0000000002"), "<NULL>");
    EXPECT_EQ(PatientCol(db, "patient_id", "0000000001"), "No.0123");
    EXPECT_EQ(agent.LinesWith("患者送信(更新) No.0123"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos"), 2);

    clinic.AddPatient("0000000099", "99", "遅れて 登録");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_FALSE(clinic.EntryExists("0000000099.pat"));
    EXPECT_EQ(PatientCol(db, "patient_name", "0000000099"), J("遅れて 登録"));
}

TEST(PatientPublish, PaymentsWithLongDetailsTypeAndDeletion) {
    TestClinic clinic;
    WebDb db;
    {
        CCategoryDB c(clinic.DatabaseFolder(), 1);
        PutText(c.m_rec.kind, "2");
        PutText(c.m_rec.code, "01");
        PutText(c.m_rec.name, J("現金"));
        ASSERT_EQ(c.Insert(), 0);
    }
    // 40 items; byte 126 of the joined names is the first half of 歯.
    std::vector<std::string> names = {std::string(80, 'x'), std::string(44, 'y') + J("歯石")};
    while (names.size() < 40)
        names.push_back(J("薬"));
    AddSale(clinic, "0000000001", 5000, 1200, names);
    AddSale(clinic, "0000000002", 800, 0, {std::string(64, 'a'), std::string(63, 'b')});
    AddSale(clinic, "0000000003", 100, 0, {});
    clinic.Entry("a.sale", "INSERT\r\nSaleReg=0000000001\r\n");
    clinic.Entry("b.sale", "UPDATE\r\nSaleReg=0000000002\r\n");
    clinic.Entry("c.sale", "INSERT\r\nSaleReg=0000000003\r\n");
    clinic.Entry("d.sale", "INSERT\r\nSaleReg=0000000404\r\n"); // gone locally
    clinic.Entry("e.sale", "insert\r\nSaleReg=0000000001\r\n"); // unknown word

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    ASSERT_TRUE(agent.Run().completed);
    const std::string details =
        Q(db, "SELECT payment_details FROM payment_histories WHERE payment_id='0000000001'");
    EXPECT_EQ(details, std::string(80, 'x') + "," + std::string(44, 'y') + "..");
    EXPECT_EQ(Q(db, "SELECT amount FROM payment_histories WHERE payment_id='0000000001'"), "3800");
    EXPECT_EQ(Q(db, "SELECT payment_type FROM payment_histories WHERE payment_id='0000000001'"),
              J("現金"));
    EXPECT_EQ(Q(db, "SELECT payment_date FROM payment_histories WHERE payment_id='0000000001'"),
              "2024-01-05");
    // Exactly 128 bytes is sent whole.
    EXPECT_EQ(Q(db, "SELECT payment_details FROM payment_histories WHERE payment_id='0000000002'"),
              std::string(64, 'a') + "," + std::string(63, 'b'));
    EXPECT_EQ(Q(db, "SELECT payment_details FROM payment_histories WHERE payment_id='0000000003'"),
              "<NULL>");
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM payment_histories"), 3);
    EXPECT_EQ(agent.LinesWith("[Info] 入金情報更新 [reg=0000000001]"), 1);
    for (const char* f : {"a.sale", "b.sale", "c.sale", "d.sale", "e.sale"})
        EXPECT_FALSE(clinic.EntryExists(f)) << f;

    // Rewritten in place, then deleted.
    {
        CSaleDB sale(clinic.DatabaseFolder(), 1);
        ASSERT_EQ(sale.GetSaleData("0000000001"), 0);
        sale.m_rec.amount2 = 6000;
        ASSERT_EQ(sale.Update(), 0);
    }
    clinic.Entry("a.sale", "UPDATE\r\nSaleReg=0000000001\r\n");
    clinic.Entry("b.sale", "DELETE\r\nSaleReg=0000000002\r\n");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_EQ(Q(db, "SELECT amount FROM payment_histories WHERE payment_id='0000000001'"), "-1000");
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM payment_histories WHERE payment_id='0000000001'"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM payment_histories WHERE payment_id='0000000002'"), 0);
    EXPECT_EQ(agent.LinesWith("[Info] 入金情報削除 [reg=0000000002]"), 1);
}

TEST(PatientPublish, PaymentDetailsCutKeepsWholeCharacters) {
    const std::string kanji = J("歯"); // 2 bytes
    // Cut inside the character at byte 126: the character goes whole.
    EXPECT_EQ(CutPaymentDetails(std::string(125, 'a') + kanji + "zz"),
              std::string(125, 'a') + "..");
    // A character ending exactly at byte 126 stays.
    EXPECT_EQ(CutPaymentDetails(std::string(124, 'a') + kanji + "zzz"),
              std::string(124, 'a') + kanji + "..");
    EXPECT_EQ(CutPaymentDetails(std::string(129, 'a')), std::string(126, 'a') + "..");
    EXPECT_EQ(CutPaymentDetails(std::string(128, 'a')), std::string(128, 'a')); // still fits
}

TEST(PatientPublish, TreatmentRecordsMemosAndNotices) {
    TestClinic clinic;
    WebDb db;
    TestReservation r;
    r.patient = "0000000001";
    r.date = "20240105";
    r.key = "0000000501"; // booked, earlier that day: not the visit
    r.start = "0900";
    r.type = "07";
    clinic.AddReservation(r);
    r.key = "0000000502"; // the visit
    r.start = "1000";
    r.type = "03";
    r.status = 1;
    clinic.AddReservation(r);
    r.key = "0000000503"; // another patient's visit
    r.patient = "0000000002";
    r.type = "09";
    clinic.AddReservation(r);
    AddMemo(clinic, "0000000001", "1", "20240105", "抜歯\r\n経過良好");
    AddMemo(clinic, "0000000001", "2", "20240104", "電話連絡");
    AddMemo(clinic, "0000000002", "1", "20240104", "メモのみ");
    clinic.Entry("a.memo", "INSERT\r\nPatientReg=0000000001\r\nMemoNo=1\r\n");
    clinic.Entry("b.memo", "UPDATE\r\nPatientReg=0000000001\r\nMemoNo=2\r\n");
    clinic.Entry("c.memo", "INSERT\r\nPatientReg=0000000001\r\n"); // no number
    clinic.Entry("n1.notice", J("0000000001\r\n20240110\r\n\r\n次回は\r\n10日です\r\n"));
    clinic.Entry("n2.notice", "0000000001\r\n20240110\r\nTitle\r\n");  // no content
    clinic.Entry("n3.notice", J("\r\n20240110\r\nTitle\r\nbody\r\n")); // no key

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    ASSERT_TRUE(agent.Run().completed);
    const std::string where = " FROM treatment_details WHERE patient_key='0000000001' AND "
                              "treatment_id=";
    EXPECT_EQ(Q(db, "SELECT appo_type" + where + "'1'"), "03");
    EXPECT_EQ(Q(db, "SELECT treatment_details" + where + "'1'"), J("抜歯\r\n経過良好"));
    EXPECT_EQ(Q(db, "SELECT treatment_date" + where + "'1'"), "2024-01-05");
    EXPECT_EQ(Q(db, "SELECT created_at" + where + "'1'"), "2024-01-06 00:00:00");
    EXPECT_EQ(Q(db, "SELECT appo_type" + where + "'2'"), "<NULL>"); // no visit that day
    EXPECT_EQ(Q(db, "SELECT memo FROM memo WHERE patient_key='0000000001' AND treatment_id='1'"),
              J("抜歯\r\n経過良好"));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM memo"), 2);
    EXPECT_EQ(agent.LinesWith("[Info] 治療履歴更新 [reg=0000000001:1]"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM notifications"), 1);
    EXPECT_EQ(Q(db, "SELECT title FROM notifications"), J("お知らせ"));
    EXPECT_EQ(Q(db, "SELECT content FROM notifications"), J("次回は\r\n10日です"));
    EXPECT_EQ(Q(db, "SELECT notification_date FROM notifications"), "2024-01-10");
    EXPECT_EQ(agent.LinesWith("[Info] お知らせ送信 [reg=0000000001:お知らせ]"), 1);
    for (const char* f : {"a.memo", "b.memo", "c.memo", "n1.notice", "n2.notice", "n3.notice"})
        EXPECT_FALSE(clinic.EntryExists(f)) << f;

    // MEMO: the record became a memo only; its treatment row goes, the memo row is rewritten.
    {
        CMemoDB memo(clinic.DatabaseFolder(), 1);
        ASSERT_EQ(memo.GetMemoData("0000000001", "1"), 0);
        PutText(memo.m_rec.text, J("メモに変更"));
        ASSERT_EQ(memo.Update(), 0);
    }
    clinic.Entry("a.memo", "MEMO\r\nPatientReg=0000000001\r\nMemoNo=1\r\n");
    clinic.Entry("b.memo", "DELETE\r\nPatientReg=0000000001\r\nMemoNo=2\r\n");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM treatment_details"), 0);
    EXPECT_EQ(Q(db, "SELECT memo FROM memo WHERE patient_key='0000000001' AND treatment_id='1'"),
              J("メモに変更"));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM memo"), 1);
    EXPECT_EQ(agent.LinesWith("[Info] 治療履歴削除 [reg=0000000001:2]"), 1);

    // A web table that refuses the treatment row keeps the file; the memo row's failure alone
    // does not.
    db.Exec("ALTER TABLE treatment_details RENAME TO treatment_details_gone");
    db.Exec("ALTER TABLE memo RENAME TO memo_gone");
    clinic.Entry("a.memo", "INSERT\r\nPatientReg=0000000001\r\nMemoNo=1\r\n");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_TRUE(clinic.EntryExists("a.memo"));
    // The statement's own error, then the kept file named with it: two lines, no more.
    EXPECT_EQ(agent.LinesWith("[SQLエラー]"), 2);
    EXPECT_EQ(agent.LinesWith("[SQLエラー] エントリファイルを送信できません: a.memo"), 1);
    db.Exec("ALTER TABLE treatment_details_gone RENAME TO treatment_details");
    ASSERT_TRUE(agent.Run().completed);
    EXPECT_FALSE(clinic.EntryExists("a.memo"));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM treatment_details"), 1);
}

namespace {

struct BulkRig {
    explicit BulkRig(WebDb& web) : db(web), agent(clinic.Settings(), WebDbValues(web)) {
        CPelmoDBSys sys(clinic.DatabaseFolder());
        EXPECT_EQ(sys.SetEntryFolder(clinic.EntryFolder()), 0);
    }
    BulkSend::Hooks Hooks() {
        BulkSend::Hooks h;
        h.confirm = [this](const std::string& q) {
            questions.push_back(q);
            return answer;
        };
        h.progress = [this](int current, int total) {
            progress.push_back(current);
            lastTotal = total;
        };
        h.pumpEvents = [this] {
            if (onPump)
                onPump();
        };
        h.stopTimer = [this] {
            ++timerStops;
            return true;
        };
        h.restartTimer = [this] { ++timerRestarts; };
        return h;
    }
    // The id the server gives the agent's own connection.
    std::string ConnectionId() {
        CRecordset rs(&agent.web.Database());
        rs.Open(CRecordset::forwardOnly, "SELECT CONNECTION_ID()", CRecordset::readOnly);
        return GetFieldText(rs, "");
    }

    TestClinic clinic;
    WebDb& db;
    EngineTestAgent agent;
    std::vector<std::string> questions;
    std::vector<int> progress;
    bool answer = true;
    int lastTotal = 0;
    int timerStops = 0;
    int timerRestarts = 0;
    std::function<void()> onPump;
};

} // namespace

TEST(PatientPublish, BulkSendResumesTheSamePatientAfterTheConnectionIsKilled) {
    WebDb db;
    BulkRig rig(db);
    for (int i = 1; i <= 6; ++i)
        rig.clinic.AddPatient("000000000" + std::to_string(i), "No." + std::to_string(i),
                              "患者 " + std::to_string(i));
    {
        CPatientDB p(rig.clinic.DatabaseFolder(), 1);
        ASSERT_EQ(p.GetPatient1Data("0000000004"), 0);
        p.m_rec.deleted = 1;
        ASSERT_EQ(p.Update(), 0);
    }
    db.Exec("INSERT INTO patient_infos(patient_key,patient_id) VALUES('0000000001','old')");
    rig.clinic.SetCommon("SHOWID_CUT", "2");

    BulkSend bulk(rig.agent.settings, rig.agent.web, rig.agent.log, rig.Hooks());
    bulk.SetBatchRows(1); // record by record, as a record the batch cannot carry goes
    int pumps = 0;
    BulkSend::Result nested;
    rig.onPump = [&] {
        if (++pumps == 2) {
            nested = bulk.SendAllMemos(rig.clinic.DatabaseFolder()); // refused while busy
            rig.db.Exec("KILL CONNECTION " + rig.ConnectionId());
        }
    };
    const BulkSend::Result result = bulk.SendAllPatients(rig.clinic.DatabaseFolder());

    EXPECT_FALSE(nested.ran);
    ASSERT_TRUE(result.ran);
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.added, 4);
    EXPECT_EQ(result.updated, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(result.lostAttempts, 1);
    // The third patient was tried twice; the deleted fourth was passed over uncounted.
    EXPECT_EQ(rig.progress, (std::vector<int>{1, 2, 3, 3, 4, 5}));
    EXPECT_EQ(rig.lastTotal, 6);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos"), 5);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos WHERE patient_key='0000000004'"), 0);
    EXPECT_EQ(PatientCol(db, "patient_id", "0000000001"), "1");
    EXPECT_EQ(rig.questions, std::vector<std::string>{J("患者情報を一括で送信します。")});
    EXPECT_EQ(rig.timerStops, 1);
    EXPECT_EQ(rig.timerRestarts, 1);

    const auto& lines = rig.agent.log.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_NE(lines[0].find(J("[Info] 患者情報送信結果 追加[4]件 更新[1]件 失敗[0]件")),
              std::string::npos);
    EXPECT_EQ(lines[1], J("患者情報送信中 [    5] / [    6]")); // replaced in place
    // One progress line before the error line and one after it: each replaced in place.
    EXPECT_EQ(rig.agent.LinesWith("患者情報送信中"), 2);
    EXPECT_EQ(rig.agent.LinesWith("[SQLエラー]"), 1);
    EXPECT_EQ(rig.agent.LinesWith("[Info] 患者情報一括送信"), 1);
    EXPECT_FALSE(rig.agent.web.Database().IsOpen());
}

TEST(PatientPublish, BulkMemoSendAndItsPreconditions) {
    WebDb db;
    BulkRig rig(db);
    AddMemo(rig.clinic, "0000000002", "7", "20240103", "二番目");
    AddMemo(rig.clinic, "0000000001", "1", "20240101", "一番目");
    AddMemo(rig.clinic, "0000000001", "2", "20240102", "ソ表能");
    db.Exec("INSERT INTO memo(patient_key,treatment_id,memo) VALUES('0000000001','2','old')");

    rig.answer = false; // Cancel
    BulkSend bulk(rig.agent.settings, rig.agent.web, rig.agent.log, rig.Hooks());
    EXPECT_FALSE(bulk.SendAllMemos(rig.clinic.DatabaseFolder()).ran);
    EXPECT_TRUE(rig.agent.log.Lines().empty());

    rig.answer = true;
    BulkSend::Result result = bulk.SendAllMemos(rig.clinic.DatabaseFolder());
    ASSERT_TRUE(result.ran);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.updated, 1);
    EXPECT_EQ(rig.progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Q(db, "SELECT memo FROM memo WHERE patient_key='0000000001' AND treatment_id='2'"),
              J("ソ表能"));
    EXPECT_EQ(Q(db, "SELECT date FROM memo WHERE patient_key='0000000002'"), "2024-01-03");
    EXPECT_NE(rig.agent.log.Lines()[0].find(J("患者メモ送信結果 追加[2]件 更新[1]件 失敗[0]件")),
              std::string::npos);
    EXPECT_EQ(rig.agent.log.Lines()[1], J("患者メモ送信中 [    3] / [    3]"));

    // Without a configured entry folder the command ends silently, before touching the web.
    CPelmoDBSys(rig.clinic.DatabaseFolder()).SetEntryFolder("");
    const size_t before = rig.agent.log.Lines().size();
    EXPECT_FALSE(bulk.SendAllPatients(rig.clinic.DatabaseFolder()).ran);
    EXPECT_EQ(rig.agent.log.Lines().size(), before);
    EXPECT_EQ(rig.timerStops, 1);
}

TEST(PatientPublish, HeadlessBulkSendPrintsItsProgress) {
    WebDb db;
    BulkRig rig(db);
    rig.clinic.AddPatient("0000000001", "1", "患者 1");
    rig.clinic.AddPatient("0000000002", "2", "患者 2");
    std::ostringstream out;
    EXPECT_EQ(
        RunHeadlessBulkSend(rig.agent.settings, rig.agent.web, BulkKind::Patients, out, false), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find("患者情報一括送信\n"), std::string::npos) << text;
    EXPECT_NE(text.find("患者情報送信中 [    1] / [    2]\n患者情報送信中 [    2] / [    2]\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("患者情報送信結果 追加[2]件 更新[0]件 失敗[0]件"), std::string::npos);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos"), 2);

    std::ostringstream terminal;
    EXPECT_EQ(
        RunHeadlessBulkSend(rig.agent.settings, rig.agent.web, BulkKind::Memos, terminal, true), 0);
    EXPECT_NE(terminal.str().find("患者メモ送信結果 追加[0]件"), std::string::npos);

    CPelmoDBSys(rig.clinic.DatabaseFolder()).SetEntryFolder("");
    std::ostringstream none;
    EXPECT_EQ(
        RunHeadlessBulkSend(rig.agent.settings, rig.agent.web, BulkKind::Patients, none, true), 1);
}

TEST(PatientPublish, BulkSendEndsWhenTheServerCannotBeReachedAgain) {
    WebDb db;
    BulkRig rig(db);
    for (int i = 1; i <= 4; ++i)
        rig.clinic.AddPatient("000000000" + std::to_string(i), std::to_string(i), "患者");
    BulkSend bulk(rig.agent.settings, rig.agent.web, rig.agent.log, rig.Hooks());
    bulk.SetBatchRows(1);
    int pumps = 0;
    rig.onPump = [&] {
        if (++pumps == 2) {
            const std::string id = rig.ConnectionId();
            rig.agent.web.SetValues(UnreachableWeb());
            rig.db.Exec("KILL CONNECTION " + id);
        }
    };
    const BulkSend::Result result = bulk.SendAllPatients(rig.clinic.DatabaseFolder());
    EXPECT_TRUE(result.ran);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.lostAttempts, 1);
    EXPECT_EQ(rig.progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rig.agent.LinesWith("[エラー] 一括送信中断"), 1);
    EXPECT_NE(rig.agent.log.Lines()[0].find(J("患者情報送信結果 追加[2]件 更新[0]件 失敗[0]件")),
              std::string::npos);
    EXPECT_EQ(rig.timerRestarts, 1);
    EXPECT_FALSE(bulk.Busy());
}

namespace {

// Every row of a table in id order, without the id and the server's own time stamps.
std::vector<WebDb::Row> TableRows(const WebDb& db, const std::string& table,
                                  const std::string& columns) {
    return db.Query("SELECT " + columns + " FROM " + table + " ORDER BY id");
}

const char* const kPatientColumns =
    "patient_key,patient_id,patient_name,patient_name_kana,patient_birthday,patient_tel,"
    "patient_comment,patient_characteristic";
const char* const kMemoColumns = "patient_key,treatment_id,date,memo";

} // namespace

TEST(PatientPublish, BatchedAndOneByOneSendsLeaveTheSameTables) {
    WebDb batched;
    WebDb single;
    BulkRig rig(batched);
    // More than two batches of ordinary patients, CP932 texts whose second byte is 0x5C among
    // them, and the records a batch must not carry: keys the server may take as equal (case,
    // trailing blank), a non-ASCII key, an empty key (refused by the server), and a birthday
    // the server refuses, which makes its batch statement fail.
    for (int i = 1; i <= 450; ++i) {
        char key[11];
        std::snprintf(key, sizeof key, "%010d", i);
        rig.clinic.AddPatient(key, std::to_string(i) + J(" 山田"),
                              "山田 ソ表能" + std::to_string(i), "ヤマダ", i % 7 ? "19800102" : "",
                              "03-1234", "コメント\\" + std::to_string(i),
                              i % 3 ? "" : "ペニシリン");
    }
    rig.clinic.AddPatient("abc", "1", "小文字");
    rig.clinic.AddPatient("ABC", "2", "大文字");
    rig.clinic.AddPatient("k1", "3", "空白なし");
    rig.clinic.AddPatient("k1 ", "4", "空白あり");
    rig.clinic.AddPatient(J("患者"), "5", "漢字の鍵");
    rig.clinic.AddPatient("", "6", "鍵なし");
    rig.clinic.AddPatient("0000000500", "7", "誕生日が変", "", "20230230");
    rig.clinic.AddPatient("bad-new", "8", "誕生日が変", "", "20230231");
    {
        CPatientDB p(rig.clinic.DatabaseFolder(), 1);
        ASSERT_EQ(p.GetPatient1Data("0000000004"), 0);
        p.m_rec.deleted = 1;
        ASSERT_EQ(p.Update(), 0);
    }
    for (int i = 1; i <= 420; ++i)
        AddMemo(rig.clinic, "000000" + std::to_string(1000 + i % 50), std::to_string(i),
                i % 11 ? "20240103" : "", "メモ ソ表能 " + std::to_string(i));
    AddMemo(rig.clinic, "0000000001", "x", "20240230", "日付が変");
    AddMemo(rig.clinic, "0000000001", "X", "20240101", "大文字");
    rig.clinic.SetCommon("SHOWID_CUT", "1");
    for (const WebDb* db : {&batched, &single}) {
        // Rows already there: some of the ordinary ones and one whose update is refused.
        db->Exec("INSERT INTO patient_infos(patient_key,patient_id) VALUES('0000000002','old'),"
                 "('0000000300','old'),('0000000500','old'),('ABC','old')");
        db->Exec("INSERT INTO memo(patient_key,treatment_id,memo) VALUES('0000001001','1','old'),"
                 "('0000001010','260','old')");
    }

    BulkSend bulk(rig.agent.settings, rig.agent.web, rig.agent.log, rig.Hooks());
    const BulkSend::Result patientsBatched = bulk.SendAllPatients(rig.clinic.DatabaseFolder());
    const BulkSend::Result memosBatched = bulk.SendAllMemos(rig.clinic.DatabaseFolder());
    const std::vector<int> progress = rig.progress;
    const int errorsBatched = rig.agent.LinesWith("[SQLエラー]");

    rig.agent.web.SetValues(WebDbValues(single));
    bulk.SetBatchRows(1);
    const BulkSend::Result patientsSingle = bulk.SendAllPatients(rig.clinic.DatabaseFolder());
    const BulkSend::Result memosSingle = bulk.SendAllMemos(rig.clinic.DatabaseFolder());

    EXPECT_EQ(TableRows(batched, "patient_infos", kPatientColumns),
              TableRows(single, "patient_infos", kPatientColumns));
    EXPECT_EQ(TableRows(batched, "memo", kMemoColumns), TableRows(single, "memo", kMemoColumns));
    for (const auto& [b, s] :
         {std::pair{patientsBatched, patientsSingle}, std::pair{memosBatched, memosSingle}}) {
        EXPECT_TRUE(b.completed);
        EXPECT_EQ(b.added, s.added);
        EXPECT_EQ(b.updated, s.updated);
        EXPECT_EQ(b.failed, s.failed);
    }
    // The refused records are named once each, as the one-by-one statements name them (no key,
    // two birthdays, one memo date); a refused batch statement adds no line. The second pass
    // repeats the no-key text word for word, which the log suppresses as a repeat.
    EXPECT_EQ(errorsBatched, 4);
    EXPECT_EQ(rig.agent.LinesWith("[SQLエラー]") - errorsBatched, 3);
    EXPECT_EQ(patientsBatched.failed, 3); // no key, and the two impossible birthdays
    EXPECT_EQ(memosBatched.failed, 1);
    // 2, 300, ABC, then abc and "k1 " found as the rows of ABC and k1.
    EXPECT_EQ(patientsBatched.updated, 5);
    // Progress moved record by record: 457 patients (one deleted), then 422 memos.
    ASSERT_EQ(progress.size(), 457u + 422u);
    EXPECT_EQ(progress[0], 1);
    EXPECT_EQ(progress[456], 457);
    EXPECT_EQ(progress[457], 1);
    EXPECT_EQ(progress.back(), 422);
    EXPECT_EQ(PatientCol(batched, "patient_name", "0000000010"), J("山田 ソ表能10"));
}

TEST(PatientPublish, BatchCutMidwayIsRetriedWithoutWritingOrCountingTwice) {
    WebDb db;
    BulkRig rig(db);
    for (int i = 1; i <= 6; ++i)
        rig.clinic.AddPatient("000000000" + std::to_string(i), std::to_string(i), "患者");
    db.Exec("INSERT INTO patient_infos(patient_key,patient_id) VALUES('0000000001','old')");
    db.Exec("CREATE TABLE writes(kind VARCHAR(8))");
    db.Exec("CREATE TRIGGER counted_update AFTER UPDATE ON patient_infos FOR EACH ROW "
            "INSERT INTO writes VALUES('update')");
    db.Exec("CREATE TRIGGER counted_insert AFTER INSERT ON patient_infos FOR EACH ROW "
            "INSERT INTO writes VALUES('insert')");

    BulkSend bulk(rig.agent.settings, rig.agent.web, rig.agent.log, rig.Hooks());
    int pumps = 0;
    rig.onPump = [&] {
        // The batch's look, then its UPDATE; the connection goes before its INSERT.
        if (++pumps == 2)
            rig.db.Exec("KILL CONNECTION " + rig.ConnectionId());
    };
    const BulkSend::Result result = bulk.SendAllPatients(rig.clinic.DatabaseFolder());
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.added, 5);
    EXPECT_EQ(result.updated, 1);
    EXPECT_EQ(result.failed, 0);
    EXPECT_EQ(result.lostAttempts, 1);
    EXPECT_EQ(rig.progress, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM writes WHERE kind='update'"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM writes WHERE kind='insert'"), 5);
    EXPECT_EQ(Count(db, "SELECT COUNT(DISTINCT patient_key) FROM patient_infos"), 6);
    EXPECT_EQ(PatientCol(db, "patient_id", "0000000001"), "1");
    EXPECT_EQ(rig.agent.LinesWith("[SQLエラー]"), 1);

    // The server gone for good in the middle of a batch (after its UPDATE, before its INSERT):
    // the walk ends, and what was written is counted.
    rig.progress.clear();
    db.Exec("DELETE FROM patient_infos WHERE patient_key>'0000000003'");
    pumps = 0;
    rig.onPump = [&] {
        if (++pumps == 2) {
            const std::string id = rig.ConnectionId();
            rig.agent.web.SetValues(UnreachableWeb());
            rig.db.Exec("KILL CONNECTION " + id);
        }
    };
    const BulkSend::Result cut = bulk.SendAllPatients(rig.clinic.DatabaseFolder());
    EXPECT_FALSE(cut.completed);
    EXPECT_EQ(cut.updated, 3);
    EXPECT_EQ(cut.added, 0);
    EXPECT_EQ(cut.failed, 0);
    EXPECT_EQ(cut.lostAttempts, 1);
    EXPECT_EQ(rig.progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(rig.agent.LinesWith("[エラー] 一括送信中断"), 1);
    EXPECT_EQ(Count(db, "SELECT COUNT(*) FROM patient_infos"), 3);
}

TEST(PatientPublish, BatchKeysKeepApartOnlyWhatTheServerCannotConfuse) {
    const auto key = [](std::vector<std::string> keys) {
        BulkRows::Row row;
        row.keys = std::move(keys);
        return BulkRows::BatchKey(row);
    };
    EXPECT_EQ(key({"'abc'"}), key({"'ABC  '"}));
    EXPECT_NE(key({"'ab'", "'c'"}), key({"'a'", "'bc'"}));
    EXPECT_NE(key({"'0001'"}), key({"'001'"}));
    EXPECT_FALSE(key({"NULL"}));
    EXPECT_FALSE(key({"'" + J("患者") + "'"}));
    EXPECT_FALSE(key({"'a\tb'"}));
    EXPECT_FALSE(key({"'1'", "NULL"}));
    EXPECT_TRUE(key({"'It''s'"}));
}
