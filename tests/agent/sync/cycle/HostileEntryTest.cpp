// Texts and files a clinic really produces that once stopped the whole sync: characters whose
// second byte is 0x5C next to quotes, backslashes, semicolons and comments; entry files whose
// exchange fails; a web database that cannot be reached.
#include <gtest/gtest.h>

#include <sstream>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "agent/app/HeadlessRunner.h"
#include "agent/core/SqlLiterals.h"
#include "outside/pelmodb/CMemoDB.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/SystemClock.h"

using platform::J;

namespace {

std::string Key(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "%010d", n);
    return key;
}

// Texts (UTF-8) of at most 40 CP932 bytes: each 0x5C-trail character with quotes, backslashes
// and semicolons in various orders, and SQL comments.
const std::vector<std::string> kHostile = {
    "能';",          "ソ\\';",       "表';\\",       "十;'\\",    "予''\\\\;",
    "能'?",          "ソ'); -- x",   "表' /* c */;", "十\\",      "予'",
    "能\\\\'';DROP", "ソ;'--\r\nx'", "表'';'',",     "十\\'\\';", "予\"';#",
};

} // namespace

TEST(HostileEntries, OneCyclePublishesEveryTextByteExactAndLeavesNoFile) {
    TestClinic clinic;
    WebDb db;
    clinic.AddDoctor("D1", "佐藤");
    clinic.AddUnit("1", "ユニット1");
    for (size_t i = 0; i < kHostile.size(); ++i) {
        const std::string patient = Key(100 + static_cast<int>(i));
        clinic.AddPatient(patient, std::to_string(i), kHostile[i], "", "", "",
                          kHostile[(i + 1) % kHostile.size()]);
        TestReservation r;
        r.key = Key(9000 + static_cast<int>(i));
        r.patient = patient;
        r.memo = kHostile[(i + 2) % kHostile.size()];
        clinic.BookReservation(r);

        CMemoDB memo(clinic.DatabaseFolder(), 1);
        PutText(memo.m_rec.patientKey, patient);
        PutText(memo.m_rec.memoNo, "1");
        PutText(memo.m_rec.date, "20240105");
        PutText(memo.m_rec.updateDate, "20240106");
        PutText(memo.m_rec.text, J(kHostile[(i + 3) % kHostile.size()]));
        ASSERT_EQ(memo.Insert(), 0) << memo.GetLastDBErr();
        clinic.Entry(patient + ".memo", "MEMO\r\nPatientReg=" + patient + "\r\nMemoNo=1\r\n");
    }
    // A web row whose key holds such bytes, and the DELETE entry for it.
    const std::string badKey = J("能';表\\");
    db.Exec("INSERT INTO appointments(appo_key,patient_key) VALUES(" + SqlText(badKey) +
            ",'0000000001')");
    clinic.Entry("del.txt", "DELETE\r\nRegNo=" + badKey + "\r\n");
    // A key that is no text at all: nothing to delete, the file is done with.
    clinic.Entry("junk.txt", std::string("DELETE\r\nRegNo=\x81'\\;\xFF\r\n"));

    std::ostringstream out;
    OperationLog log(platform::SystemClock::Instance(), {});
    EngineState state;
    WebSession web(WebDbValues(db));
    HeadlessRunner runner(clinic.Settings(), web, log, platform::SystemClock::Instance(), state,
                          out);
    ASSERT_EQ(runner.Run(true), 0) << out.str();
    EXPECT_EQ(out.str().find("SQL"), std::string::npos) << out.str();

    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments"), std::to_string(kHostile.size()));
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM memo"), std::to_string(kHostile.size()));
    for (size_t i = 0; i < kHostile.size(); ++i) {
        const std::string where = " WHERE appo_key='" + Key(9000 + static_cast<int>(i)) + "'";
        EXPECT_EQ(db.Scalar("SELECT HEX(patient_name) FROM appointments" + where),
                  db.StoredHex(J(kHostile[i])))
            << i;
        EXPECT_EQ(db.Scalar("SELECT HEX(patient_comment) FROM appointments" + where),
                  db.StoredHex(J(kHostile[(i + 1) % kHostile.size()])))
            << i;
        EXPECT_EQ(db.Scalar("SELECT HEX(treatment_detail) FROM appointments" + where),
                  db.StoredHex(J(kHostile[(i + 2) % kHostile.size()])))
            << i;
        EXPECT_EQ(db.Scalar("SELECT HEX(memo) FROM memo WHERE patient_key='" +
                            Key(100 + static_cast<int>(i)) + "'"),
                  db.StoredHex(J(kHostile[(i + 3) % kHostile.size()])))
            << i;
    }
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM appointments WHERE appo_key=" + SqlText(badKey)),
              "0");
    EXPECT_TRUE(platform::FindFiles(clinic.EntryFolder(), "*").empty());
}

