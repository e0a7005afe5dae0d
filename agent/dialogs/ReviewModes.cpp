#include "agent/dialogs/ReviewModes.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/WebSession.h"
#include "agent/core/WebSettings.h"
#include "agent/dialogs/CCheckReservation.h"
#include "agent/dialogs/CFirstAppoInfo.h"
#include "platform/SystemClock.h"
#include "platform/qt/ActivationServer.h"

int RunCheckReservationMode(WebSession& web, const std::string& databaseFolder,
                            const std::string& propertyName) {
    CCheckReservation dlg(web, databaseFolder, platform::SystemClock::Instance());
    platform::ActivationServer activation(propertyName, &dlg);
    dlg.exec();
    return 0;
}

int RunFirstAppoInfoMode(WebSession& web, const std::string& key, const std::string& propertyName) {
    CFirstAppoInfo dlg(web, key, platform::SystemClock::Instance());
    platform::ActivationServer activation(propertyName, &dlg);
    dlg.exec();
    return 0;
}

void OpenCheckReservation(QWidget* parent) {
    WebSession web(WebConnectionValuesFromSettings());
    CCheckReservation dlg(web, AgentSettings::DatabaseFolder(), platform::SystemClock::Instance(),
                          parent);
    dlg.exec();
}
