#include "PelmoTestDb.h"

#include "PelmoSchema.h"

#include <gtest/gtest.h>

PelmoTestDb::PelmoTestDb() {
    std::string err;
    if (PelmoSchema::Create(m_dir.Path(), err) != 0)
        ADD_FAILURE() << "cannot create database: " << err;
}

void PelmoTestDb::AddReservation(std::string_view key, std::string_view patient,
                                 std::string_view date, std::string_view start,
                                 std::string_view end, std::string_view unit,
                                 std::string_view doctor, char status) {
    CReservationDB res(Folder(), 1);
    res.SetAssociatedDB(nullptr);
    Put(res.m_rec.key, key);
    Put(res.m_rec.patientKey, patient);
    Put(res.m_rec.date, date);
    Put(res.m_rec.start, start);
    Put(res.m_rec.end, end);
    Put(res.m_rec.unit, unit);
    Put(res.m_rec.doctor, doctor);
    res.m_rec.status = status;
    EXPECT_EQ(res.Insert(1), 0) << res.GetLastDBErr();
}
