#include "CPatientDB.h"
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "ProgramRun.h"
#include "TempDir.h"
#include "agent/core/Credentials.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class ClinicDb {
public:
    ProgramRun operator()(std::vector<std::string> args) {
        return ProgramRun::Start("clinicdb", args, m_scratch.Path());
    }

private:
    TempDir m_scratch;
};

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text)
        n += c == '\n';
    return n;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& f : platform::FindFiles(folder, "*"))
        names.push_back(f.name);
    return names;
}

} // namespace

TEST(ClinicDbTool, ImportShowAndSetRoundTrip) {
    TempDir dir;
    ClinicDb run;
    std::string folder = dir.File("db");
    ASSERT_EQ(run({"init", folder}).status, 0);
    std::string json = R"({
      "units": [{"code": "1", "name": "ユニット1"}, {"code": "2", "name": "旧", "unused": "__"}],
      "doctors": [{"code": "1", "name": "山本 一郎"}],
      "patients": [{"key": "0000004711", "name": "山田 太郎", "kana": "ﾔﾏﾀﾞ ﾀﾛｳ",
                    "birthday": "19800102", "characteristic": "高血圧"}],
      "reservations": [{"key": "0000000001", "patientKey": "0000004711", "date": "20250501",
                        "start": "1000", "end": "1030", "unit": "1", "doctor": "1",
                        "status": 1, "receptionTime": "0955", "memo": "一行目\r\n二行目",
                        "pendingId": 9007199254740993}],
      "sales": [{"saleNo": "0000000007", "patientKey": "0000004711", "date": "20250501",
                 "amount": 1200, "items": [{"name": "処置"}, {"name": "薬"}]}],
      "users": [{"id": 3, "staffCode": "admin", "name": "管理者", "password": "pw"}],
      "settings": {"clinicCode": "C001"}
    })";
    std::string file = dir.Write("in.json", json);
    ProgramRun r = run({"import", folder, file});
    ASSERT_EQ(r.status, 0) << r.err;

    r = run({"show", folder, "reservation"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("0000000001 key=0000000001 patientKey=0000004711", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" memo=一行目\\r\\n二行目 "), std::string::npos);
    EXPECT_NE(r.out.find(" pendingId=9007199254740993 "), std::string::npos);
    r = run({"show", folder, "category", "1"});
    EXPECT_EQ(Lines(r.out), 2);
    EXPECT_NE(r.out.find("1/2 kind=1 code=2 name=旧 unused=__"), std::string::npos);
    r = run({"show", folder, "sale_item", "0000000007"});
    EXPECT_EQ(r.out, "0000000007/0001 saleNo=0000000007 itemNo=0001 name=処置 amount=0 "
                     "quantity=0\n0000000007/0002 saleNo=0000000007 itemNo=0002 name=薬 "
                     "amount=0 quantity=0\n");
    r = run({"show", folder, "patient2", "0000004711"});
    EXPECT_NE(r.out.find("characteristic=高血圧"), std::string::npos);
    EXPECT_EQ(run({"show", folder, "patient", "0000000000"}).status, 1);

    // The records are the library's: CP932 in the buffers.
    CPatientDB pat(folder, 0);
    ASSERT_EQ(pat.GetPatient1Data("0000004711"), 0);
    EXPECT_EQ(std::string(pat.m_rec.kana), platform::J("ﾔﾏﾀﾞ ﾀﾛｳ"));

    // Re-importing replaces records of the same key.
    file = dir.Write("again.json", R"({"patients": [{"key": "0000004711", "name": "山田 花子"}]})");
    ASSERT_EQ(run({"import", folder, file}).status, 0);
    ASSERT_EQ(pat.GetPatient1Data("0000004711"), 0);
    EXPECT_EQ(std::string(pat.m_rec.name), platform::J("山田 花子"));

    ASSERT_EQ(run({"set", folder, "entry-folder", dir.File("entries")}).status, 0);
    CReservationDB res(folder, 1);
    EXPECT_EQ(res.GetEntryFolder(), dir.File("entries") + "/");
    EXPECT_EQ(run({"set", folder, "colour", "x"}).status, 2);
}

TEST(ClinicDbTool, BadInputExitsWithTwoAndImportsNothing) {
    TempDir dir;
    ClinicDb run;
    std::string folder = dir.File("db");
    ASSERT_EQ(run({"init", folder}).status, 0);

    auto importText = [&](const std::string& text) {
        return run({"import", folder, dir.Write("bad.json", text)});
    };
    // The last record is broken: the records before it must not stay either.
    for (
        const char* bad : {
            R"({"patients": [{"key": "0000000001", "name": "A"}, {"key": "0000000002", "birthday": "19801340"}]})",
            R"({"patients": [{"key": "0000000001"}], "doctors": [{"code": "1", "name": 5.5}]})",
            R"({"patients": [{"key": "0000000001"}], "reservations": [{"key": "1", "start": "2561"}]})",
            R"({"patients": [{"key": "0000000001", "colour": "red"}]})",
            R"({"patients": [{"key": "0000000001", "name": "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"}]})",
            R"({"patients": [{"key": "0000000001"}, {"name": "no key"}]})",
            R"({"patients": [{"key": "0000000001"}], "rooms": []})",
            R"({"patients": [{"key": "0000000001"}], "reservations": [{"key": "2", "status": 300}]})",
            R"({"patients": [{"key": "0000000001"}])",
            R"([1, 2])",
        }) {
        ProgramRun r = importText(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
        EXPECT_EQ(run({"show", folder, "patient"}).out, "") << "half-imported: " << bad;
    }
    EXPECT_EQ(run({"import", folder, dir.File("missing.json")}).status, 2);
    EXPECT_EQ(run({"show", folder, "rooms"}).status, 2);
    EXPECT_EQ(run({"show", dir.File("nowhere"), "patient"}).status, 2);
    EXPECT_EQ(run({"show", dir.Path(), "patient"}).status, 2) << "folder without a database";
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({}).status, 2);
    // Asked for, the usage is an answer, not an error.
    ProgramRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: clinicdb init FOLDER"), std::string::npos);
    EXPECT_EQ(help.err, "");
    EXPECT_FALSE(platform::FileExists(dir.File("nowhere/PelmoDB.sqlite")));
}

