#include "ReviewClinic.h"

#include <gtest/gtest.h>

#include "ClosedPort.h"
#include "RecordText.h"
#include "WebDbValues.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/WebSchema.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CPatientDB.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

namespace {

std::string Quoted(const std::string& utf8) {
    return utf8.empty() ? "NULL" : "'" + utf8 + "'";
}

} // namespace

ReviewClinic::ReviewClinic() : session(WebDbValues(web), NoPause) {
    clinic.UseWebDatabase(web);
    if (!session.OpenWebConnection())
        ADD_FAILURE() << "cannot open the web session";
    EXPECT_TRUE(UpgradeWebSchema(session.Database(), AgentSettings::ProfileFile()));
    session.Close();
}

ReviewClinic::~ReviewClinic() {
    session.Close();
}

void ReviewClinic::AddType(const std::string& code, const std::string& nameUtf8) {
    CCategoryDB c(clinic.DatabaseFolder(), 1);
    PutText(c.m_rec.kind, "0");
    PutText(c.m_rec.code, code);
    PutText(c.m_rec.name, J(nameUtf8));
    ASSERT_EQ(c.Insert(), 0) << c.GetLastDBErr();
}

void ReviewClinic::AddPatient(const std::string& key, const std::string& displayNo,
                              const std::string& secondNo, const std::string& nameUtf8,
                              const std::string& kanaUtf8) {
    CPatientDB p(clinic.DatabaseFolder(), 1);
    PutText(p.m_rec.key, key);
    PutText(p.m_rec.displayNo, displayNo);
    PutText(p.m_rec.secondNo, secondNo);
    PutText(p.m_rec.name, J(nameUtf8));
    PutText(p.m_rec.kana, J(kanaUtf8));
    ASSERT_EQ(p.Insert(), 0) << p.GetLastDBErr();
}

void ReviewClinic::AddReservation(const std::string& key, const std::string& patient,
                                  const std::string& date, char status, const std::string& type) {
    TestReservation r;
    r.key = key;
    r.patient = patient;
    r.date = date;
    r.status = status;
    r.type = type;
    clinic.AddReservation(r);
}

void ReviewClinic::SetStatus(const std::string& key, char status) {
    CReservationDB book(clinic.DatabaseFolder(), 1);
    ASSERT_EQ(book.GetReservationData(key), 0);
    book.m_rec.status = status;
    ASSERT_EQ(book.Update(1), 0) << book.GetLastDBErr();
}

void ReviewClinic::Book(const WebBooking& b) const {
    web.Exec(J("INSERT INTO first_appointments(id,appo_key,appo_date,appo_time,appo_flag,name,"
               "name_kana,gender,birthday,tel,email,address,content,created_at,updated_at,"
               "cancel_flag) VALUES(" +
               b.id + "," + b.appoKey + ",'" + b.date + "','" + b.time + "'," + b.flag + "," +
               Quoted(b.name) + "," + Quoted(b.kana) + "," + Quoted(b.gender) + "," +
               Quoted(b.birthday) + "," + Quoted(b.tel) + "," + Quoted(b.email) + "," +
               Quoted(b.address) + "," + Quoted(b.content) + ",'" + b.created + "','" + b.updated +
               "'," + b.cancel + ")"));
}

void ReviewClinic::Request(const std::string& id, const std::string& appoKey,
                           const std::string& patientKey, const std::string& date,
                           const std::string& start, int statusFlag) const {
    web.Exec("INSERT INTO appointments(id,appo_key,patient_key,appo_date,appo_start_time,"
             "appo_end_time,status_flag) VALUES(" +
             id + ",'" + appoKey + "','" + patientKey + "','" + date + "','" + start + "','" +
             start + "'," + std::to_string(statusFlag) + ")");
}

long ReviewClinic::Rows(const std::string& table) const {
    return std::stol(web.Scalar("SELECT COUNT(*) FROM " + table).value_or("-1"));
}

void ReviewClinic::RefuseDeleteOf(const std::string& table, const std::string& id) const {
    web.Exec("CREATE TRIGGER refuse_delete_" + table + " BEFORE DELETE ON " + table +
             " FOR EACH ROW BEGIN IF OLD.id=" + id +
             " THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT='row is locked'; END IF; END");
}

void ReviewClinic::Set(const std::string& section, const std::string& key,
                       const std::string& utf8) const {
    platform::WriteProfileString(clinic.DatabaseFolder() + "Apposync.ini", section, key, J(utf8));
}

WebConnectionValues StoppedServer() {
    WebConnectionValues v;
    v.driver = WebDb::Driver();
    v.host = "127.0.0.1";
    v.port = ClosedPort();
    v.user = WebDb::User();
    v.password = WebDb::Password();
    v.database = "nvweb-stopped";
    return v;
}

void NoPause(std::chrono::milliseconds) {}
