#include "agent/app/CApposyncApp.h"

#include "agent/app/IStartupUi.h"
#include "agent/app/StartMode.h"
#include "agent/core/AgentSettings.h"
#include "agent/core/CDBException.h"
#include "agent/core/SettingsFileCheck.h"
#include "agent/core/WebSettings.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "outside/pelmodb/CReservationDB.h"
#include "outside/pelmodb/PelmoStatus.h"
#include "platform/Cp932.h"

#include <cstdio>

CApposyncApp::CApposyncApp(WebSession::Sleeper sleeper)
    : m_web({}, std::move(sleeper)), m_settings(AgentSettings::Process()) {}

CApposyncApp::~CApposyncApp() = default;

bool CApposyncApp::AcquireInstance(int mode) {
    auto guard = std::make_unique<platform::SingleInstance>(StartMode::MutexName(mode));
    if (!guard->Acquire())
        return false;
    m_instance = std::move(guard);
    return true;
}

void CApposyncApp::LoadSettings() {
    m_settingsProblems = SettingsFileProblems();
    AgentSettings::SetProfileFile("");
    m_settings = AgentSettings::Process();
    m_databaseFolder = m_settings.DatabaseFolder();

    m_web.SetValues(WebConnectionValuesFromSettings());

    m_clinicCode.clear();
    if (!m_databaseFolder.empty()) {
        CPelmoDBSys sys(m_databaseFolder);
        std::string code;
        if (sys.GetClinicCode(code) == PelmoStatus::kOk)
            m_clinicCode = code;
    }
}

std::string CApposyncApp::ConfiguredEntryFolder() const {
    if (m_databaseFolder.empty())
        return {};
    CReservationDB reservations(m_databaseFolder, 1);
    return reservations.GetEntryFolder();
}

int CApposyncApp::InitInstance(const std::string& commandLine, IStartupUi& ui) {
    m_mode = StartMode::Detect(commandLine);

    if (!m_instance && !AcquireInstance(m_mode)) {
        // Another process of this mode runs: bring it to the front and end. A dialog without a
        // property (mode 6) answers nobody.
        const std::string property = StartMode::PropertyName(m_mode);
        if (!property.empty())
            ui.ActivateRunning(property);
        return 0;
    }

    LoadSettings();

    if (m_mode != StartMode::Resident) {
        // Only proves the database can be reached before a dialog that needs it; plain failed
        // attempts without a database error still show the dialog.
        // The session reports an unreachable server as a plain failure; its driver text still
        // means the database cannot be reached, so it fails start-up like a database error.
        std::string error;
        try {
            if (m_web.OpenWebConnection())
                m_web.Close();
            else
                error = m_web.Database().LastConnectError();
        } catch (const CDBException& e) {
            error = e.m_strError.empty() ? std::string("?") : e.m_strError;
        }
        if (!error.empty()) {
            ui.ShowMessage(platform::J("Web連携機能の起動に失敗しました。\n") + error);
            return 1;
        }
    }

    const auto key = StartMode::KeyArgument(commandLine);
    if ((m_mode == StartMode::Patient || m_mode == StartMode::FirstAppo) && !key)
        return 0;
    return ui.RunDialog(*this, m_mode, key.value_or(std::string()));
}
