#pragma once
// The details of the web first-visit booking behind one local reservation, as the dialog
// "Web予約の詳細" shows them, without a window. Texts are CP932.
#include <string>

#include "agent/dialogs/ReviewOutcome.h"

namespace platform {
class Clock;
}
class WebSession;

class FirstAppoDetails {
public:
    struct Fields {
        std::string kind;   // the booking page's title ("FRIST_APPOINTMENTS" TITLE / TITLE_p)
        std::string wished; // YYYY-MM-DD HH:MM
        std::string name, kana, gender, address, tel, email, content;
        std::string birthday; // YYYY-MM-DD (n歳), the age today
        std::string entered;  // created_at, YYYY-MM-DD HH:MM
    };
    struct Load {
        bool found = false; // a row was read; the fields are empty otherwise
        Fields fields;
        ReviewOutcome outcome;
    };

    // The local reservation key as the web keeps it: the argument without surrounding blanks,
    // 1 to 10 digits, zero-padded to ten. Empty for anything else (a key that could never name a
    // reservation is not looked up at all).
    static std::string ReservationKey(const std::string& argument);

    // Reads the newest active (not cancelled) row of first_appointments whose appo_key is the
    // reservation key, the key sent as a quoted text literal. The page titles come from the
    // process's profile file. A key that is not a reservation key gives empty fields, Ok, without
    // touching the web database. The connection is closed again afterwards.
    static Load Read(WebSession& web, const std::string& argument, const platform::Clock& clock);

    // The title of booking page `page` (0 = first): TITLE, TITLE_1, ... of "FRIST_APPOINTMENTS";
    // "Web予約" when the key is missing.
    static std::string PageTitle(int page);
};
