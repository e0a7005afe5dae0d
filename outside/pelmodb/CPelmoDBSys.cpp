#include "CPelmoDBSys.h"

#include "LocalConnections.h"
#include "PelmoMessages.h"
#include "PelmoSchema.h"
#include "PelmoStatus.h"
#include "SqliteConnection.h"
#include "platform/Cp932.h"

#include <sqlite3.h>

#include <filesystem>

using platform::J;

CPelmoDBSys::CPelmoDBSys(const std::string& folder) : m_folder(folder) {}

CPelmoDBSys::~CPelmoDBSys() = default;

int CPelmoDBSys::CreateDatabase(const std::string& folder, std::string& err) {
    return PelmoSchema::Create(folder, err);
}

void CPelmoDBSys::CloseDB() {
    m_conn.reset();
}

std::shared_ptr<SqliteConnection> CPelmoDBSys::Connection() {
    if (m_conn)
        return m_conn;
    std::string file = PelmoSchema::DatabaseFile(m_folder);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        m_lastErr = PelmoMessages::Missing(file);
        return nullptr;
    }
    // Shared with the other users of this file on this thread while they hold it.
    auto conn = LocalConnections::Get(file, m_lastErr);
    if (!conn)
        return nullptr;
    if (!PelmoSchema::IsClinicDatabase(*conn)) {
        const int rc = sqlite3_errcode(conn->Handle());
        m_lastErr = PelmoMessages::IsLockCode(rc)
                        ? PelmoMessages::Locked(file, J("データベースを開く処理"))
                        : PelmoMessages::NotClinicDatabase(file);
        return nullptr;
    }
    // Another version may lay its records out differently: reading or writing them with this
    // layout would mix up fields.
    std::string version, ignored;
    if (PelmoSchema::ReadValue(*conn, PelmoSchema::kVersionName, version, ignored) != 0) {
        m_lastErr =
            PelmoMessages::CannotOpen(file, sqlite3_errcode(conn->Handle()), conn->ErrorText());
        return nullptr;
    }
    if (version != PelmoSchema::kVersion) {
        m_lastErr = PelmoMessages::WrongVersion(file, version, PelmoSchema::kVersion);
        return nullptr;
    }
    m_conn = conn;
    return m_conn;
}

int CPelmoDBSys::GetEntryFolder(std::string& folder) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    return PelmoSchema::ReadValue(*conn, PelmoSchema::kEntryFolder, folder, m_lastErr);
}

int CPelmoDBSys::SetEntryFolder(const std::string& folder) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    std::string value = folder;
    if (!value.empty() && value.back() != '/')
        value += '/';
    return PelmoSchema::WriteValue(*conn, PelmoSchema::kEntryFolder, value, m_lastErr);
}

int CPelmoDBSys::GetClinicCode(std::string& code) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    return PelmoSchema::ReadValue(*conn, PelmoSchema::kClinicCode, code, m_lastErr);
}

int CPelmoDBSys::SetClinicCode(const std::string& code) {
    auto conn = Connection();
    if (!conn)
        return PelmoStatus::kCannotOpen;
    return PelmoSchema::WriteValue(*conn, PelmoSchema::kClinicCode, code, m_lastErr);
}
