#include "agent/sync/log/LocalWebLogTable.h"

LocalWebLogTable::LocalWebLogTable(const std::string& databaseFolder) : m_db(databaseFolder, 1) {
    m_db.SetAssociatedDB(nullptr);
}

int LocalWebLogTable::Insert(const tagWebLog& record) {
    m_db.m_rec = record;
    return m_db.Insert();
}

WebLogTableFactory LocalWebLogTables() {
    return [](const std::string& folder) { return std::make_unique<LocalWebLogTable>(folder); };
}
