#include "CIndexControlDB.h"

#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

using platform::J;

namespace {
TableSpec MakeSpec() {
    using R = tagIndexControl;
    TableSpec s;
    s.table = "index_control";
    s.recordSize = sizeof(R);
    s.fields = {PELMO_FIELD(R, kind, Text), PELMO_FIELD(R, nextValue, Int64)};
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, kind)}}};
    return s;
}

std::string TenDigits(std::int64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(v));
    return buf;
}
} // namespace

const TableSpec& CIndexControlDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CIndexControlDB::CIndexControlDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

int CIndexControlDB::TakeNext(const std::string& kind, std::int64_t& value,
                              const std::string& usedInTable) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    const std::string what = J("番号の採番");
    std::string err;
    int code = conn->Begin(err);
    if (code != SQLITE_OK)
        return DbFail(what, code, err);
    int status = PelmoStatus::kOk;
    std::string key = Key0Of(kind);
    std::int64_t next = 1;
    sqlite3_stmt* st = conn->Prepare("SELECT nextValue FROM index_control WHERE k0 = ?1", err);
    if (!st) {
        code = sqlite3_errcode(conn->Handle());
        status = PelmoStatus::kDatabaseError;
    }
    if (status == PelmoStatus::kOk) {
        sqlite3_bind_blob(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        int rc = conn->Step(st);
        if (rc == SQLITE_ROW)
            next = std::max<std::int64_t>(1, sqlite3_column_int64(st, 0));
        else if (rc != SQLITE_DONE) {
            code = rc;
            err = conn->ErrorText();
            status = PelmoStatus::kDatabaseError;
        }
        sqlite3_reset(st);
    }
    // Keys written by other means (imports, other programs) must not be handed out again.
    if (status == PelmoStatus::kOk && !usedInTable.empty()) {
        // Ten-digit keys sort like numbers, so the highest key gives the floor at once.
        st = conn->Prepare("SELECT k0 FROM " + usedInTable + " ORDER BY k0 DESC LIMIT 1", err);
        if (st && conn->Step(st) == SQLITE_ROW) {
            const char* top = static_cast<const char*>(sqlite3_column_blob(st, 0));
            int len = sqlite3_column_bytes(st, 0);
            std::int64_t highest = 0;
            int digits = 0;
            for (int i = 0; i < len && top[i] >= '0' && top[i] <= '9'; ++i, ++digits)
                highest = highest * 10 + (top[i] - '0');
            if (digits == 10 && highest >= next)
                next = highest + 1;
        }
        if (st)
            sqlite3_reset(st);
        st = conn->Prepare("SELECT 1 FROM " + usedInTable + " WHERE k0 = ?1", err);
        if (!st) {
            code = sqlite3_errcode(conn->Handle());
            status = PelmoStatus::kDatabaseError;
        }
        while (status == PelmoStatus::kOk) {
            std::string text = TenDigits(next);
            std::string candidate(11, '\0');
            std::memcpy(candidate.data(), text.data(), std::min<std::size_t>(text.size(), 10));
            sqlite3_bind_blob(st, 1, candidate.data(), 11, SQLITE_TRANSIENT);
            int rc = conn->Step(st);
            sqlite3_reset(st);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW) {
                code = rc;
                err = conn->ErrorText();
                status = PelmoStatus::kDatabaseError;
                break;
            }
            ++next;
        }
    }
    if (status == PelmoStatus::kOk && next > 9999999999LL) {
        err = J("番号 ") + kind + J(" を使い切りました");
        status = PelmoStatus::kBadValue;
    }
    if (status == PelmoStatus::kOk) {
        st = conn->Prepare("INSERT INTO index_control(k0, kind, nextValue) VALUES(?1, ?2, ?3) "
                           "ON CONFLICT(k0) DO UPDATE SET nextValue = excluded.nextValue",
                           err);
        if (!st) {
            code = sqlite3_errcode(conn->Handle());
            status = PelmoStatus::kDatabaseError;
        } else {
            sqlite3_bind_blob(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, kind.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(st, 3, next + 1);
            code = conn->Step(st);
            if (code != SQLITE_DONE) {
                err = conn->ErrorText();
                status = PelmoStatus::kDatabaseError;
            }
            sqlite3_reset(st);
        }
    }
    std::string endErr;
    const int end = conn->End(status == PelmoStatus::kOk, endErr);
    if (end != SQLITE_OK && status == PelmoStatus::kOk)
        return DbFail(what, end, endErr);
    if (status == PelmoStatus::kDatabaseError)
        return DbFail(what, code, err);
    if (status != PelmoStatus::kOk)
        return Fail(status, err);
    value = next;
    return PelmoStatus::kOk;
}

std::string CIndexControlDB::GetNexReservationIndex() {
    std::int64_t value = 0;
    if (TakeNext(kReservation, value, "reservation") != PelmoStatus::kOk)
        return {};
    m_lastTaken = TenDigits(value);
    return m_lastTaken;
}

int CIndexControlDB::UpdateNext() {
    if (m_lastTaken.empty())
        return Fail(PelmoStatus::kNoCurrent, J("予約番号が採番されていません"));
    m_lastTaken.clear();
    return PelmoStatus::kOk;
}
