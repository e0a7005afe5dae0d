#include "agent/core/WebSchema.h"

#include <vector>

#include "platform/Profile.h"

namespace {

const std::vector<std::vector<const char*>>& Groups() {
    static const std::vector<std::vector<const char*>> groups = {
        {"ALTER TABLE appo_times ADD time_list VARCHAR(256);",
         "ALTER TABLE appo_types ADD title VARCHAR(128);",
         "ALTER TABLE appo_types ADD note VARCHAR(256);",
         "ALTER TABLE appo_types ADD required VARCHAR(256);",
         "ALTER TABLE first_appointments ADD appo_flag TINYINT;"},
        {"ALTER TABLE hospital_infos ADD url VARCHAR(256);"},
        {"ALTER TABLE hospital_infos ADD hidden_appotype TINYINT;",
         "ALTER TABLE hospital_infos ADD hidden_endtime TINYINT;",
         "ALTER TABLE hospital_infos ADD calendar_type TINYINT;"},
        {"ALTER TABLE hospital_infos ADD url_title VARCHAR(20);",
         "ALTER TABLE hospital_infos ADD url2 VARCHAR(256);",
         "ALTER TABLE hospital_infos ADD url2_title VARCHAR(20);"},
    };
    return groups;
}

} // namespace

bool UpgradeWebSchema(CDatabase& db, const std::string& profileFile) {
    int version = platform::GetProfileInt(profileFile, "COMMON", "DB_VERSION", 0);
    if (version >= 4)
        return true;
    if (version < 0)
        version = 0; // a damaged value: run everything, existing columns count as done
    const auto& groups = Groups();
    for (size_t g = static_cast<size_t>(version); g < groups.size(); ++g) {
        for (const char* statement : groups[g]) {
            try {
                db.ExecuteSQL(statement);
            } catch (const CDBException& e) {
                if (e.m_strError.find("Duplicate") == std::string::npos)
                    return false;
            }
        }
    }
    return platform::WriteProfileString(profileFile, "COMMON", "DB_VERSION", "4");
}
