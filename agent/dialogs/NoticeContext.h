#pragma once
// What the notice dialogs work with. The references must outlive every dialog and model built
// on the context. The web session is the process's shared connection: the dialogs open it for
// each piece of work and close it again, so the resident agent opens them only under its busy
// guard (no cycle meanwhile).
#include <functional>
#include <string>

#include "agent/core/WebSession.h"
#include "agent/sync/log/OperationLog.h"
#include "agent/sync/support/PatientDirectory.h"
#include "platform/Clock.h"

struct NoticeContext {
    WebSession& web;
    const platform::Clock& clock;
    std::string databaseFolder; // local database folder, ending in '/'
    PatientDirectory& directory;
    // The main window's operation log; null in the whole-process modes, which log nothing.
    OperationLog* log = nullptr;
    // Sees every statement text just before it is sent (tests); may be empty.
    std::function<void(const std::string& sql)> statementObserver;
};
