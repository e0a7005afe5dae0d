#include "agent/sync/exchanges/SyncWebLogins.h"

#include <cstring>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

namespace {

const std::string kSelect =
    std::string("SELECT users.patient_key,users.last_logined_at,u2.patient_key AS "
                "sub_patient_key,relations.deleted_at AS relations_deleted_at") +
    " FROM users LEFT OUTER JOIN relations ON users.id = relations.user_id" +
    " LEFT OUTER JOIN users AS u2 ON relations.family_user_id = u2.id AND relations.deleted_at "
    "IS NULL" +
    " GROUP BY patient_key,sub_patient_key";

// Stores login on the patient when it is later than the stored value.
void Apply(SyncContext& ctx, const std::string& patientKey, const std::string& login) {
    CPatientDB& patient = ctx.tables.patient;
    if (patientKey.empty())
        return;
    if (patient.GetPatient1Data(patientKey) != PelmoStatus::kOk)
        return;
    char* stored = patient.m_rec.webLastLogin;
    const std::size_t size = sizeof patient.m_rec.webLastLogin;
    if (std::strncmp(stored, login.c_str(), size) >= 0)
        return;
    platform::SetRecText(stored, size, login);
    int rc = patient.Update();
    if (rc != PelmoStatus::kOk)
        ctx.log.WriteLog(OperationLog::Error,
                         platform::J("最終ログイン日時の更新に失敗[") + patientKey +
                             "] Status=" + std::to_string(rc),
                         patientKey);
}

} // namespace

void SyncWebLogins(SyncContext& ctx) {
    try {
        CRecordset rs(&ctx.web.Database());
        if (!rs.Open(CRecordset::forwardOnly, kSelect, CRecordset::readOnly))
            return;
        while (!rs.IsEOF()) {
            std::string login;
            LocalDateTime at;
            if (GetFieldDateTime(rs, "last_logined_at", at))
                login = at.Digits();
            Apply(ctx, GetFieldText(rs, "patient_key"), login);
            Apply(ctx, GetFieldText(rs, "sub_patient_key"), login);
            rs.MoveNext();
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
    }
}
