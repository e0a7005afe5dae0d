#pragma once
// A clinic for the notice dialogs' tests: a temporary local database with patients, a fresh web
// database on the private server, a fixed clock (2024-01-05 09:30), the operation log, and the
// statements the dialogs sent. Values are UTF-8 in the test source and stored as CP932.
#include <chrono>
#include <string>
#include <vector>

#include "ClosedPort.h"
#include "FakeClock.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "WebDbValues.h"
#include "agent/core/WebSession.h"
#include "agent/dialogs/NoticeContext.h"
#include "agent/sync/log/OperationLog.h"
#include "agent/sync/support/PatientDirectory.h"
#include "outside/pelmodb/CPatientDB.h"
#include "platform/Cp932.h"

struct NoticeRig {
    TestClinic clinic;
    WebDb web;
    FakeClock clock;
    WebSession session{WebDbValues(web), [](std::chrono::milliseconds) {}};
    PatientDirectory directory;
    OperationLog log{clock, {}};
    std::vector<std::string> statements;
    NoticeContext ctx{
        session,   clock, clinic.DatabaseFolder(),
        directory, &log,  [this](const std::string& sql) { statements.push_back(sql); }};

    NoticeRig() {
        clinic.AddPatient("0000000001", "P-001", "山田 太郎", "ヤマダ タロウ", "20140106");
        clinic.AddPatient("0000000002", "P-002", "佐藤 花子", "サトウ ハナコ", "19780301");
    }

    // Adds a row of `notifications`; values are SQL literals as they stand (UTF-8 Japanese is
    // converted). Returns its id.
    std::string AddNotice(const std::string& date, const std::string& patientKey,
                          const std::string& titleUtf8, const std::string& contentUtf8,
                          const std::string& validTo = "NULL",
                          const std::string& notificationId = "NULL",
                          const std::string& updatedAt = "'2024-01-01 08:00:00'") {
        web.Exec(platform::J("INSERT INTO notifications(notification_id,notification_date,"
                             "patient_key,title,content,valid_to_date,created_at,updated_at) "
                             "VALUES(" +
                             notificationId + "," + date + "," + patientKey + ",'" + titleUtf8 +
                             "','" + contentUtf8 + "'," + validTo + "," + updatedAt + "," +
                             updatedAt + ")"));
        return web.Scalar("SELECT MAX(id) FROM notifications").value_or("");
    }
    void MarkRead(const std::string& id, int flag) {
        web.Exec("INSERT INTO notification_statuses(notification_id,checked_flag) VALUES(" + id +
                 "," + std::to_string(flag) + ")");
    }
    long Count(const std::string& sql) const { return std::stol(web.Scalar(sql).value_or("0")); }

    // Marks a local patient deleted.
    void MarkDeleted(const std::string& key) {
        CPatientDB p(clinic.DatabaseFolder(), 1);
        p.SetAssociatedDB(nullptr);
        ASSERT_EQ(p.GetPatient1Data(key), 0);
        p.m_rec.deleted = 1;
        ASSERT_EQ(p.Update(), 0) << p.GetLastDBErr();
    }

    // The session pointed at a port nobody listens on: the server is as good as stopped.
    void StopServer() {
        WebConnectionValues v = session.Values();
        v.host = "127.0.0.1";
        v.port = ClosedPort();
        session.SetValues(v);
    }
    void StartServer() { session.SetValues(WebDbValues(web)); }
};
