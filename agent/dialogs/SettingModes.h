#pragma once
// Entry points of the booking settings and URL settings dialogs for the agent program.
#include <string>

class QWidget;
class WebSession;

// Start mode "SETTING": the settings dialog as the whole process. Its window answers
// activation under propertyName, so a second start raises it. Returns the exit status.
int RunSettingMode(WebSession& web, const std::string& clinicCode, const std::string& propertyName);

// Start mode "URL": the URL settings dialog as the whole process (it answers no activation).
int RunUrlMode(WebSession& web, const std::string& clinicCode);

// The settings dialog over the main window; true when it was closed with OK.
bool OpenSettingDialog(QWidget* parent, WebSession& web, const std::string& clinicCode);
