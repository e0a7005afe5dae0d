#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "agent/core/ClinicSettings.h"
#include "agent/core/CommaList.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/exchanges/SettingsPublish.h"
#include "agent/sync/support/FirstVisitPages.h"
#include "agent/sync/support/PublishStatements.h"
#include "outside/pelmodb/COwnerDB.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"
#include "platform/RecordFields.h"

using platform::J;
using platform::RecText;
namespace keys = settingkeys;

namespace {

struct WebStaff {
    long id = 0;
    std::string staffId;
};

// Publishes every local user with a password. True when every user was looked up on the web
// (the walk reached the end of the table); only then may web rows of other ids be removed.
bool PublishStaffRows(SyncContext& ctx, COwnerDB& users, std::set<long>& published) {
    users.SetKey(0);
    int rc = users.GetFIRST();
    for (; rc == PelmoStatus::kOk; rc = users.GetNEXT()) {
        const long id = users.m_rec.id;
        const std::string code = RecText(users.m_rec.staffCode);
        const std::string name = RecText(users.m_rec.name);
        const std::string password = RecText(users.m_rec.password);
        const int exists =
            PublishRowExists(ctx, "SELECT * FROM staffs WHERE id=" + std::to_string(id));
        if (exists < 0)
            return false;
        if (password.empty())
            continue; // no login on the site: its web row goes below
        // The password goes to the site as stored; it is never put into a log text.
        const std::string who = " [" + code + " " + name + "]";
        published.insert(id);
        if (exists > 0) {
            ctx.log.WriteLog(OperationLog::Info, J("認証ユーザー 更新") + who);
            ExecutePublishStatement(
                ctx,
                "UPDATE staffs SET staff_id=" + SqlText(code) + ",username=" + SqlText(name) +
                    ",password=" + SqlText(password) + " WHERE id=" + std::to_string(id),
                password);
        } else {
            ctx.log.WriteLog(OperationLog::Info, J("認証ユーザー 追加") + who);
            ExecutePublishStatement(ctx,
                                    "INSERT INTO staffs(id,staff_id,username,password) VALUES(" +
                                        std::to_string(id) + "," + SqlText(code) + "," +
                                        SqlText(name) + "," + SqlText(password) + ")",
                                    password);
        }
    }
    if (rc != PelmoStatus::kEndOfFile) {
        ctx.log.WriteLog(OperationLog::Error, users.GetLastDBErr());
        return false;
    }
    return true;
}

// Web rows whose ids were not published; false when the table could not be read whole.
bool StaleStaffRows(SyncContext& ctx, const std::set<long>& published,
                    std::vector<WebStaff>& stale) {
    CRecordset rs(&ctx.web.Database());
    if (!OpenPublishQuery(ctx, rs, "SELECT * FROM staffs"))
        return false;
    try {
        for (; !rs.IsEOF(); rs.MoveNext()) {
            WebStaff row;
            row.id = std::strtol(GetFieldText(rs, "id").c_str(), nullptr, 10);
            row.staffId = GetFieldText(rs, "staff_id");
            if (!published.count(row.id))
                stale.push_back(row);
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
        return false;
    }
    return true;
}

void PublishStaffs(SyncContext& ctx) {
    COwnerDB users(ctx.databaseFolder, 1);
    users.SetAssociatedDB(nullptr);
    const std::time_t tableTime = static_cast<std::time_t>(users.GetFileTime());
    if (tableTime == ctx.state.staffPublished)
        return;
    const std::time_t before = ctx.state.staffPublished;
    ctx.state.staffPublished = tableTime;
    ctx.log.WriteLog(OperationLog::Info, J("ログインユーザー情報セット"));

    std::set<long> published;
    std::vector<WebStaff> stale;
    if (!PublishStaffRows(ctx, users, published) || !StaleStaffRows(ctx, published, stale)) {
        // A walk that stopped early says nothing about the users it did not reach: delete
        // nothing, and walk again next cycle so a removed login does not linger on the site.
        ctx.state.staffPublished = before;
        return;
    }
    for (const WebStaff& row : stale) {
        ctx.log.WriteLog(OperationLog::Info, J("認証ユーザー 削除 [") + row.staffId + "]");
        ExecutePublishStatement(ctx, "DELETE FROM staffs WHERE id=" + std::to_string(row.id));
    }
}

std::string NoteText(std::string note) {
    const std::string marker = "[$ENTER]";
    for (std::string::size_type at = note.find(marker); at != std::string::npos;
         at = note.find(marker, at + 2))
        note.replace(at, marker.size(), "\r\n");
    return note;
}

void PublishFirstVisitPages(SyncContext& ctx) {
    const bool doctorMode = ctx.settings.Get(keys::kUnitType) != 0;
    const int pages = FirstVisitPageCount(ctx.settings);
    for (int p = 1; p <= pages; ++p) {
        const int page = p - 1; // key suffix index
        const int afterDays = ctx.settings.Get(keys::kFirstAfterDays, page);
        const int minutes = ctx.settings.Get(keys::kFirstTime, page);
        std::string unitIds = ctx.settings.Get(keys::kFirstUnitId, page);
        std::string picIds = ctx.settings.Get(keys::kFirstUnitDoctorId, page);
        if (doctorMode)
            std::swap(unitIds, picIds);
        const std::string title = ctx.settings.Get(keys::kFirstTitle, page);
        const std::string note = NoteText(ctx.settings.Get(keys::kFirstNote, page));
        const std::string required = ctx.settings.Get(keys::kFirstRequired, page);

        const std::string where =
            p == 1 ? "type IS NULL AND name IS NULL" : "type IS NULL AND name=" + std::to_string(p);
        const int exists = PublishRowExists(ctx, "SELECT * FROM appo_types WHERE " + where);
        if (exists < 0)
            continue;
        if (exists > 0)
            ExecutePublishStatement(
                ctx, "UPDATE appo_types SET treatment_time=" + std::to_string(minutes) +
                         ",available_unit_id=" + SqlText(unitIds) + ",available_pic_id=" +
                         SqlText(picIds) + ",after_days=" + std::to_string(afterDays) +
                         ",title=" + SqlText(title) + ",note=" + SqlText(note) +
                         ",required=" + SqlText(required) + " WHERE " + where);
        else
            ExecutePublishStatement(
                ctx, "INSERT INTO appo_types(type,name,treatment_time,available_unit_id,"
                     "available_pic_id,after_days,title,note,required) VALUES(NULL," +
                         (p == 1 ? std::string("NULL") : std::to_string(p)) + "," +
                         std::to_string(minutes) + "," + SqlText(unitIds) + "," + SqlText(picIds) +
                         "," + std::to_string(afterDays) + "," + SqlText(title) + "," +
                         SqlText(note) + "," + SqlText(required) + ")");
    }
}

// Walks the appointment-type categories (kind "0"). False when the local table failed.
bool PublishTypeRows(SyncContext& ctx) {
    const int afterDays = ctx.settings.Get(keys::kAfterDays);
    const std::string hiddenText = ctx.settings.Get(keys::kHiddenAppoTypes);
    const CommaList types(ctx.settings.Get(keys::kPendingType));
    const CommaList changeOk(ctx.settings.Get(keys::kPendingChangeOk));
    const CommaList typeTime(ctx.settings.Get(keys::kPendingTypeTime));
    const CommaList typeUnit(ctx.settings.Get(keys::kPendingTypeUnit));
    const CommaList typeDoctor(ctx.settings.Get(keys::kPendingTypeDoctor));
    const CommaList names(ctx.settings.Get(keys::kPendingName));

    CCategoryDB& category = ctx.tables.category;
    category.SetKey(0);
    category.SetKeyBuffer("0", 1);
    int rc = category.GetGREQ();
    for (; rc == PelmoStatus::kOk && RecText(category.m_rec.kind) == "0"; rc = category.GetNEXT()) {
        const std::string code = RecText(category.m_rec.code);
        // Without a code the row would look like a first-visit page row on the site.
        if (code.empty())
            continue;
        std::string minutes, units, doctors, shownName;
        const int k = types.Find(code);
        if (k >= 0) {
            if (!changeOk.Has(k) || changeOk.Item(k) == "1") {
                minutes = typeTime.ItemOr(k, "");
                units = typeUnit.ItemOr(k, "");
                doctors = typeDoctor.ItemOr(k, "");
            }
            shownName = names.ItemOr(k, "");
        }
        if (shownName.empty())
            shownName = RecText(category.m_rec.name);
        // A plain text search, as the site's settings always did: "10,11" also hides "1".
        const std::string hidden = hiddenText.find(code) != std::string::npos ? "1" : "";

        const int exists =
            PublishRowExists(ctx, "SELECT * FROM appo_types WHERE type=" + SqlText(code));
        if (exists < 0)
            continue;
        if (exists > 0)
            ExecutePublishStatement(
                ctx, "UPDATE appo_types SET name=" + SqlText(shownName) + ",treatment_time=" +
                         SqlText(minutes) + ",available_unit_id=" + SqlText(units) +
                         ",available_pic_id=" + SqlText(doctors) +
                         ",after_days=" + std::to_string(afterDays) + ",hidden=" + SqlText(hidden) +
                         ",title=" + SqlText(shownName) + " WHERE type=" + SqlText(code));
        else
            ExecutePublishStatement(
                ctx, "INSERT INTO appo_types(type,name,treatment_time,available_unit_id,"
                     "available_pic_id,after_days,hidden,title) VALUES(" +
                         SqlText(code) + "," + SqlText(shownName) + "," + SqlText(minutes) + "," +
                         SqlText(units) + "," + SqlText(doctors) + "," + std::to_string(afterDays) +
                         "," + SqlText(hidden) + "," + SqlText(shownName) + ")");
    }
    if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile) {
        ctx.log.WriteLog(OperationLog::Error, category.GetLastDBErr());
        return false;
    }
    return true;
}

void PublishAppoTypes(SyncContext& ctx) {
    const std::time_t tableTime = static_cast<std::time_t>(ctx.tables.category.GetFileTime());
    if (tableTime == ctx.state.typesPublished)
        return;
    const std::time_t before = ctx.state.typesPublished;
    ctx.state.typesPublished = tableTime;
    ctx.log.WriteLog(OperationLog::Info, J("予約種類セット"));
    PublishFirstVisitPages(ctx);
    if (!PublishTypeRows(ctx))
        ctx.state.typesPublished = before; // the local table failed: read it again next cycle
}

} // namespace

// The table stamps are milliseconds, kept in the time fields of the engine state; the "never"
// value there can never be such a stamp of a table that exists.
void PublishStaffsAndAppoTypes(SyncContext& ctx) {
    PublishStaffs(ctx);
    PublishAppoTypes(ctx);
}
