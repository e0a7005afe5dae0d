#pragma once
// A clinic for the review dialogs: the engine tests' clinic (program folder, local database,
// "Apposync.ini" naming its web database with stored credentials), a fresh web database with its
// schema brought up to date, a web session on it, and a clock on 2024-03-01. Texts given to the
// helpers are UTF-8 and stored as CP932.
#include <string>

#include "FakeClock.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "agent/core/WebSession.h"

// A row of first_appointments. Values are SQL text as they stand ("NULL", "'E'"), except the
// quoted texts, which are UTF-8 without quotes ("" for NULL where noted).
struct WebBooking {
    std::string id;
    std::string appoKey = "NULL";
    std::string date = "2024-03-10", time = "10:00:00";
    std::string flag = "NULL";
    std::string name = "山田 花子", kana = "ヤマダ ハナコ", gender = "女性";
    std::string birthday = "1990-04-01"; // "" for NULL
    std::string tel = "0312345678", email = "hanako@example.jp", address = "東京都港区芝1-2-3";
    std::string content = "矯正の相談";
    std::string created = "2000-01-01 00:00:00";
    std::string updated = "2024-02-20 10:15:00";
    std::string cancel = "NULL";
};

class ReviewClinic {
public:
    ReviewClinic();
    ~ReviewClinic();

    void AddType(const std::string& code, const std::string& nameUtf8);
    void AddPatient(const std::string& key, const std::string& displayNo,
                    const std::string& secondNo, const std::string& nameUtf8,
                    const std::string& kanaUtf8);
    void AddReservation(const std::string& key, const std::string& patient, const std::string& date,
                        char status, const std::string& type = "01");
    void SetStatus(const std::string& key, char status);

    void Book(const WebBooking& b) const;
    // An appointments row of an app change request.
    void Request(const std::string& id, const std::string& appoKey, const std::string& patientKey,
                 const std::string& date, const std::string& start, int statusFlag = 2) const;
    long Rows(const std::string& table) const;
    // A trigger that makes deleting the row of that id fail.
    void RefuseDeleteOf(const std::string& table, const std::string& id) const;
    // Sets a key of "Apposync.ini".
    void Set(const std::string& section, const std::string& key, const std::string& utf8) const;

    TestClinic clinic;
    WebDb web;
    WebSession session;
    FakeClock clock{{2024, 3, 1, 9, 0, 0, 0}};
};

// Connection values of a server that is not running (a port nobody listens on); the session
// does not pause between its attempts.
WebConnectionValues StoppedServer();
void NoPause(std::chrono::milliseconds);
