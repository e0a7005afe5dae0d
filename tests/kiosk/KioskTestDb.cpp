#include "KioskTestDb.h"

#include "CPatientDB.h"
#include "CPelmoDBSys.h"
#include "CReservationDB.h"
#include "platform/Cp932.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace {

template <std::size_t N> void Put(char (&dst)[N], const std::string& src) {
    std::memset(dst, 0, N);
    std::memcpy(dst, src.data(), std::min(src.size(), N - 1));
}

} // namespace

KioskTestDb::KioskTestDb() {
    std::string err;
    if (CPelmoDBSys::CreateDatabase(m_dir.Path(), err) != 0)
        ADD_FAILURE() << "cannot create database: " << err;
}

void KioskTestDb::AddPatient(const std::string& key, const std::string& nameUtf8) {
    CPatientDB patient(Folder(), 1);
    patient.SetAssociatedDB(nullptr);
    Put(patient.m_rec.key, key);
    Put(patient.m_rec.name, platform::Utf8ToCp932(nameUtf8));
    EXPECT_EQ(patient.Insert(), 0) << patient.GetLastDBErr();
}

void KioskTestDb::AddReservation(const std::string& key, const std::string& patient,
                                 const std::string& date, const std::string& start, char status,
                                 const std::string& reception) {
    CReservationDB res(Folder(), 1);
    res.SetAssociatedDB(nullptr);
    Put(res.m_rec.key, key);
    Put(res.m_rec.patientKey, patient);
    Put(res.m_rec.date, date);
    Put(res.m_rec.start, start);
    Put(res.m_rec.end, start);
    res.m_rec.status = status;
    Put(res.m_rec.receptionTime, reception);
    EXPECT_EQ(res.Insert(0), 0) << res.GetLastDBErr();
}
