#pragma once
// Where the notice dialogs are opened: as the whole process for the start words "Notification"
// and "PATIENT", and from the resident agent's main window.
#include <string>

class OperationLog;
class PatientDirectory;
class QWidget;
class WebSession;

// The notice list as the whole process: shows it modally, marked with propertyName so that a
// second start raises it, and returns the exit status (0) when it closes. Nothing is logged.
int RunNotificationMode(WebSession& web, const std::string& databaseFolder,
                        const std::string& propertyName);

// The send history of the patient as the whole process, marked like the notice list.
int RunPatientMode(WebSession& web, const std::string& databaseFolder,
                   const std::string& patientKey, const std::string& propertyName);

// The notice list from the main window (not marked), logging to the window's log and sharing
// its patient directory. Returns when it closes. REQUIRES: the cycle does not run meanwhile
// (the caller holds the busy guard), since the list opens and closes the shared connection.
void OpenNotificationDialog(QWidget* parent, WebSession& web, OperationLog& log,
                            const std::string& databaseFolder, PatientDirectory& directory);
