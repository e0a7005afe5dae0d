#include "agent/dialogs/SettingModes.h"

#include "agent/dialogs/CSettingDlg.h"
#include "agent/dialogs/CUrlSetting.h"
#include "platform/qt/ActivationServer.h"

int RunSettingMode(WebSession& web, const std::string& clinicCode,
                   const std::string& propertyName) {
    CSettingDlg dlg(&web, clinicCode);
    platform::ActivationServer activation(propertyName, &dlg);
    dlg.exec();
    return 0;
}

int RunUrlMode(WebSession& web, const std::string& clinicCode) {
    CUrlSetting dlg(web, clinicCode);
    dlg.exec();
    return 0;
}

bool OpenSettingDialog(QWidget* parent, WebSession& web, const std::string& clinicCode) {
    CSettingDlg dlg(&web, clinicCode, parent);
    return dlg.exec() == QDialog::Accepted;
}
