#pragma once
// The application object of the agent program: start mode, the single-instance guard of that
// mode, the web session with its connection values, the clinic code. No Qt: the desktop comes
// in through IStartupUi.
#include <memory>
#include <string>
#include <vector>

#include "agent/core/ClinicSettings.h"
#include "agent/core/WebSession.h"
#include "platform/SingleInstance.h"

class IStartupUi;

class CApposyncApp {
public:
    // sleeper: the pause between connect attempts (tests record it); empty = a real sleep.
    explicit CApposyncApp(WebSession::Sleeper sleeper = {});
    ~CApposyncApp(); // releases the single-instance guard
    CApposyncApp(const CApposyncApp&) = delete;
    CApposyncApp& operator=(const CApposyncApp&) = delete;

    // The whole start-up: mode from the command line; when another process of the mode runs,
    // raise it and end (0); settings read; for modes 1..6 the web database is proven reachable
    // (a database error of the last attempt shows "Web連携機能の起動に失敗しました。\n<text>" and
    // ends with 1); then the mode's dialog (modes 3 and 5 only with "KEY="). Returns the exit
    // status.
    int InitInstance(const std::string& commandLine, IStartupUi& ui);

    // Takes the single-instance guard of a mode. False when another process of the mode holds
    // it.
    bool AcquireInstance(int mode);
    // Makes "Apposync.ini" the profile file and reads the connection values (USER and PASS
    // deciphered) and the clinic code; notes what is wrong with the settings files.
    void LoadSettings();
    // Lines naming a missing, unreadable or empty settings file (SettingsFileProblems), as
    // LoadSettings found them; empty when the files are usable.
    const std::vector<std::string>& SettingsProblems() const { return m_settingsProblems; }

    int Mode() const { return m_mode; }
    // The process's settings as LoadSettings fixed them; what the engine and the dialogs read.
    const ClinicSettings& Settings() const { return m_settings; }
    WebSession& Web() { return m_web; }
    const std::string& DatabaseFolder() const { return m_databaseFolder; }
    const std::string& ClinicCode() const { return m_clinicCode; }
    // The entry folder the local database names ("" when none or unreadable); a configured one
    // makes the main window hide at start.
    std::string ConfiguredEntryFolder() const;

private:
    int m_mode = 0;
    std::unique_ptr<platform::SingleInstance> m_instance;
    WebSession m_web;
    ClinicSettings m_settings;
    std::string m_databaseFolder;
    std::string m_clinicCode;
    std::vector<std::string> m_settingsProblems;
};
