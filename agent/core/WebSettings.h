#pragma once
// The web connection values as the settings hold them (profile file, "COMMON" section):
// HOST, PORT, USER and PASS (deciphered), MYSQL_DB (the database is "nvweb-" + it),
// ODBC_DRIVER (default "{MariaDB Unicode}", the driver this platform registers) and
// CONN_TIMEOUT (seconds, default 5; values below 1 become 1).
#include "agent/core/WebConnectionValues.h"

WebConnectionValues WebConnectionValuesFromSettings();
