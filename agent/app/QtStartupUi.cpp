#include "agent/app/QtStartupUi.h"

#include "agent/app/AgentController.h"
#include "agent/app/AgentCycle.h"
#include "agent/app/CApposyncApp.h"
#include "agent/app/CApposyncDlg.h"
#include "agent/app/ClinicZoneLines.h"
#include "agent/app/StartMode.h"
#include "agent/dialogs/NoticeDialogs.h"
#include "agent/dialogs/ReviewModes.h"
#include "agent/dialogs/SettingModes.h"
#include "agent/sync/cycle/EngineState.h"
#include "agent/sync/health/HealthMonitor.h"
#include "agent/sync/health/HealthStatusFile.h"
#include "agent/sync/log/IWebLogTable.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/SystemClock.h"
#include "platform/qt/ActivationServer.h"
#include "platform/qt/QtText.h"
#include "platform/qt/WindowPlacement.h"

#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTimer>
#include <iostream>
#include <unistd.h>

bool QtStartupUi::ActivateRunning(const std::string& propertyName) {
    return platform::ActivationServer::ActivateRunning(propertyName);
}

void QtStartupUi::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Apposync"), platform::ToQString(text),
                    QMessageBox::Ok);
    box.exec();
}

int QtStartupUi::RunDialog(CApposyncApp& app, int mode, const std::string& key) {
    switch (mode) {
    case StartMode::Notification:
        return RunNotificationMode(app.Web(), app.DatabaseFolder(), StartMode::PropertyName(mode));
    case StartMode::Setting:
        return RunSettingMode(app.Web(), app.ClinicCode(), StartMode::PropertyName(mode));
    case StartMode::Patient:
        return RunPatientMode(app.Web(), app.DatabaseFolder(), key, StartMode::PropertyName(mode));
    case StartMode::Check:
        return RunCheckReservationMode(app.Web(), app.DatabaseFolder(),
                                       StartMode::PropertyName(mode));
    case StartMode::FirstAppo:
        return RunFirstAppoInfoMode(app.Web(), key, StartMode::PropertyName(mode));
    case StartMode::Url:
        return RunUrlMode(app.Web(), app.ClinicCode());
    default:
        break;
    }
    if (mode != StartMode::Resident) {
        std::cerr << "apposync: the dialog \"" << StartMode::DialogCaptionUtf8(mode)
                  << "\" (start word " << StartMode::Word(mode) << ") is not part of this build\n";
        return 2;
    }

    const platform::SystemClock& clock = platform::SystemClock::Instance();
    OperationLog log(clock, LocalWebLogTables());
    log.SetDatabaseFolder(app.DatabaseFolder());
    log.SetLostConnectionHandler([&app] { app.Web().RaiseReconnect(); });

    EngineState state;
    HealthMonitor health(log, app.Web(), state, clock, HealthThresholds::Read(app.Settings()),
                         HealthStatusFile::PathIn(app.DatabaseFolder()), ::getpid());
    CApposyncDlg* window = nullptr;
    AgentController controller(
        state, [&] { AgentCycle(app.Settings(), app.Web(), log, clock, state, &health).Run(); },
        {[&window](int ms) { window->ArmTimer(ms); }, [&window] { window->KillTimer(); }});

    // The window lives until the agent ends; the tray decides whether hiding is allowed.
    CApposyncDlg dlg(controller, log, QSystemTrayIcon::isSystemTrayAvailable());
    window = &dlg;
    // Per user and PC, not in Apposync.ini: that file is the clinic's, and its change time
    // makes the agent publish the first-visit hours again.
    dlg.RememberPlacement(std::make_unique<platform::WindowPlacement>(
        platform::RegistryStore(), "SOFTWARE\\Talmor\\Apposync\\MainWindow"));
    dlg.AttachHealth(health);
    dlg.EnableBulkSends(app.Settings(), app.Web(), app.DatabaseFolder());
    dlg.SetNoticeOpener([&](QWidget* parent) {
        OpenNotificationDialog(parent, app.Web(), log, app.DatabaseFolder(),
                               state.patientDirectory);
    });
    dlg.SetSettingsDialog([&] {
        if (OpenSettingDialog(&dlg, app.Web(), app.ClinicCode()))
            state.ReadAppoSend(app.Settings());
    });
    // Marks the window: a second start of the agent raises it.
    platform::ActivationServer activation(StartMode::PropertyName(StartMode::Resident), &dlg);

    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&dlg, &CApposyncDlg::exitRequested, qApp, &QCoreApplication::quit);
    state.ReadAppoSend(app.Settings());
    WriteClinicZoneLines(log, platform::StartZoneChoice());
    // A broken settings file is said in the window, which then stays in view.
    const auto& problems = app.SettingsProblems();
    dlg.Initialise(problems.empty() && !app.ConfiguredEntryFolder().empty());
    for (const std::string& problem : problems)
        log.WriteLog(OperationLog::Error, problem);
    // At log-in the agent may start before the desktop's tray: look again every 2 seconds, up
    // to 60 times, and move into the tray once it is there.
    QTimer trayProbe;
    int probes = 0;
    if (!dlg.HasTray()) {
        QObject::connect(&trayProbe, &QTimer::timeout, [&] {
            if (QSystemTrayIcon::isSystemTrayAvailable()) {
                dlg.AttachTray();
                trayProbe.stop();
            } else if (++probes >= 60) {
                trayProbe.stop();
            }
        });
        trayProbe.start(2000);
    }
    QApplication::exec();
    return 0;
}
