#include "TestClinic.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "WebDb.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/Credentials.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CDoctorDB.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/CPatientDB2.h"
#include "outside/pelmodb/CReservationStandbyDB.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

using platform::J;

TestClinic::TestClinic(ProcessHome home) : m_db(m_clinic.DatabaseFolder()) {
    platform::WriteProfileString(m_clinic.Root() + "PelmoV3.ini", "GLOBAL", "DATABASE", m_db);
    if (home == ProcessHome::Leave)
        return;
    m_tookHome = true;
    if (const char* h = std::getenv("CORVANE_HOME")) {
        m_hadHome = true;
        m_oldHome = h;
    }
    setenv("CORVANE_HOME", m_clinic.Root().c_str(), 1);
    AgentSettings::SetProfileFile("");
}

TestClinic::~TestClinic() {
    if (!m_tookHome)
        return;
    if (m_hadHome)
        setenv("CORVANE_HOME", m_oldHome.c_str(), 1);
    else
        unsetenv("CORVANE_HOME");
}

ClinicSettings TestClinic::Settings() const {
    return ClinicSettings(m_clinic.Root() + "PelmoV3.ini");
}

void TestClinic::SetCommon(const std::string& key, const std::string& value) const {
    platform::WriteProfileString(m_db + "Apposync.ini", "COMMON", key, value);
}

void TestClinic::UseWebDatabase(const WebDb& web) const {
    SetCommon("HOST", WebDb::Host());
    SetCommon("PORT", std::to_string(WebDb::Port()));
    SetCommon("USER", EncipherCredential(WebDb::User()));
    SetCommon("PASS", EncipherCredential(WebDb::Password()));
    SetCommon("MYSQL_DB", web.Suffix());
}

void TestClinic::AddPatient(const std::string& key, const std::string& displayNo,
                            const std::string& nameUtf8, const std::string& kanaUtf8,
                            const std::string& birthday, const std::string& tel,
                            const std::string& commentUtf8, const std::string& characteristicUtf8) {
    CPatientDB p(m_db, 1);
    PutText(p.m_rec.key, key);
    PutText(p.m_rec.displayNo, displayNo);
    PutText(p.m_rec.name, J(nameUtf8));
    PutText(p.m_rec.kana, J(kanaUtf8));
    PutText(p.m_rec.birthday, birthday);
    PutText(p.m_rec.tel, tel);
    PutText(p.m_rec.comment, J(commentUtf8));
    ASSERT_EQ(p.Insert(), 0) << p.GetLastDBErr();
    if (!characteristicUtf8.empty()) {
        CPatientDB2 p2(m_db, 1);
        PutText(p2.m_rec.key, key);
        PutText(p2.m_rec.characteristic, J(characteristicUtf8));
        ASSERT_EQ(p2.Insert(), 0) << p2.GetLastDBErr();
    }
}

void TestClinic::AddDoctor(const std::string& code, const std::string& nameUtf8) {
    CDoctorDB d(m_db, 1);
    PutText(d.m_rec.code, code);
    PutText(d.m_rec.name, J(nameUtf8));
    ASSERT_EQ(d.Insert(), 0) << d.GetLastDBErr();
}

void TestClinic::AddUnit(const std::string& code, const std::string& nameUtf8) {
    CCategoryDB c(m_db, 1);
    PutText(c.m_rec.kind, "1");
    PutText(c.m_rec.code, code);
    PutText(c.m_rec.name, J(nameUtf8));
    ASSERT_EQ(c.Insert(), 0) << c.GetLastDBErr();
}

void TestClinic::AddReservation(const TestReservation& r) {
    CReservationDB res(m_db, 1);
    tagReservation& m = res.m_rec;
    PutText(m.key, r.key);
    PutText(m.patientKey, r.patient);
    PutText(m.date, r.date);
    PutText(m.start, r.start);
    PutText(m.end, r.end);
    PutText(m.unit, r.unit);
    PutText(m.doctor, r.doctor);
    PutText(m.type, r.type);
    PutText(m.memo, J(r.memo));
    m.status = r.status;
    m.secondaryState = r.secondaryState;
    m.amount = r.amount;
    PutText(m.receptionTime, r.receptionTime);
    PutText(m.guestName, J(r.guestName));
    PutText(m.guestKana, J(r.guestKana));
    PutText(m.guestBirthday, r.guestBirthday);
    PutText(m.guestTel, r.guestTel);
    ASSERT_EQ(res.Insert(1), 0) << res.GetLastDBErr();
}

void TestClinic::BookReservation(const TestReservation& r) {
    AddReservation(r);
    Entry(r.key + ".txt", "INSERT\r\nRegNo=" + r.key + "\r\n");
}

void TestClinic::RemoveReservation(const std::string& key) {
    CReservationDB res(m_db, 1);
    ASSERT_EQ(res.GetReservationData(key), 0);
    ASSERT_EQ(res.Delete(), 0) << res.GetLastDBErr();
}

void TestClinic::AddStandby(const std::string& key, const std::string& reservationKey) {
    CReservationStandbyDB s(m_db, 1);
    PutText(s.m_rec.key, key);
    PutText(s.m_rec.reservationKey, reservationKey);
    ASSERT_EQ(s.Insert(), 0) << s.GetLastDBErr();
}

long TestClinic::ReservationCount() const {
    CReservationDB res(m_db, 0);
    return res.GetRecordCount();
}

std::string TestClinic::Entry(const std::string& name, const std::string& bytes) const {
    platform::MakeDirs(EntryFolder());
    const std::string path = EntryFolder() + name;
    EXPECT_TRUE(platform::WriteFileAtomic(path, bytes));
    SetModified(path, std::chrono::system_clock::now() - std::chrono::minutes(1));
    return path;
}

bool TestClinic::EntryExists(const std::string& name) const {
    return platform::FileExists(EntryFolder() + name);
}

void TestClinic::SetModified(const std::string& path, std::chrono::system_clock::time_point t) {
    using namespace std::chrono;
    const auto ns = duration_cast<nanoseconds>(t.time_since_epoch()).count();
    timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(ns / 1000000000);
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(ns % 1000000000);
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}
