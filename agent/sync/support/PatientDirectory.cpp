#include "agent/sync/support/PatientDirectory.h"

#include <cstdio>
#include <cstring>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "outside/tools/CTools.h"
#include "platform/RecordFields.h"

using platform::RecText;

namespace {

// Patient key -> last login as the web has it.
std::map<std::string, std::string> WebLogins(WebSession& web) {
    std::map<std::string, std::string> logins;
    try {
        if (!web.OpenWebConnection())
            return logins;
        CRecordset rs(&web.Database());
        if (!rs.Open(CRecordset::forwardOnly, "SELECT * FROM users", CRecordset::readOnly))
            return logins;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            LocalDateTime at;
            if (!GetFieldDateTime(rs, "last_logined_at", at))
                continue;
            logins[GetFieldText(rs, "patient_key")] = at.DateTimeText();
        }
    } catch (const CDBException&) {
        // The directory is still useful without login times.
    }
    return logins;
}

} // namespace

tagPatientInfo PatientDirectory::MakeEntry(const tagPatient& patient, const tagPatient2& second,
                                           const platform::Clock& clock) {
    tagPatientInfo e;
    e.key = RecText(patient.key);
    e.displayNo = RecText(patient.displayNo);
    e.name = RecText(patient.name);
    e.kana = RecText(patient.kana);
    e.birthday = RecText(patient.birthday);
    LocalDateTime now = LocalNow(clock);
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", now.year, now.month, now.day);
    int years = 0;
    int months = 0;
    if (CTools::CaclAge(e.birthday, today, years, months))
        e.age = years;
    e.tel = RecText(patient.tel);
    e.comment = RecText(patient.comment);
    e.characteristic = RecText(second.characteristic);
    e.deleted = patient.deleted != 0;
    return e;
}

bool PatientDirectory::LoadPatientDirectory(WebSession& web, const std::string& databaseFolder,
                                            const platform::Clock& clock) {
    if (!m_folder.empty() && m_folder == databaseFolder)
        return true;
    m_entries.clear();
    m_folder.clear();

    std::map<std::string, std::string> logins = WebLogins(web);

    CPatientDB patient(databaseFolder, 0);
    CPatientDB2 second(databaseFolder, 0);
    patient.SetAssociatedDB(nullptr);
    second.SetAssociatedDB(nullptr);
    patient.SetKey(0);
    int rc = patient.GetFIRST();
    for (; rc == PelmoStatus::kOk; rc = patient.GetNEXT()) {
        second.GetPatient2Data(RecText(patient.m_rec.key));
        tagPatientInfo e = MakeEntry(patient.m_rec, second.m_rec, clock);
        auto login = logins.find(e.key);
        if (login != logins.end())
            e.webLastLogin = login->second;
        std::string key = e.key;
        m_entries[key] = std::move(e);
    }
    // Only a complete walk counts as loaded; otherwise the next call tries again.
    if (rc != PelmoStatus::kEndOfFile)
        return false;
    m_folder = databaseFolder;
    return true;
}

void PatientDirectory::UpdatePatientDirectoryEntry(const tagPatient& patient,
                                                   const tagPatient2& second,
                                                   const platform::Clock& clock) {
    tagPatientInfo e = MakeEntry(patient, second, clock);
    auto it = m_entries.find(e.key);
    if (it != m_entries.end()) {
        e.webLastLogin = it->second.webLastLogin;
        it->second = std::move(e);
    } else {
        std::string key = e.key;
        m_entries.emplace(std::move(key), std::move(e));
    }
}
