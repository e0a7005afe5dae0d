// Web links and transactions over several record objects.
#include "CReservationDB.h"
#include "CWebLinkDB.h"
#include "PelmoSchema.h"
#include "PelmoTestDb.h"
#include "PelmoTransaction.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

void Fill(CWebLinkDB& links, const char* table, const char* id, char action, const char* key,
          const char* madeAt) {
    links.ClearRecord();
    Put(links.m_rec.webTable, table);
    Put(links.m_rec.webId, id);
    links.m_rec.action = action;
    Put(links.m_rec.reservationKey, key);
    Put(links.m_rec.madeAt, madeAt);
}

void FillReservation(CReservationDB& res, const char* key) {
    res.ClearRecord();
    Put(res.m_rec.key, key);
    Put(res.m_rec.patientKey, "++++++++++");
    Put(res.m_rec.date, "20250310");
    Put(res.m_rec.start, "1000");
    Put(res.m_rec.unit, "1");
}

void Sql(const std::string& folder, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(PelmoSchema::DatabaseFile(folder).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace

TEST(WebLinks, OneLinkPerRowConfirmedOutstandingAndPruned) {
    PelmoTestDb db;
    CWebLinkDB links(db.Folder(), 1);
    Fill(links, "first_appointments", "7", CWebLinkDB::kBooked, "0000000001", "20250301090000");
    ASSERT_EQ(links.Put(), 0) << links.GetLastDBErr();
    Fill(links, "first_appointments", "8", CWebLinkDB::kBooked, "0000000002", "20250301090000");
    ASSERT_EQ(links.Put(), 0);
    // The same id in another table is another row; a later change of a row replaces its link.
    Fill(links, "pending_appointments", "7", CWebLinkDB::kMoved, "0000000003", "20250301090000");
    ASSERT_EQ(links.Put(), 0);
    Fill(links, "first_appointments", "7", CWebLinkDB::kCancelled, "0000000004", "20250302090000");
    ASSERT_EQ(links.Put(), 0);
    EXPECT_EQ(links.GetRecordCount(), 3);

    CWebLinkDB reader(db.Folder(), 0);
    ASSERT_EQ(reader.GetWebLink("first_appointments", "7"), 0);
    EXPECT_EQ(reader.m_rec.action, CWebLinkDB::kCancelled);
    EXPECT_STREQ(reader.m_rec.reservationKey, "0000000004");
    EXPECT_EQ(reader.GetWebLink("first_appointments", "70"), 4);
    EXPECT_EQ(reader.GetWebLink("first_appointment", "7"), 4);

    EXPECT_EQ(links.Confirm("first_appointments", "8", "20250302100000"), 0);
    EXPECT_EQ(links.Confirm("first_appointments", "9", "20250302100000"), 4);
    std::vector<tagWebLink> open;
    ASSERT_EQ(reader.GetOutstanding("first_appointments", open), 0);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_STREQ(open[0].webId, "7");
    ASSERT_EQ(reader.GetOutstanding("appointments", open), 0);
    EXPECT_TRUE(open.empty());

    // Confirmed links go when confirmed before the first stamp (not at it); any link made
    // before the second goes too.
    EXPECT_EQ(links.Prune("20250302100000", "20250301090000"), 0);
    EXPECT_EQ(links.Prune("20250302100001", "20250301090000"), 1);
    EXPECT_EQ(reader.GetWebLink("first_appointments", "8"), 4);
    EXPECT_EQ(links.Prune("20250302100001", "20250302090000"), 1); // pending 7, outstanding
    EXPECT_EQ(reader.GetWebLink("first_appointments", "7"), 0);
    EXPECT_EQ(links.GetRecordCount(), 1);
}

TEST(WebLinks, TableIsMadeInADatabaseThatPredatesIt) {
    PelmoTestDb db;
    Sql(db.Folder(), "DROP TABLE web_link");
    {
        CWebLinkDB links(db.Folder(), 0);
        EXPECT_EQ(links.GetRecordCount(), 0) << links.GetLastDBErr();
    }

    // Also when the link object only ever writes on a transaction's connection.
    Sql(db.Folder(), "DROP TABLE web_link");
    CReservationDB res(db.Folder(), 1);
    CWebLinkDB links(db.Folder(), 1);
    {
        PelmoTransaction tx({&res, &links});
        ASSERT_EQ(tx.Status(), 0) << tx.GetLastDBErr();
        Fill(links, "first_appointments", "1", CWebLinkDB::kBooked, "0000000001",
             "20250301090000");
        EXPECT_EQ(links.Put(), 0) << links.GetLastDBErr();
        EXPECT_EQ(tx.Commit(), 0);
    }
    CWebLinkDB reader(db.Folder(), 0);
    EXPECT_EQ(reader.GetWebLink("first_appointments", "1"), 0);
}

TEST(PelmoTransaction, WritesOfSeveralTablesCommitOrRollBackTogether) {
    PelmoTestDb db;
    CReservationDB res(db.Folder(), 1);
    CWebLinkDB links(db.Folder(), 1);
    CReservationDB reader(db.Folder(), 0);

    // Ended without a commit: neither write stays.
    {
        PelmoTransaction tx({&res, &links});
        ASSERT_EQ(tx.Status(), 0);
        FillReservation(res, "0000000001");
        ASSERT_EQ(res.Insert(1), 0);
        Fill(links, "first_appointments", "1", CWebLinkDB::kBooked, "0000000001",
             "20250301090000");
        ASSERT_EQ(links.Put(), 0);
        // Another connection sees nothing before the commit.
        EXPECT_EQ(reader.GetReservationData("0000000001"), 4);
    }
    EXPECT_EQ(reader.GetReservationData("0000000001"), 4);
    EXPECT_EQ(links.GetRecordCount(), 0) << "the link object has its own connection again";

    // A failing write undoes only itself; the others commit.
    db.AddReservation("0000000002", "0000000100", "20250310", "1100", "1130", "1", "1");
    {
        PelmoTransaction tx({&res, &links});
        FillReservation(res, "0000000001");
        ASSERT_EQ(res.Insert(1), 0);
        FillReservation(res, "0000000002");
        EXPECT_EQ(res.Insert(1), 5); // the key exists
        Fill(links, "first_appointments", "1", CWebLinkDB::kBooked, "0000000001",
             "20250301090000");
        ASSERT_EQ(links.Put(), 0);
        EXPECT_EQ(tx.Commit(), 0);
        EXPECT_NE(tx.Commit(), 0) << "a transaction commits once";
    }
    EXPECT_EQ(reader.GetReservationData("0000000001"), 0);
    EXPECT_EQ(reader.GetReservationData("0000000002"), 0);
    EXPECT_STREQ(reader.m_rec.start, "1100");
    EXPECT_EQ(links.GetWebLink("first_appointments", "1"), 0);
}
