#pragma once
// IWebLogTable over the local database library's CWebLogDB.
#include "agent/sync/log/IWebLogTable.h"

class LocalWebLogTable : public IWebLogTable {
public:
    explicit LocalWebLogTable(const std::string& databaseFolder);
    int Open() override { return m_db.Open(); }
    int GetLastWebLogNo(const std::string& yyyymmdd) override {
        return m_db.GetLastWebLogNo(yyyymmdd);
    }
    int Insert(const tagWebLog& record) override;
    void Close() override { m_db.Close(); }

private:
    CWebLogDB m_db;
};
