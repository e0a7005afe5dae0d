#pragma once
// The [COMMON] section of an Apposync.ini that points the agent at the private web database (on
// the given port, which may be a closed one) with the stored credentials enciphered.
#include <string>

#include "WebDb.h"
#include "agent/core/Credentials.h"

inline std::string WebSettingsIni(int port, const std::string& mysqlDb) {
    return "[COMMON]\r\nHOST=" + WebDb::Host() + "\r\nPORT=" + std::to_string(port) +
           "\r\nUSER=" + EncipherCredential(WebDb::User()) +
           "\r\nPASS=" + EncipherCredential(WebDb::Password()) + "\r\nMYSQL_DB=" + mysqlDb + "\r\n";
}
