#pragma once
// A database-system handle: one connection to the clinic database of a folder, shared by the
// record classes bound to it with SetAssociatedDB. The connection opens at first use.
#include <memory>
#include <string>

class SqliteConnection;

class CPelmoDBSys {
public:
    explicit CPelmoDBSys(const std::string& folder);
    ~CPelmoDBSys();
    CPelmoDBSys(const CPelmoDBSys&) = delete;
    CPelmoDBSys& operator=(const CPelmoDBSys&) = delete;

    // Creates the database in folder (see PelmoSchema::Create). 0 on success.
    static int CreateDatabase(const std::string& folder, std::string& err);

    // Drops this handle's connection; record classes bound to it keep theirs until destroyed.
    void CloseDB();

    const std::string& GetPath() const { return m_folder; }
    const std::string& GetLastDBErr() const { return m_lastErr; }

    // Installation values (CP932). The entry folder is stored with a trailing '/' when not
    // empty. 0 on success, else a PelmoStatus value.
    int GetEntryFolder(std::string& folder);
    int SetEntryFolder(const std::string& folder);
    int GetClinicCode(std::string& code);
    int SetClinicCode(const std::string& code);

    // The shared connection, opened on first call; null with GetLastDBErr set when the folder
    // holds no clinic database.
    std::shared_ptr<SqliteConnection> Connection();

private:
    std::string m_folder;
    std::string m_lastErr;
    std::shared_ptr<SqliteConnection> m_conn;
};
