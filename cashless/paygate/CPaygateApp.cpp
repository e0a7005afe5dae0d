#include "CPaygateApp.h"

#include "CPaygateDlg.h"
#include "PaygateController.h"
#include "cashless/cat/CCat1.h"
#include "cashless/cat/CatService.h"
#include "platform/ClinicZone.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"
#include "platform/SingleInstance.h"
#include "platform/SystemClock.h"
#include "platform/qt/ActivationServer.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>

namespace {
const char* const kInstanceName = "TALMOR CORPORATION PAYGATE APPLICATION";
}

int CPaygateApp::Run(int argc, char** argv) {
    // Before Qt and any thread: the result list and the monthly log are in the clinic's time.
    platform::StartInClinicZone(platform::ProgramFolder() + "PelmoV3.ini", "paygate");
    QApplication app(argc, argv);
    platform::UseSuiteFont();
    platform::SingleInstance instance(kInstanceName);
    if (!instance.Acquire()) {
        platform::ActivationServer::ActivateRunning(kInstanceName);
        return 0;
    }
    app.setQuitOnLastWindowClosed(false); // the window hides to the tray

    platform::RegistryStore registry;
    CatService service(registry);
    CCat1 cat(service);
    PaygateController controller(platform::ProgramFolder() + "PelmoV3.ini", cat,
                                 platform::SystemClock::Instance());
    CPaygateDlg dialog(controller);
    platform::ActivationServer activation(kInstanceName, &dialog);
    dialog.show();
    dialog.Start();
    return app.exec();
}
