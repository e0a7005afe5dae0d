#pragma once
// Where the review dialogs open: as the only window of an agent process started with "CHECK" or
// "FIRSTAPPO KEY=<key>", and "予約重複等のチェック" from the resident agent's window.
#include <string>

class QWidget;
class WebSession;

// Start mode "CHECK": "予約の重複エラー" on the process's web session, marked with propertyName
// so a second start raises it. Returns when it is closed (the exit status, 0).
int RunCheckReservationMode(WebSession& web, const std::string& databaseFolder,
                            const std::string& propertyName);

// Start mode "FIRSTAPPO": "Web予約の詳細" of the reservation key, marked with propertyName.
int RunFirstAppoInfoMode(WebSession& web, const std::string& key, const std::string& propertyName);

// From the resident agent's window, which holds its busy guard meanwhile: "予約の重複エラー"
// modal over parent, on a web session of its own made from the current settings, so the
// agent's own connection is left as it was.
void OpenCheckReservation(QWidget* parent);
