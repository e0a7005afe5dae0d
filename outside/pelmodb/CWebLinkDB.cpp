#include "CWebLinkDB.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {
TableSpec MakeSpec() {
    using R = tagWebLink;
    TableSpec s;
    s.table = "web_link";
    s.recordSize = sizeof(R);
    s.fields = {
        PELMO_FIELD(R, webTable, Text),   PELMO_FIELD(R, webId, Text),
        PELMO_FIELD(R, action, Byte),     PELMO_FIELD(R, reservationKey, Text),
        PELMO_FIELD(R, standbyKey, Text), PELMO_FIELD(R, request, Text),
        PELMO_FIELD(R, madeAt, Text),     PELMO_FIELD(R, confirmedAt, Text),
    };
    s.keys = {{0, "k0", {PELMO_SEGMENT(R, webTable), PELMO_SEGMENT(R, webId)}}};
    s.addedLater = true;
    return s;
}

// A text into a field, cut to fit (the texts here are ASCII: table names, keys, stamps).
void CopyField(char* dst, std::size_t size, std::string_view src) {
    std::memset(dst, 0, size);
    std::memcpy(dst, src.data(), std::min(src.size(), size - 1));
}
} // namespace

const TableSpec& CWebLinkDB::Spec() {
    static const TableSpec spec = MakeSpec();
    return spec;
}

CWebLinkDB::CWebLinkDB(const std::string& folder, int mode)
    : CBaseDBCall(folder, mode, Spec(), &m_rec) {}

std::string CWebLinkDB::KeyOf(std::string_view webTable, std::string_view webId) const {
    tagWebLink key{};
    CopyField(key.webTable, sizeof key.webTable, webTable);
    CopyField(key.webId, sizeof key.webId, webId);
    return Spec().KeyBytes(Spec().keys[0], &key);
}

int CWebLinkDB::GetWebLink(std::string_view webTable, std::string_view webId) {
    return GetByKey0(KeyOf(webTable, webId));
}

int CWebLinkDB::Put() {
    int rc = Update();
    if (rc == PelmoStatus::kNotFound)
        rc = Insert();
    return rc;
}

int CWebLinkDB::Confirm(std::string_view webTable, std::string_view webId, std::string_view stamp) {
    int rc = GetWebLink(webTable, webId);
    if (rc != PelmoStatus::kOk)
        return rc;
    CopyField(m_rec.confirmedAt, sizeof m_rec.confirmedAt, stamp);
    return Update();
}

int CWebLinkDB::GetOutstanding(std::string_view webTable, std::vector<tagWebLink>& links) {
    links.clear();
    const std::string from = KeyOf(webTable, "");
    SetKey(0);
    SetKeyBuffer(from.data(), static_cast<int>(from.size()));
    int rc = GetGREQ();
    for (; rc == PelmoStatus::kOk; rc = GetNEXT()) {
        if (std::memcmp(m_rec.webTable, from.data(), sizeof m_rec.webTable) != 0)
            break;
        if (m_rec.confirmedAt[0] == '\0')
            links.push_back(m_rec);
    }
    return rc == PelmoStatus::kOk || rc == PelmoStatus::kEndOfFile ? PelmoStatus::kOk : rc;
}

int CWebLinkDB::Prune(std::string_view confirmedBefore, std::string_view madeBefore) {
    auto conn = Connection();
    if (!conn)
        return -1;
    std::string err;
    if (conn->Begin(err) != SQLITE_OK) {
        Fail(PelmoStatus::kBusy, "cannot lock the database: " + err);
        return -1;
    }
    sqlite3_stmt* st = conn->Prepare("DELETE FROM web_link WHERE (confirmedAt <> '' AND "
                                     "confirmedAt < ?1) OR madeAt < ?2",
                                     err);
    int removed = -1;
    if (st) {
        const std::string a(confirmedBefore), b(madeBefore);
        sqlite3_bind_text(st, 1, a.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.c_str(), -1, SQLITE_TRANSIENT);
        if (conn->Step(st) == SQLITE_DONE)
            removed = sqlite3_changes(conn->Handle());
        else
            err = conn->ErrorText();
        sqlite3_reset(st);
    }
    std::string endErr;
    if (conn->End(removed >= 0, endErr) != SQLITE_OK && removed >= 0) {
        err = endErr;
        removed = -1;
    }
    if (removed < 0)
        Fail(PelmoStatus::kDatabaseError, "prune failed: " + err);
    return removed;
}
