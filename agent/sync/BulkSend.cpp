#include "agent/sync/BulkSend.h"

#include <cstdio>

#include "agent/core/AgentSettings.h"
#include "agent/core/CDBException.h"
#include "agent/core/WebSession.h"
#include "agent/sync/OperationLog.h"
#include "agent/sync/PublishMemo.h"
#include "agent/sync/PublishPatient.h"
#include "agent/sync/RecordText.h"
#include "outside/pelmodb/CReservationDB.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

struct Texts {
    const char* question;
    const char* start;
    const char* progress; // also the prefix of the line it replaces
    const char* result;
};

const Texts kPatientTexts = {"患者情報を一括で送信します。", "患者情報一括送信", "患者情報送信中",
                             "患者情報送信結果"};
const Texts kMemoTexts = {"患者メモを一括で送信します。", "患者メモ一括送信", "患者メモ送信中",
                          "患者メモ送信結果"};

std::string Format(const char* pattern, int a, int b, int c = 0) {
    char buf[96];
    std::snprintf(buf, sizeof buf, pattern, a, b, c);
    return buf;
}

// Clears the busy flag however the command ends.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

BulkSend::BulkSend(WebSession& web, OperationLog& log, Hooks hooks)
    : m_web(web), m_log(log), m_hooks(std::move(hooks)) {}

BulkSend::Result BulkSend::SendAllPatients(const std::string& databaseFolder) {
    return Run(Kind::Patients, databaseFolder);
}

BulkSend::Result BulkSend::SendAllMemos(const std::string& databaseFolder) {
    return Run(Kind::Memos, databaseFolder);
}

bool BulkSend::Reconnect() {
    try {
        if (m_web.OpenWebConnection())
            return true;
        m_log.WriteLog(OperationLog::Error, J("一括送信中断 (Webデータベースに再接続できません)"));
    } catch (const CDBException& e) {
        m_log.WriteLog(OperationLog::SqlError, e.m_strError);
    }
    return false;
}

BulkSend::Result BulkSend::Run(Kind kind, const std::string& databaseFolder) {
    Result result;
    if (m_busy)
        return result;
    BusyScope busy(m_busy);
    const bool patients = kind == Kind::Patients;
    const Texts& texts = patients ? kPatientTexts : kMemoTexts;

    if (m_hooks.confirm && !m_hooks.confirm(J(texts.question)))
        return result;
    {
        CReservationDB reservation(databaseFolder, 1);
        reservation.SetAssociatedDB(nullptr);
        if (reservation.GetEntryFolder().empty())
            return result; // web linkage is not set up on this installation
    }

    CPatientDB patient(databaseFolder, 1);
    CPatientDB2 second(databaseFolder, 1);
    CMemoDB memo(databaseFolder, 1);
    patient.SetAssociatedDB(nullptr);
    second.SetAssociatedDB(nullptr);
    memo.SetAssociatedDB(nullptr);
    CBaseDBCall& table = patients ? static_cast<CBaseDBCall&>(patient) : memo;
    if (table.Open() != PelmoStatus::kOk) {
        m_log.WriteLog(OperationLog::Error, table.GetLastDBErr());
        return result;
    }
    try {
        if (!m_web.OpenWebConnection())
            return result;
    } catch (const CDBException& e) {
        m_log.WriteLog(OperationLog::SqlError, e.m_strError);
        return result;
    }

    const bool timerWasRunning = m_hooks.stopTimer ? m_hooks.stopTimer() : false;
    m_log.WriteLog(OperationLog::Info, J(texts.start));
    const int showIdCut = AgentSettings::Get(settingkeys::kShowIdCut);
    result.ran = true;

    const int total = static_cast<int>(table.GetRecordCount());
    const std::string progressPrefix = J(texts.progress);
    const std::string progressPattern = progressPrefix + " [%5d] / [%5d]";
    int number = 1;
    bool stopped = false;
    table.SetKey(0);
    int rc;
    if (patients) {
        rc = patient.GetFIRST();
    } else {
        const char zeros[22] = {};
        memo.SetKeyBuffer(zeros, sizeof zeros);
        rc = memo.GetGREQ();
    }
    while (rc == PelmoStatus::kOk) {
        if (m_hooks.stopRequested && m_hooks.stopRequested()) {
            stopped = true;
            break;
        }
        if (patients && patient.m_rec.deleted == 1) {
            rc = patient.GetNEXT();
            continue;
        }
        if (patients && second.GetPatient2Data(RecordText(patient.m_rec.key)) != PelmoStatus::kOk)
            second.m_rec = {};

        for (int lostInRow = 0;;) {
            const int r = patients
                              ? PublishPatient(m_web, m_log, patient.m_rec, second.m_rec, showIdCut)
                              : PublishMemo(m_web, m_log, memo.m_rec);
            m_log.ShowProgressLine(progressPrefix, Format(progressPattern.c_str(), number, total));
            if (m_hooks.progress)
                m_hooks.progress(number, total);
            if (m_hooks.pumpEvents)
                m_hooks.pumpEvents();
            if (r == kPublishLost) {
                ++result.lostAttempts;
                if (!Reconnect()) {
                    stopped = true;
                    break;
                }
                if (++lostInRow < kMaxLostPerRecord)
                    continue; // the same record again
                ++result.failed;
            } else if (r == kPublishAdded) {
                ++result.added;
            } else if (r == kPublishUpdated) {
                ++result.updated;
            } else {
                ++result.failed;
            }
            break;
        }
        if (stopped)
            break;
        ++number;
        rc = table.GetNEXT();
    }
    if (!stopped && rc != PelmoStatus::kEndOfFile)
        m_log.WriteLog(OperationLog::Error, table.GetLastDBErr());
    result.completed = !stopped && rc == PelmoStatus::kEndOfFile;

    m_web.Close();
    m_log.WriteLog(OperationLog::Info,
                   J(texts.result) + Format(J(" 追加[%d]件 更新[%d]件 失敗[%d]件").c_str(),
                                            result.added, result.updated, result.failed));
    if (timerWasRunning && m_hooks.restartTimer)
        m_hooks.restartTimer();
    return result;
}
