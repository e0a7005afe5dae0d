#include "migrel/CMigrelDlg.h"
#include "migrel/Migrator.h"
#include "outside/tools/CTools.h"
#include "platform/RegistryStore.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::UseSuiteFont();
    platform::RegistryStore registry;
    Migrator migrator(CTools::GetExecutionFileDirectoryPath(0));
    CMigrelDlg dlg(registry, migrator);
    dlg.exec();
    return 0;
}
