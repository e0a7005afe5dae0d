#pragma once
// Connection values of the agent's web session for a test's fresh web database.
#include "WebDb.h"
#include "agent/core/WebConnectionValues.h"

inline WebConnectionValues WebDbValues(const WebDb& db) {
    WebConnectionValues v;
    v.driver = WebDb::Driver();
    v.host = WebDb::Host();
    v.port = WebDb::Port();
    v.user = WebDb::User();
    v.password = WebDb::Password();
    v.database = db.Name();
    return v;
}
