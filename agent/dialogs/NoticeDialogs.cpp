#include "agent/dialogs/NoticeDialogs.h"

#include "agent/dialogs/CNotification.h"
#include "agent/dialogs/CPatientNotification.h"
#include "platform/SystemClock.h"
#include "platform/qt/ActivationServer.h"

int RunNotificationMode(WebSession& web, const std::string& databaseFolder,
                        const std::string& propertyName) {
    PatientDirectory directory;
    NoticeContext ctx{web, platform::SystemClock::Instance(), databaseFolder, directory, nullptr,
                      {}};
    CNotification dialog(ctx);
    platform::ActivationServer activation(propertyName, &dialog);
    dialog.exec();
    return 0;
}

int RunPatientMode(WebSession& web, const std::string& databaseFolder,
                   const std::string& patientKey, const std::string& propertyName) {
    PatientDirectory directory;
    NoticeContext ctx{web, platform::SystemClock::Instance(), databaseFolder, directory, nullptr,
                      {}};
    CPatientNotification dialog(ctx, patientKey);
    platform::ActivationServer activation(propertyName, &dialog);
    dialog.exec();
    return 0;
}

void OpenNotificationDialog(QWidget* parent, WebSession& web, OperationLog& log,
                            const std::string& databaseFolder, PatientDirectory& directory) {
    NoticeContext ctx{web, platform::SystemClock::Instance(), databaseFolder, directory, &log, {}};
    CNotification dialog(ctx, parent);
    dialog.exec();
}