TEST(ClinicDbTool, EntryFilesAreCp932CrLfAndNeverOverwritten) {
    TempDir dir;
    ClinicDb run;
    std::string folder = dir.File("db");
    ASSERT_EQ(run({"init", folder}).status, 0);
    std::string entries = folder + "/EntryToWeb/";

    ProgramRun a = run({"entry", folder, "reservation", "UPDATE", "0000012345"});
    ProgramRun b = run({"entry", folder, "reservation", "UPDATE", "0000012345"});
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_NE(a.out, b.out);
    std::string pathA = a.out.substr(0, a.out.size() - 1);
    EXPECT_EQ(TempDir::Read(pathA), "UPDATE\r\nRegNo=0000012345\r\n");
    EXPECT_EQ(pathA.substr(pathA.size() - 4), ".txt");

    ASSERT_EQ(run({"entry", folder, "sale", "DELETE", "0000000009"}).status, 0);
    ASSERT_EQ(run({"entry", folder, "memo", "MEMO", "0000004711", "0000000003"}).status, 0);
    ProgramRun n = run({"entry", folder, "notice", "0000004711", "20250501", "休診のお知らせ",
                        "5月3日は休診です。\nよろしくお願いします。"});
    ASSERT_EQ(n.status, 0) << n.err;
    EXPECT_EQ(TempDir::Read(n.out.substr(0, n.out.size() - 1)),
              platform::J("0000004711\r\n20250501\r\n休診のお知らせ\r\n5月3日は休診です。\r\n"
                          "よろしくお願いします。\r\n"));
    ASSERT_EQ(run({"entry", folder, "patient", "0000004711"}).status, 0);
    ProgramRun again = run({"entry", folder, "patient", "0000004711"});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("already queued"), std::string::npos);
    EXPECT_EQ(TempDir::Read(entries + "0000004711.pat"), "");

    std::set<std::string> exts;
    for (const std::string& name : Entries(entries)) {
        EXPECT_EQ(name.find(".part"), std::string::npos) << "temporary file left: " << name;
        exts.insert(name.substr(name.rfind('.')));
    }
    EXPECT_EQ(Entries(entries).size(), 6u);
    EXPECT_EQ(exts, (std::set<std::string>{".txt", ".sale", ".memo", ".notice", ".pat"}));

    // Bad words, keys and dates write nothing.
    EXPECT_EQ(run({"entry", folder, "reservation", "update", "1"}).status, 2);
    EXPECT_EQ(run({"entry", folder, "reservation", "UPDATE", ""}).status, 2);
    EXPECT_EQ(run({"entry", folder, "sale", "MEMO", "1"}).status, 2);
    EXPECT_EQ(run({"entry", folder, "notice", "1", "20251301", "t", "c"}).status, 2);
    EXPECT_EQ(run({"entry", folder, "patient", "../x"}).status, 2);
    EXPECT_EQ(run({"entry", folder, "memo", "INSERT", "1"}).status, 2);
    EXPECT_EQ(run({"entry", folder, "fax", "1"}).status, 2);
    EXPECT_EQ(Entries(entries).size(), 6u);

    // A configured entry folder is used instead of EntryToWeb.
    ASSERT_EQ(run({"set", folder, "entry-folder", dir.File("queue")}).status, 0);
    ASSERT_EQ(run({"entry", folder, "sale", "INSERT", "0000000010"}).status, 0);
    EXPECT_EQ(Entries(dir.File("queue")).size(), 1u);
}

TEST(ClinicDbTool, DemoClinicAndEncipher) {
    TempDir dir;
    ClinicDb run;
    std::string folder = dir.File("demo");
    ProgramRun r = run({"demo", folder});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(run({"show", folder, "category", "1"}).out), 4);
    EXPECT_EQ(Lines(run({"show", folder, "category", "0"}).out), 8);
    EXPECT_EQ(Lines(run({"show", folder, "doctor"}).out), 3);
    EXPECT_EQ(Lines(run({"show", folder, "patient"}).out), 200);
    EXPECT_GE(Lines(run({"show", folder, "standby"}).out), 3);
    EXPECT_GT(Lines(run({"show", folder, "reservation"}).out), 50);
    // The booking service knows the demo clinic by its code.
    std::string code;
    EXPECT_EQ(CPelmoDBSys(folder + "/").GetClinicCode(code), 0);
    EXPECT_EQ(code, "DEMO0001");

    std::string hex = run({"encipher", "s3cret"}).out;
    ASSERT_FALSE(hex.empty());
    hex.pop_back();
    EXPECT_EQ(DecipherCredential(hex), "s3cret");
    EXPECT_EQ(run({"encipher"}).status, 2);
}
