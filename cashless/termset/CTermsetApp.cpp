#include "CTermsetApp.h"

#include "CTermsetDlg.h"
#include "TermsetModel.h"
#include "platform/ProgramFolder.h"
#include "platform/RegistryStore.h"
#include "platform/qt/SuiteFont.h"

#include <QApplication>

int CTermsetApp::Run(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::UseSuiteFont();
    platform::RegistryStore registry;
    TermsetModel model(platform::ProgramFolder() + "PelmoV3.ini", registry);
    CTermsetDlg dialog(model);
    dialog.Start();
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}
