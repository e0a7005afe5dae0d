#pragma once
// What the review dialog "予約の重複エラー" lists and deletes, without a window:
//   - web first-visit bookings that could not be placed for want of a free slot (unbooked,
//     active rows of first_appointments marked "E" or with the year-2000 created_at marker);
//   - app change requests (appointments rows with status_flag 2) whose local reservation is in
//     status 6 (an earlier change was refused) and whose patient is known locally.
// Each load or delete run opens the web connection and closes it again; the local tables are
// opened for one load only. Texts are CP932. A run that could not reach the web database, or
// whose statement failed, says so in its outcome instead of passing for an empty list.
#include <string>
#include <vector>

#include "agent/dialogs/ReviewOutcome.h"

namespace platform {
class Clock;
}
class WebSession;

class WebRequestReview {
public:
    // A row of the web bookings list; cells in column order.
    struct BookingRow {
        std::string id;       // first_appointments.id, used by the delete
        std::string updated;  // updated_at as YYYY.MM.DD
        std::string wished;   // YYYY.MM.DD  HH:MM
        std::string name;     // name / reading (gender)
        std::string birthday; // YYYY.MM.DD (n歳), the age today
        std::string tel, email, address, content;
    };
    // A row of the app requests list; cells in column order.
    struct RequestRow {
        std::string id;          // appointments.id, used by the delete
        std::string wished;      // YYYY.MM.DD  HH:MM
        std::string type;        // name of the reservation's appointment type
        std::string patientId;   // patient ID / second number
        std::string patientName; // name / reading
        std::string next;        // the patient's next booked appointment, YYYY.MM.DD [type]
    };
    template <class Row> struct Load {
        std::vector<Row> rows; // what could be read, in the query's order
        ReviewOutcome outcome;
    };
    struct DeleteRun {
        int deleted = 0; // statements that ran
        int failed = 0;  // statements that failed, or were never sent for want of a connection
        ReviewOutcome outcome; // the first failure
        // "n件を削除できませんでした。" (CP932) when something failed, else empty.
        std::string FailureLine() const;
    };

    // databaseFolder: the local database folder (ending in '/'). All three must outlive this.
    WebRequestReview(WebSession& web, std::string databaseFolder, const platform::Clock& clock);

    Load<BookingRow> LoadWebBookings();
    // A local lookup that fails (other than "not found") is reported as LocalFailed; the rows
    // that could be checked are still returned.
    Load<RequestRow> LoadAppRequests();

    // One DELETE per id, in order, each by itself; a failing one does not stop the others.
    // Nothing is sent for an empty list.
    DeleteRun DeleteWebBookings(const std::vector<std::string>& ids);
    DeleteRun DeleteAppRequests(const std::vector<std::string>& ids);

private:
    DeleteRun DeleteRows(const char* table, const std::vector<std::string>& ids);

    WebSession& m_web;
    std::string m_folder;
    const platform::Clock& m_clock;
};
