#include "agent/sync/exchanges/ProcessPatientEntry.h"

#include "agent/sync/cycle/EntryFileKey.h"

#include "agent/sync/exchanges/PublishPatient.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

std::string OutcomeWord(int result) {
    switch (result) {
    case kPublishLost:
        return J("(停止) ");
    case kPublishUpdated:
        return J("(更新) ");
    case kPublishAdded:
        return J("(追加) ");
    default:
        return J("(失敗) ");
    }
}

} // namespace

bool ProcessPatientEntry(SyncContext& ctx, const std::string& path) {
    const std::string key = EntryFileStem(path);
    if (key.empty())
        return true;
    CPatientDB& patient = ctx.tables.patient;
    CPatientDB2& second = ctx.tables.patient2;
    const int rc = patient.GetPatientData(&second, key);
    if (rc != PelmoStatus::kOk) {
        // Not there (yet): the file waits for the patient. A read error is worth a line.
        if (rc != PelmoStatus::kNotFound)
            ctx.log.WriteLog(OperationLog::Error, patient.GetLastDBErr(), key);
        return false;
    }
    const int result =
        PublishPatient(ctx.web, ctx.log, patient.m_rec, second.m_rec, ctx.state.showIdCut);
    ctx.log.WriteLog(OperationLog::Info,
                     J("患者送信") + OutcomeWord(result) + RecText(patient.m_rec.displayNo) + " " +
                         RecText(patient.m_rec.name),
                     key);
    ctx.state.patientDirectory.UpdatePatientDirectoryEntry(patient.m_rec, second.m_rec, ctx.clock);
    return result != kPublishFailed;
}
