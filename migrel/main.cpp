#include "migrel/CMigrelDlg.h"
#include "migrel/Migrator.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::RegistryStore registry;
    Migrator migrator(platform::ProgramFolder());
    CMigrelDlg dlg(registry, migrator);
    dlg.exec();
    return 0;
}
