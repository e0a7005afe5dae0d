#include "agent/sync/bulk/BulkSend.h"

#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "agent/core/CDBException.h"
#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "agent/sync/bulk/BulkRows.h"
#include "agent/sync/exchanges/PublishMemo.h"
#include "agent/sync/exchanges/PublishPatient.h"
#include "agent/sync/log/OperationLog.h"
#include "outside/pelmodb/CReservationDB.h"
#include "platform/Cp932.h"
#include "platform/FormatNumbers.h"
#include "platform/RecordFields.h"

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

BulkSend::BulkSend(const ClinicSettings& settings, WebSession& web, OperationLog& log, Hooks hooks)
    : m_settings(settings), m_web(web), m_log(log), m_hooks(std::move(hooks)) {}

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
    const int showIdCut = m_settings.Get(settingkeys::kShowIdCut);
    result.ran = true;

    const int total = static_cast<int>(table.GetRecordCount());
    const std::string progressPrefix = J(texts.progress);
    const std::string progressPattern = progressPrefix + " [%5d] / [%5d]";
    const auto showProgress = [&](int number) {
        m_log.ShowProgressLine(progressPrefix,
                               platform::FormatNumbers(progressPattern.c_str(), number, total));
        if (m_hooks.progress)
            m_hooks.progress(number, total);
        if (m_hooks.pumpEvents)
            m_hooks.pumpEvents();
    };
    const auto count = [&](int r) {
        if (r == kPublishAdded)
            ++result.added;
        else if (r == kPublishUpdated)
            ++result.updated;
        else
            ++result.failed;
    };

    // One record by itself with the one-by-one statements. False when the connection is gone.
    const auto sendAlone = [&](const std::function<int()>& publish, int number) {
        for (int lostInRow = 0;;) {
            const int r = publish();
            showProgress(number);
            if (r == kPublishLost) {
                ++result.lostAttempts;
                if (!Reconnect())
                    return false;
                if (++lostInRow < kMaxLostPerRecord)
                    continue; // the same record again
                ++result.failed;
            } else {
                count(r);
            }
            return true;
        }
    };

    // The batch's records: the row to send and the one-by-one publish of the same record.
    struct Pending {
        int number;
        BulkRows::Row row;
        std::function<int()> alone;
    };
    const BulkRows rows(patients ? PatientBulkTable() : MemoBulkTable());
    std::vector<Pending> batch;
    std::set<std::string> batchKeys;
    std::size_t batchBytes = 0;
    bool stopped = false;
    bool lost = false; // the connection could not be opened again

    // Sends the batch; a lost connection retries what it had not written yet, so nothing is
    // written or counted twice. False when the connection cannot be opened again.
    const auto flush = [&]() {
        std::vector<BulkRows::Row> sent;
        sent.reserve(batch.size());
        for (Pending& p : batch)
            sent.push_back(std::move(p.row));
        bool ok = true;
        for (int lostInRow = 0;;) {
            try {
                rows.Send(m_web.Database(), sent, m_hooks.pumpEvents);
                break;
            } catch (const CDBException& e) {
                m_log.WriteLog(OperationLog::SqlError, e.m_strError);
                ++result.lostAttempts;
                if (!Reconnect()) {
                    ok = false; // what did reach the server is still counted below
                    break;
                }
                if (++lostInRow < kMaxLostPerRecord)
                    continue;
                // A batch that keeps losing the connection goes record by record, so one
                // poisonous record is counted as failed and the others still go.
                for (BulkRows::Row& row : sent)
                    if (row.state == BulkRows::State::Waiting)
                        row.state = BulkRows::State::Alone;
                break;
            }
        }
        for (std::size_t i = 0; i < sent.size(); ++i) {
            switch (sent[i].state) {
            case BulkRows::State::Added:
                count(kPublishAdded);
                showProgress(batch[i].number);
                break;
            case BulkRows::State::Updated:
                count(kPublishUpdated);
                showProgress(batch[i].number);
                break;
            default:
                if (ok)
                    ok = sendAlone(batch[i].alone, batch[i].number);
                break;
            }
        }
        batch.clear();
        batchKeys.clear();
        batchBytes = 0;
        return ok;
    };

    int number = 1;
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
            stopped = true; // what was collected still goes
            break;
        }
        if (patients && patient.m_rec.deleted == 1) {
            rc = patient.GetNEXT();
            continue;
        }
        if (patients &&
            second.GetPatient2Data(platform::RecText(patient.m_rec.key)) != PelmoStatus::kOk)
            second.m_rec = {};

        Pending next{number, {}, {}};
        if (patients) {
            next.row = PatientBulkRow(patient.m_rec, second.m_rec, showIdCut);
            next.alone = [this, p = patient.m_rec, s = second.m_rec, showIdCut] {
                return PublishPatient(m_web, m_log, p, s, showIdCut);
            };
        } else {
            next.row = MemoBulkRow(memo.m_rec);
            next.alone = [this, m = memo.m_rec] { return PublishMemo(m_web, m_log, m); };
        }
        const std::optional<std::string> key = BulkRows::BatchKey(next.row);
        if (!key || batchKeys.count(*key) || m_batchRows <= 1) {
            // Its key might match another record's in the same batch: the batch goes first,
            // then this record by itself, as the one-by-one statements would.
            if (!flush() || !sendAlone(next.alone, number)) {
                stopped = lost = true;
                break;
            }
        } else {
            for (const auto* literals : {&next.row.keys, &next.row.values})
                for (const std::string& literal : *literals)
                    batchBytes += literal.size() + 1;
            batchKeys.insert(*key);
            batch.push_back(std::move(next));
            if ((batch.size() >= m_batchRows || batchBytes >= kBatchBytes) && !flush()) {
                stopped = lost = true;
                break;
            }
        }
        ++number;
        rc = table.GetNEXT();
    }
    // What the walk collected still goes, also when asked to stop or at a local read error.
    bool gone = false;
    if (!batch.empty() && (!stopped || !lost) && !flush())
        gone = true;
    stopped = stopped || gone;
    if (!stopped && rc != PelmoStatus::kEndOfFile)
        m_log.WriteLog(OperationLog::Error, table.GetLastDBErr());
    result.completed = !stopped && rc == PelmoStatus::kEndOfFile;

    m_web.Close();
    m_log.WriteLog(OperationLog::Info,
                   J(texts.result) +
                       platform::FormatNumbers(J(" 追加[%d]件 更新[%d]件 失敗[%d]件").c_str(),
                                               result.added, result.updated, result.failed));
    if (timerWasRunning && m_hooks.restartTimer)
        m_hooks.restartTimer();
    return result;
}
