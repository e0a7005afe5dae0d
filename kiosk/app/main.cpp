// Arrivo: the self check-in kiosk.
#include "CArrivoDlg.h"
#include "CPelmoDBSys.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "SystemClock.h"
#include "outside/tools/CTools.h"
#include "platform/ClinicZone.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Before Qt and any thread: "today" of the reservations is the clinic's.
    platform::StartInClinicZone(CTools::GetCorvaneIniFileName(), "arrivo");
    QApplication app(argc, argv);
    KioskSettings settings;
    settings.Load(KioskSettings::DefaultIniFile());
    // The program's database session; the scans open the database on their own.
    CPelmoDBSys session(settings.DatabaseFolder());
    SystemClock clock;
    KioskController controller(clock, settings);
    CArrivoDlg window(controller, settings);
    window.showFullScreen();
    const int rc = app.exec();
    session.CloseDB();
    return rc;
}
