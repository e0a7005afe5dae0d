// Arrivo: the self check-in kiosk.
#include "CArrivoDlg.h"
#include "CPelmoDBSys.h"
#include "KioskController.h"
#include "KioskSettings.h"
#include "SystemClock.h"

#include <QApplication>

int main(int argc, char* argv[]) {
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
