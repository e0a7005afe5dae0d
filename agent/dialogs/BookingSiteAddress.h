#pragma once
// Addresses on the booking web site. The clinic code goes into them Base64-encoded, as the site
// expects it; the site's base address is "COMMON"/"BOOKING_SITE".
#include <string>

class BookingSiteAddress {
public:
    // The stored base address without trailing '/'.
    static std::string Base();
    // <base>/staff/login?code=<Base64 of the clinic code>: the staff calendar.
    static std::string StaffCalendar(const std::string& base, const std::string& clinicCode);
    // <base>/user?code=<Base64 of the clinic code>&appoType=<pageIndex + 1>: first-visit page.
    static std::string FirstVisitPage(const std::string& base, const std::string& clinicCode,
                                      int pageIndex);
};
