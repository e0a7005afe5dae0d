#pragma once
// The desktop side of start-up: activation over the platform's local socket, Qt message boxes,
// and the dialogs of the start modes (the main window for mode 0).
#include "agent/app/IStartupUi.h"

class QtStartupUi : public IStartupUi {
public:
    bool ActivateRunning(const std::string& propertyName) override;
    void ShowMessage(const std::string& text) override;
    // Mode 0: the main window and the event loop until the agent ends. A mode whose dialog is
    // not in this build says so on standard error and returns 2.
    int RunDialog(CApposyncApp& app, int mode, const std::string& key) override;
};
