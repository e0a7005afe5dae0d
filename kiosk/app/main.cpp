// Arrivo: the self check-in kiosk.
#include "CArrivoDlg.h"
#include "CPelmoDBSys.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "outside/tools/CTools.h"
#include "platform/ClinicZone.h"
#include "platform/SystemClock.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Before Qt and any thread: "today" of the reservations is the clinic's.
    platform::StartInClinicZone(CTools::GetCorvaneIniFileName(), "arrivo");
    QApplication app(argc, argv);
    platform::UseSuiteFont();
    KioskSettings settings;
    settings.Load(KioskSettings::DefaultIniFile());
    // The program's database session; the scans open the database on their own.
    CPelmoDBSys session(settings.DatabaseFolder());
    KioskController controller(platform::SystemClock::Instance(), settings);
    CArrivoDlg window(controller, settings);
    window.ShowCoveringScreen();
    const int rc = app.exec();
    session.CloseDB();
    return rc;
}