// An entry file whose exchange fails for another reason than a lost connection is named in the
// log with its key and the driver's text, once, and the files after it are still sent.
TEST(HostileEntries, AFailingFileIsNamedOnceAndHoldsUpNoOther) {
    TestClinic clinic;
    WebDb db;
    clinic.AddPatient("0000000001", "1", "山田 太郎");
    for (int i = 1; i <= 3; ++i) {
        TestReservation r;
        r.key = Key(i);
        r.patient = "0000000001";
        r.start = "0" + std::to_string(900 + i);
        clinic.AddReservation(r);
        clinic.Entry(r.key + ".txt", "UPDATE\r\nRegNo=" + r.key + "\r\n");
    }
    db.Exec("CREATE TRIGGER refuse_two BEFORE INSERT ON appointments FOR EACH ROW "
            "IF NEW.appo_key='0000000002' THEN SIGNAL SQLSTATE '45000' "
            "SET MESSAGE_TEXT='refused by the web'; END IF");

    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    for (int cycle = 0; cycle < 3; ++cycle) {
        CycleOutcome outcome = agent.Run();
        EXPECT_TRUE(outcome.completed);
    }
    EXPECT_EQ(db.Scalar("SELECT GROUP_CONCAT(appo_key ORDER BY appo_key) FROM appointments"),
              "0000000001,0000000003");
    EXPECT_FALSE(clinic.EntryExists("0000000001.txt"));
    EXPECT_TRUE(clinic.EntryExists("0000000002.txt"));
    EXPECT_FALSE(clinic.EntryExists("0000000003.txt"));
    // One line for the file in three cycles: its name, its key line, the driver's text.
    EXPECT_EQ(
        agent.LinesWith("エントリファイルを送信できません: 0000000002.txt (RegNo=0000000002)"), 1);
    EXPECT_EQ(agent.LinesWith("refused by the web"), 2); // the exchange's own line and the file's
}

// A server that cannot be reached is said once, with host and port and the driver's text,
// never with the password; a wrong password is said the same way.
TEST(HostileEntries, AnUnreachableWebDatabaseIsSaidOnce) {
    TestClinic clinic;
    clinic.Entry("1.txt", "INSERT\r\nRegNo=0000000001\r\n");
    WebConnectionValues down = UnreachableWeb();
    down.password = "secret-pass";
    EngineTestAgent agent(clinic.Settings(), down);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(agent.Run().webOpened);
    ASSERT_EQ(agent.LinesWith("[SQLエラー] Webデータベース(127.0.0.1:1)に接続できません: "), 1);
    EXPECT_EQ(agent.LinesWith("Can't connect"), 1);
    EXPECT_EQ(agent.LinesWith("secret-pass"), 0);
    EXPECT_TRUE(clinic.EntryExists("1.txt"));

    WebDb db;
    WebConnectionValues wrong = WebDbValues(db);
    wrong.password = "wrong-secret";
    EngineTestAgent refused(clinic.Settings(), wrong);
    EXPECT_FALSE(refused.Run().webOpened);
    EXPECT_EQ(refused.LinesWith("[SQLエラー] Webデータベース(" + WebDb::Host() + ":" +
                                std::to_string(WebDb::Port()) + ")に接続できません: "),
              1);
    EXPECT_EQ(refused.LinesWith("Access denied"), 1);
    EXPECT_EQ(refused.LinesWith("wrong-secret"), 0);
}
