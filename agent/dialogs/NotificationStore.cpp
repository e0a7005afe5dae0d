#include "agent/dialogs/NotificationStore.h"

#include <cstdlib>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/support/FillStatement.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/pelmodb/CPatientDB.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;

namespace {

constexpr const char* kSelectAllPatients =
    "SELECT * FROM notifications WHERE (patient_key IS NULL) AND "
    "(notification_id<>'reminder' OR notification_id IS NULL)";
constexpr const char* kSelectIndividual =
    "SELECT * FROM notifications WHERE (patient_key IS NOT NULL) AND "
    "(notification_id<>'reminder' OR notification_id IS NULL)";
constexpr const char* kSelectIndividualInRange =
    "SELECT * FROM notifications WHERE (notification_date between %s and %s) AND "
    "(patient_key IS NOT NULL) AND (notification_id<>'reminder' OR notification_id IS NULL)";
constexpr const char* kSelectReadMarks = "SELECT * FROM notification_statuses WHERE checked_flag=1";
constexpr const char* kSelectById = "SELECT * FROM notifications WHERE id=%s";
constexpr const char* kInsert =
    "INSERT INTO notifications(id,notification_date,patient_key,title,content,valid_from_date,"
    "valid_to_date,created_at,updated_at) VALUES(NULL,%s,%s,%s,%s,%s,%s,%s,%s)";
constexpr const char* kUpdate =
    "UPDATE notifications SET notification_date=%s,patient_key=%s,title=%s,content=%s,"
    "valid_from_date=%s,valid_to_date=%s,updated_at=%s WHERE id=%s";
constexpr const char* kLastInsertId = "SELECT LAST_INSERT_ID()";
constexpr const char* kDeleteById = "DELETE FROM notifications WHERE id=%s";
constexpr const char* kSelectForPatient =
    "SELECT * FROM notifications WHERE (patient_key=%s) AND "
    "(notification_id<>'reminder' OR notification_id IS NULL)";
constexpr const char* kSelectStatusesOf =
    "SELECT * FROM notification_statuses WHERE notification_id=%d";
constexpr const char* kDeleteByNumber = "DELETE FROM notifications WHERE id=%d";

// Ids go into statements as they stand, so only plain numbers are accepted.
bool IsNumericId(const std::string& id) {
    if (id.empty() || id.size() > 19)
        return false;
    for (char c : id) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "'YYYY-MM-DD HH:MM:SS'" -> YYYY-MM-DD HH:MM:SS, as the web gives the column back.
std::string Unquoted(const std::string& literal) {
    if (literal.size() >= 2 && literal.front() == '\'' && literal.back() == '\'')
        return literal.substr(1, literal.size() - 2);
    return literal;
}

} // namespace

// Closes the shared connection when the work is done, whatever happened.
class NotificationStore::Connection {
public:
    explicit Connection(WebSession& web) : m_web(web) {}
    ~Connection() { m_web.Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

private:
    WebSession& m_web;
};

void NotificationStore::Log(int category, const std::string& text,
                            const std::string& reference) const {
    if (m_ctx.log)
        m_ctx.log->WriteLog(category, text, reference);
}

void NotificationStore::Observe(const std::string& sql) const {
    if (m_ctx.statementObserver)
        m_ctx.statementObserver(sql);
}

void NotificationStore::Open(CRecordset& rs, const std::string& sql) const {
    Observe(sql);
    if (!rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly))
        throw CDBException("Connection not open", "08003", 0);
}

void NotificationStore::Execute(const std::string& sql) const {
    Observe(sql);
    m_ctx.web.Database().ExecuteSQL(sql);
}

NoticeResult NotificationStore::Fail(const std::string& error) {
    Log(OperationLog::SqlError, error);
    return NoticeResult::Failed(error);
}

NoticeResult NotificationStore::Connect() {
    try {
        if (m_ctx.web.OpenWebConnection())
            return {};
    } catch (const CDBException& e) {
        Log(OperationLog::SqlError, e.m_strError);
        return NoticeResult::Failed(e.m_strError, true);
    }
    // The server was not reached: no database error to log, but the caller must say so.
    std::string error = m_ctx.web.Database().LastConnectError();
    if (error.empty())
        error = J("Webデータベースに接続できません。");
    return NoticeResult::Failed(error, true);
}

int NotificationStore::CurrentFlag(const std::string& validToDate) const {
    return validToDate.empty() || IsTodayOrLater(validToDate, m_ctx.clock) ? 1 : 0;
}

bool NotificationStore::FillPatient(tagNotificationData& notice) const {
    if (notice.patientKey.empty())
        return false;
    CPatientDB patients(m_ctx.databaseFolder, 0);
    patients.SetAssociatedDB(nullptr);
    if (patients.GetPatient1Data(notice.patientKey) != PelmoStatus::kOk)
        return false;
    notice.patientId = RecText(patients.m_rec.displayNo);
    notice.patientName = RecText(patients.m_rec.name);
    notice.patientKana = RecText(patients.m_rec.kana);
    return true;
}

tagNotificationData NotificationStore::ReadNotice(const CRecordset& rs) const {
    tagNotificationData n;
    n.id = GetFieldText(rs, "id");
    n.patientKey = GetFieldText(rs, "patient_key");
    n.notificationDate = FieldDateYmd(rs, "notification_date");
    n.validFromDate = FieldDateYmd(rs, "valid_from_date");
    n.validToDate = FieldDateYmd(rs, "valid_to_date");
    n.title = GetFieldText(rs, "title");
    n.content = GetFieldText(rs, "content");
    n.createdAt = GetFieldText(rs, "created_at");
    n.updatedAt = GetFieldText(rs, "updated_at");
    n.current = CurrentFlag(n.validToDate);
    return n;
}

NoticeResult NotificationStore::LoadInto(const std::string& sql, NoticeMap& out) {
    try {
        CRecordset rs(&m_ctx.web.Database());
        Open(rs, sql);
        for (; !rs.IsEOF(); rs.MoveNext()) {
            tagNotificationData n = ReadNotice(rs);
            FillPatient(n);
            std::string id = n.id;
            out[id] = std::move(n);
        }
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}

void NotificationStore::ReadMarks(NoticeMap& individual) const {
    CRecordset rs(&m_ctx.web.Database());
    Open(rs, kSelectReadMarks);
    for (; !rs.IsEOF(); rs.MoveNext()) {
        auto it = individual.find(GetFieldText(rs, "notification_id"));
        if (it != individual.end())
            it->second.read = 1;
    }
}

NoticeResult NotificationStore::LoadAllPatients(NoticeMap& out) {
    out.clear();
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    return LoadInto(kSelectAllPatients, out);
}

NoticeResult NotificationStore::LoadIndividual(const std::optional<DateRange>& range,
                                               NoticeMap& out) {
    out.clear();
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    const std::string sql = range ? FillStatement(kSelectIndividualInRange,
                                                  {SqlDate(range->first), SqlDate(range->second)})
                                  : std::string(kSelectIndividual);
    r = LoadInto(sql, out);
    if (!r.ok)
        return r;
    try {
        ReadMarks(out);
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}

NoticeResult NotificationStore::LoadReadMarks(NoticeMap& individual) {
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    try {
        ReadMarks(individual);
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}

NotificationStore::SaveResult NotificationStore::Save(tagNotificationData& notice) {
    SaveResult result;
    auto failed = [](const NoticeResult& r) {
        SaveResult f;
        static_cast<NoticeResult&>(f) = r;
        return f;
    };
    if (notice.id == tagNotificationData::kCopyId)
        notice.id.clear();
    if (!notice.id.empty() && !IsNumericId(notice.id))
        return failed(NoticeResult::Failed(J("お知らせの番号が正しくありません。") + notice.id));

    NoticeResult r = Connect();
    if (!r.ok)
        return failed(r);
    Connection done(m_ctx.web);

    try {
        bool exists = false;
        if (!notice.id.empty()) {
            CRecordset rs(&m_ctx.web.Database());
            Open(rs, FillStatement(kSelectById, {notice.id}));
            exists = !rs.IsEOF();
        }
        const std::string now = SqlDateTimeValue(std::nullopt, m_ctx.clock);
        const std::string date = SqlDate(notice.notificationDate);
        const std::string key = SqlText(notice.patientKey);
        const std::string title = SqlText(notice.title);
        const std::string content = SqlText(notice.content);
        const std::string from = SqlDate(notice.validFromDate);
        const std::string to = SqlDate(notice.validToDate);
        const std::string sql =
            exists ? FillStatement(kUpdate, {date, key, title, content, from, to, now, notice.id})
                   : FillStatement(kInsert, {date, key, title, content, from, to, now, now});
        Log(OperationLog::Info,
            J("お知らせ [") + DateText(notice.notificationDate) + "]" + notice.title,
            notice.patientKey);
        Execute(sql);
        notice.updatedAt = Unquoted(now);
        if (exists)
            return result;
        result.inserted = true;
        notice.createdAt = notice.updatedAt;
        notice.read = 0;
    } catch (const CDBException& e) {
        return failed(Fail(e.m_strError));
    }

    // The row is on the web now; only its id is still to be learnt.
    try {
        CRecordset rs(&m_ctx.web.Database());
        Open(rs, kLastInsertId);
        const std::string id = rs.IsEOF() ? std::string() : GetFieldText(rs, "");
        if (!IsNumericId(id) || id == "0")
            throw CDBException(J("新しいお知らせの番号を読めませんでした。"), "", 0);
        notice.id = id;
    } catch (const CDBException& e) {
        result = failed(Fail(e.m_strError));
        result.inserted = true;
        result.insertedWithoutId = true;
    }
    return result;
}

NoticeResult NotificationStore::Delete(const tagNotificationData& notice) {
    if (!IsNumericId(notice.id))
        return NoticeResult::Failed(J("お知らせの番号が正しくありません。") + notice.id);
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    Log(OperationLog::Info, J("お知らせ削除 [") + notice.title + "]", notice.patientKey);
    try {
        Execute(FillStatement(kDeleteById, {notice.id}));
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}

NoticeResult NotificationStore::LoadForPatient(const std::string& patientKey,
                                               std::vector<tagNotificationData>& out) {
    out.clear();
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    try {
        {
            CRecordset rs(&m_ctx.web.Database());
            Open(rs, FillStatement(kSelectForPatient, {SqlText(patientKey)}));
            for (; !rs.IsEOF(); rs.MoveNext())
                out.push_back(ReadNotice(rs));
        }
        for (tagNotificationData& n : out) {
            if (!IsNumericId(n.id))
                continue;
            CRecordset rs(&m_ctx.web.Database());
            Open(rs, FillStatement(kSelectStatusesOf, {n.id}));
            for (; !rs.IsEOF(); rs.MoveNext()) {
                if (std::atoi(GetFieldText(rs, "checked_flag").c_str()) > 0)
                    n.read = 1;
            }
        }
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}

NoticeResult NotificationStore::DeleteById(const std::string& id) {
    if (!IsNumericId(id))
        return NoticeResult::Failed(J("お知らせの番号が正しくありません。") + id);
    NoticeResult r = Connect();
    if (!r.ok)
        return r;
    Connection done(m_ctx.web);
    try {
        Execute(FillStatement(kDeleteByNumber, {id}));
    } catch (const CDBException& e) {
        return Fail(e.m_strError);
    }
    return {};
}
