#pragma once
// A believable demo clinic: 4 units, 3 doctors, 8 appointment types, payment types, 2 users,
// 200 patients with Japanese names, a week of reservations around a day (three days before to
// three days after; Sundays closed), a few sales and memos of past visits and a few standby
// entries, and the clinic code DEMO0001. The same day always gives the same clinic.
#include <nlohmann/json_fwd.hpp>

#include <string>

class DemoClinic {
public:
    static constexpr const char* kDemoClinicCode = "DEMO0001";

    // The demo as an import document (see JsonImporter). today: YYYYMMDD.
    static nlohmann::json Document(const std::string& today);
};
