#pragma once
// The web side of the notice dialogs: every statement they send to `notifications` and
// `notification_statuses`. Each operation opens the shared connection, does its work and closes
// the connection again. A database error is caught here, logged under "SQLエラー" when the
// context has a log, and returned with the database's own text; nothing throws to the caller.
// Notices whose `notification_id` is 'reminder' belong to the web service and are never read.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "agent/dialogs/NoticeContext.h"
#include "agent/dialogs/NoticeResult.h"
#include "agent/dialogs/tagNotificationData.h"

class CRecordset;

class NotificationStore {
public:
    using NoticeMap = std::map<std::string, tagNotificationData>; // by id
    // Notification dates YYYYMMDD, both ends included.
    using DateRange = std::pair<std::string, std::string>;

    explicit NotificationStore(NoticeContext& ctx) : m_ctx(ctx) {}

    // Replaces out by the notices to all patients.
    NoticeResult LoadAllPatients(NoticeMap& out);
    // Replaces out by the individual notices, of the range or (without one) all, with their
    // read marks.
    NoticeResult LoadIndividual(const std::optional<DateRange>& range, NoticeMap& out);
    // Sets the read flag of every individual notice the patient has opened (flags already set
    // stay set).
    NoticeResult LoadReadMarks(NoticeMap& individual);

    // Writes the notice: an existing one whose row is still there by UPDATE, anything else by
    // INSERT (a copy loses its copy id first). On success the notice carries its id (the new one
    // after an INSERT) and the time stamps sent. When the INSERT went through but its id could
    // not be read, the result fails with insertedWithoutId set.
    struct SaveResult : NoticeResult {
        bool inserted = false;
        bool insertedWithoutId = false;
    };
    SaveResult Save(tagNotificationData& notice);
    // Deletes the notice's row. Fails for an id that is not a number.
    NoticeResult Delete(const tagNotificationData& notice);

    // A patient's send history: the patient's notices in the database's order, each with its
    // read mark. Rows read before a failure are kept in out.
    NoticeResult LoadForPatient(const std::string& patientKey,
                                std::vector<tagNotificationData>& out);
    // Deletes one row of the send history by its id, on a connection of its own.
    NoticeResult DeleteById(const std::string& id);

    // The current flag of a valid-to date (YYYYMMDD or empty) today.
    int CurrentFlag(const std::string& validToDate) const;
    // Display number, name and kana of the notice's patient from the local patient table; false
    // (fields unchanged) without a patient key or when the patient is not there.
    bool FillPatient(tagNotificationData& notice) const;

private:
    class Connection;

    NoticeResult Connect();
    NoticeResult Fail(const std::string& error);
    void Observe(const std::string& sql) const;
    void Open(CRecordset& rs, const std::string& sql) const;
    void Execute(const std::string& sql) const;
    tagNotificationData ReadNotice(const CRecordset& rs) const;
    NoticeResult LoadInto(const std::string& sql, NoticeMap& out);
    void ReadMarks(NoticeMap& individual) const;
    void Log(int category, const std::string& text, const std::string& reference = {}) const;

    NoticeContext& m_ctx;
};
