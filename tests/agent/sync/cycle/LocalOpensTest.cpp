// How often a cycle opens the local database file: once, however many tables it reads, and a
// transaction over several tables keeps its writes to itself while the cycle's readers share
// the one connection.
#include <gtest/gtest.h>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/CWebLinkDB.h"
#include "outside/pelmodb/PelmoSchema.h"
#include "outside/pelmodb/PelmoTransaction.h"
#include "outside/pelmodb/SqliteConnection.h"

#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

long long OpensOf(const std::function<void()>& fn) {
    const long long before = SqliteConnection::OpenCount();
    fn();
    return SqliteConnection::OpenCount() - before;
}

void Book(TestClinic& clinic, const std::string& key) {
    TestReservation r;
    r.key = key;
    r.patient = "0000004711";
    clinic.BookReservation(r);
}

} // namespace

TEST(LocalOpens, AnIdleCycleOpensTheDatabaseOnceAndABusyOneReusesItsConnections) {
    WebDb db;
    TestClinic clinic;
    {
        CPelmoDBSys sys(clinic.DatabaseFolder());
        ASSERT_EQ(sys.SetClinicCode("C0042"), 0);
    }
    clinic.AddPatient("0000004711", "100", "山田 太郎");
    EngineTestAgent agent(clinic.Settings(), WebDbValues(db));
    ASSERT_TRUE(agent.Run().completed);

    for (int i = 0; i < 3; ++i) {
        CycleOutcome done;
        EXPECT_EQ(OpensOf([&] { done = agent.Run(); }), 1) << "idle cycle " << i;
        EXPECT_TRUE(done.completed);
    }

    for (int i = 0; i < 5; ++i)
        Book(clinic, "000000900" + std::to_string(i));
    CycleOutcome busy;
    const long long opens = OpensOf([&] { busy = agent.Run(); });
    EXPECT_TRUE(busy.completed);
    EXPECT_GE(opens, 1);
    EXPECT_LE(opens, 2) << "one shared connection, at most one more for linked writes";
    std::printf("opens: idle cycle 1, busy cycle (5 bookings) %lld\n", opens);
}

TEST(LocalOpens, ATransactionsWritesStayOutOfTheSharedConnectionUntilCommitted) {
    TestClinic clinic;
    const std::string folder = clinic.DatabaseFolder();
    CReservationDB reader(folder, 0);
    CReservationDB writer(folder, 1);
    CWebLinkDB links(folder, 1);
    ASSERT_EQ(reader.GetReservationData("0000000001"), 4);
    {
        PelmoTransaction tx({&writer, &links});
        ASSERT_EQ(tx.Status(), 0) << tx.GetLastDBErr();
        writer.ClearRecord();
        std::snprintf(writer.m_rec.key, sizeof writer.m_rec.key, "%s", "0000000001");
        std::snprintf(writer.m_rec.date, sizeof writer.m_rec.date, "%s", "20250310");
        ASSERT_EQ(writer.Insert(1), 0) << writer.GetLastDBErr();
        EXPECT_EQ(reader.GetReservationData("0000000001"), 4) << "the reader shares no open write";
        ASSERT_EQ(tx.Commit(), 0);
    }
    EXPECT_EQ(reader.GetReservationData("0000000001"), 0) << "committed writes are seen at once";
}

TEST(LocalOpens, AFileReplacedUnderTheSamePathIsOpenedAgain) {
    TestClinic clinic;
    const std::string folder = clinic.DatabaseFolder();
    CReservationDB held(folder, 0);
    ASSERT_EQ(held.Open(), 0);
    EXPECT_EQ(OpensOf([&] {
                  CReservationDB again(folder, 0);
                  EXPECT_EQ(again.GetReservationData("0000000001"), 4);
              }),
              0);

    // Another clinic database moved over the held one (a restore from a backup).
    TestClinic other;
    TestReservation r;
    r.key = "0000000001";
    other.AddReservation(r);
    const std::string file = PelmoSchema::DatabaseFile(folder);
    std::filesystem::copy_file(PelmoSchema::DatabaseFile(other.DatabaseFolder()), file + ".new");
    std::filesystem::rename(file + ".new", file);
    EXPECT_EQ(OpensOf([&] {
                  CReservationDB after(folder, 0);
                  EXPECT_EQ(after.GetReservationData("0000000001"), 0) << "the restored file";
              }),
              1);
}
