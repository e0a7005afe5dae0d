#include "agent/core/WebSettings.h"

#include "agent/core/AgentSettings.h"

#include <algorithm>

namespace {

// Keys of this platform only: the desktop build had the driver name built in.
constexpr TextKey kOdbcDriver{"COMMON", "ODBC_DRIVER", "{MariaDB Unicode}"};
constexpr IntKey kConnTimeout{"COMMON", "CONN_TIMEOUT", 5};

} // namespace

WebConnectionValues WebConnectionValuesFromSettings() {
    WebConnectionValues v;
    v.driver = AgentSettings::Get(kOdbcDriver);
    if (v.driver.empty())
        v.driver = kOdbcDriver.def;
    v.host = AgentSettings::Get(settingkeys::kHost);
    v.port = AgentSettings::Get(settingkeys::kPort);
    v.user = AgentSettings::User();
    v.password = AgentSettings::Password();
    v.database = WebConnectionValues::DatabaseName(AgentSettings::Get(settingkeys::kMysqlDb));
    v.connectTimeoutSeconds = std::max(1, AgentSettings::Get(kConnTimeout));
    return v;
}
