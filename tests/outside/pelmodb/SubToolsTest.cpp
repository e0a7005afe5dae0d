#include "CCategoryDB.h"
#include "CDoctorDB.h"
#include "CPatientDB.h"
#include "CPelmoDBSys.h"
#include "CPelmoSubTools.h"
#include "CSaleDB.h"
#include "PelmoEnum.h"
#include "PelmoTestDb.h"

#include <gtest/gtest.h>

TEST(SubTools, ReservationToSaleRecordsTheSaleOnTheStoredReservation) {
    PelmoTestDb db;
    db.AddReservation("0000000010", "0000004711", "20250501", "1000", "1030", "1", "1");
    CReservationDB res(db.Folder(), 1);
    CSaleDB sale(db.Folder(), 1);
    res.SetAssociatedDB(nullptr);
    sale.SetAssociatedDB(nullptr);
    ASSERT_EQ(res.GetReservationData("0000000010"), 0);
    res.m_rec.amount = 3200;
    res.m_rec.status = 1; // the caller's pending change, not yet written

    ASSERT_EQ(CPelmoSubTools::ReservationToSale(nullptr, &res), 0) << CPelmoSubTools::LastError();
    std::string saleNo = res.m_rec.saleNo;
    EXPECT_EQ(saleNo, "0000000001");
    EXPECT_EQ(res.m_rec.status, 1) << "the caller's buffer keeps its other changes";
    ASSERT_EQ(sale.GetSaleData(saleNo), 0);
    EXPECT_STREQ(sale.m_rec.patientKey, "0000004711");
    EXPECT_STREQ(sale.m_rec.date, "20250501");
    EXPECT_STREQ(sale.m_rec.reservationKey, "0000000010");
    EXPECT_EQ(sale.m_rec.amount, 3200);

    // Even when the caller's own write-back fails later, the stored reservation names the sale,
    // so the next attempt makes no second sale.
    CReservationDB fresh(db.Folder(), 0);
    ASSERT_EQ(fresh.GetReservationData("0000000010"), 0);
    EXPECT_EQ(std::string(fresh.m_rec.saleNo), saleNo);
    EXPECT_EQ(fresh.m_rec.status, 0);

    // A second sale gets its own number; a reservation that is not stored makes none.
    ASSERT_EQ(CPelmoSubTools::ReservationToSale(&sale, &res), 0);
    EXPECT_STREQ(sale.m_rec.saleNo, "0000000002");
    Put(res.m_rec.key, "0000000099");
    EXPECT_EQ(CPelmoSubTools::ReservationToSale(nullptr, &res), 4);
    EXPECT_EQ(sale.GetRecordCount(), 2);

    // Finished date.
    CPatientDB pat(db.Folder(), 1);
    Put(pat.m_rec.key, "0000004711");
    ASSERT_EQ(pat.Insert(), 0);
    EXPECT_EQ(CPelmoSubTools::SetFinishedDate("0000004711", db.Folder(), 1, "20250501"), 0);
    ASSERT_EQ(pat.GetPatient1Data("0000004711"), 0);
    EXPECT_STREQ(pat.m_rec.lastFinishedDate, "20250501");
    EXPECT_EQ(CPelmoSubTools::SetFinishedDate("0000000001", db.Folder(), 1), 4);
    EXPECT_EQ(CPelmoSubTools::SetFinishedDate("0000004711", db.Folder(), 1), 0);
    ASSERT_EQ(pat.GetPatient1Data("0000004711"), 0);
    EXPECT_EQ(std::strlen(pat.m_rec.lastFinishedDate), 8u);
}

TEST(SubTools, ResourceListsHonourTheUnusedMarker) {
    PelmoTestDb db;
    CCategoryDB cat(db.Folder(), 1);
    struct Row {
        const char* kind;
        const char* code;
        const char* name;
        const char* unused;
    };
    for (Row r : {Row{"1", "1", "U1", ""}, Row{"1", "2", "U2", "__"}, Row{"1", "3", "U3", "_"},
                  Row{"0", "01", "T1", ""}, Row{"2", "1", "Cash", ""}}) {
        cat.ClearRecord();
        Put(cat.m_rec.kind, r.kind);
        Put(cat.m_rec.code, r.code);
        Put(cat.m_rec.name, r.name);
        Put(cat.m_rec.unused, r.unused);
        ASSERT_EQ(cat.Insert(), 0);
    }
    CDoctorDB doc(db.Folder(), 1);
    for (Row r : {Row{"", "2", "D2", "__x"}, Row{"", "1", "D1", ""}}) {
        doc.ClearRecord();
        Put(doc.m_rec.code, r.code);
        Put(doc.m_rec.name, r.name);
        Put(doc.m_rec.unused, r.unused);
        ASSERT_EQ(doc.Insert(), 0);
    }
    CPelmoDBSys sys(db.Folder());
    std::vector<PelmoEnumEntry> list;
    std::string err;
    ASSERT_EQ(PelmoEnum::EnumUnit(&sys, "", 1, list, err), 0) << err;
    ASSERT_EQ(list.size(), 3u); // empty entry, 1, 3
    EXPECT_TRUE(list[0].selected);
    EXPECT_EQ(list[1].data, "1,1");
    EXPECT_EQ(list[2].code, "3");
    ASSERT_EQ(PelmoEnum::EnumUnit(&sys, "2", 0, list, err), 0);
    ASSERT_EQ(list.size(), 3u); // the unused unit stays listed while it is the chosen one
    EXPECT_TRUE(list[1].selected);
    EXPECT_EQ(list[1].data.substr(2), "2");
    ASSERT_EQ(PelmoEnum::EnumDoctor(&sys, "", 0, list, err), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].data, "1");
    ASSERT_EQ(PelmoEnum::EnumReservationType(&sys, "01", 0, list, err), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "T1");
    EXPECT_TRUE(list[0].selected);
    EXPECT_NE(PelmoEnum::EnumUnit(nullptr, "", 0, list, err), 0);
}
