#include "StandbyClinic.h"

#include <cstring>
#include <gtest/gtest.h>

#include "RecordText.h"
#include "WebDbValues.h"
#include "agent/core/WebSchema.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

std::string Utf8Field(const char* field, std::size_t n) {
    return platform::Cp932ToUtf8(std::string(field, strnlen(field, n)));
}

StandbyClinic::StandbyClinic() : m_db(m_clinic.DatabaseFolder()), m_session(WebDbValues(m_web)) {
    if (!m_session.OpenWebConnection())
        ADD_FAILURE() << "cannot open the web session";
    EXPECT_TRUE(UpgradeWebSchema(m_session.Database(), m_settings.ProfileFile()));
    m_tables = std::make_unique<LocalTables>(m_db);
    FreshLog();
}

StandbyClinic::~StandbyClinic() {
    m_ctx.reset();
    m_tables.reset();
    m_session.Close();
}

void StandbyClinic::FreshLog() {
    m_log = std::make_unique<OperationLog>(clock, LocalWebLogTables());
    m_log->SetDatabaseFolder(m_db);
    m_log->AddListener(
        [this](const std::string& line, bool) { m_lines.push_back(platform::Cp932ToUtf8(line)); });
    m_ctx = std::make_unique<SyncContext>(SyncContext{.web = m_session,
                                                      .log = *m_log,
                                                      .clock = clock,
                                                      .settings = m_settings,
                                                      .state = m_state,
                                                      .tables = *m_tables,
                                                      .databaseFolder = m_db,
                                                      .entryFolder = m_db + "EntryToWeb/"});
    m_lines.clear();
}

std::vector<std::string> StandbyClinic::TakeLines() {
    std::vector<std::string> out;
    out.swap(m_lines);
    return out;
}

int StandbyClinic::Count(const std::vector<std::string>& lines, const std::string& utf8) {
    int n = 0;
    for (const auto& l : lines)
        if (l.find(utf8) != std::string::npos)
            ++n;
    return n;
}

void StandbyClinic::Set(const std::string& section, const std::string& key,
                        const std::string& utf8) const {
    platform::WriteProfileString(m_db + "Apposync.ini", section, key, J(utf8));
}

void StandbyClinic::AddPatient(const std::string& key, const std::string& displayNo,
                               const std::string& nameUtf8, const std::string& kanaUtf8) {
    CPatientDB p(m_db, 1);
    PutText(p.m_rec.key, key);
    PutText(p.m_rec.displayNo, displayNo);
    PutText(p.m_rec.name, J(nameUtf8));
    PutText(p.m_rec.kana, J(kanaUtf8));
    ASSERT_EQ(p.Insert(), 0) << p.GetLastDBErr();
}

void StandbyClinic::AddReservation(const LocalReservation& r) {
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
    m.pendingId = r.pendingId;
    ASSERT_EQ(res.Insert(1), 0) << res.GetLastDBErr();
}

void StandbyClinic::AddStandby(const std::string& key, const std::string& patient,
                               const std::string& from, const std::string& to,
                               const std::string& type, const std::string& reservationKey) {
    CReservationStandbyDB s(m_db, 1);
    PutText(s.m_rec.key, key);
    PutText(s.m_rec.patientKey, patient);
    PutText(s.m_rec.periodFrom, from);
    PutText(s.m_rec.periodTo, to);
    PutText(s.m_rec.type, type);
    PutText(s.m_rec.reservationKey, reservationKey);
    PutText(s.m_rec.detail, J("定期検診"));
    ASSERT_EQ(s.Insert(), 0) << s.GetLastDBErr();
}

std::optional<tagReservation> StandbyClinic::Reservation(const std::string& key) const {
    CReservationDB res(m_db, 0);
    if (res.GetReservationData(key) != 0)
        return std::nullopt;
    return res.m_rec;
}

std::optional<tagReservationStandby> StandbyClinic::Standby(const std::string& key) const {
    CReservationStandbyDB s(m_db, 0);
    if (s.GetReservationStandbyData(key) != 0)
        return std::nullopt;
    return s.m_rec;
}

std::vector<tagReservation> StandbyClinic::AllReservations() const {
    std::vector<tagReservation> out;
    CReservationDB res(m_db, 0);
    res.SetKey(0);
    for (int rc = res.GetFIRST(); rc == 0; rc = res.GetNEXT())
        out.push_back(res.m_rec);
    return out;
}

std::string StandbyClinic::JapanDate(int days) const {
    return m_web
        .Scalar("SELECT DATE_ADD(DATE(CONVERT_TZ(CURRENT_TIME,'UTC','Asia/Tokyo')), INTERVAL " +
                std::to_string(days) + " DAY)")
        .value_or("");
}
