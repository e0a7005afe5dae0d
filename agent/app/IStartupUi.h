#pragma once
// What start-up needs from the desktop: raising a running instance, a message box and the
// mode's dialog. The program passes the Qt one; tests pass a recorder.
#include <string>

class CApposyncApp;

class IStartupUi {
public:
    virtual ~IStartupUi() = default;
    // Asks the running instance that answers under propertyName to restore and raise its window.
    // True when one answered.
    virtual bool ActivateRunning(const std::string& propertyName) = 0;
    // A message box with an OK button; text is CP932.
    virtual void ShowMessage(const std::string& text) = 0;
    // Shows the dialog of the mode and returns when it is closed (for mode 0: when the agent
    // ends). key: the "KEY=" argument for modes 3 and 5. Returns the process exit status.
    virtual int RunDialog(CApposyncApp& app, int mode, const std::string& key) = 0;
};
