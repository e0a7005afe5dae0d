#pragma once
// Names and defaults of the keys of the agent settings file "Apposync.ini" and of the shared
// clinic settings file "GLOBALSETTING.ini". Read and write them through AgentSettings so that a
// key's name and default live in one place.

// An integer key: the leading decimal number of the value, `def` when the key is missing.
struct IntKey {
    const char* section;
    const char* name;
    int def;
};

// A text key. `def` is written as UTF-8 source text and handed out as CP932 by AgentSettings.
struct TextKey {
    const char* section;
    const char* name;
    const char* def;
};

namespace settingkeys {

// "COMMON": connection. USER and PASS are stored enciphered; their defaults decipher to the
// demo account "apposync" / "apposync-demo".
inline constexpr TextKey kHost{"COMMON", "HOST", "127.0.0.1"};
inline constexpr IntKey kPort{"COMMON", "PORT", 3306};
inline constexpr TextKey kUser{"COMMON", "USER", "6DFE6110381B48BBFEC3CB58FA66125B"};
inline constexpr TextKey kPass{"COMMON", "PASS", "080CA37E9CC8EC9819C49CDBFC9EAD31"};
inline constexpr TextKey kMysqlDb{"COMMON", "MYSQL_DB", ""};
inline constexpr IntKey kDbVersion{"COMMON", "DB_VERSION", 0};

// "COMMON": publishing and booking rules.
inline constexpr IntKey kAppoSend{"COMMON", "APPOSEND", 0};
inline constexpr IntKey kHidePaymant{"COMMON", "HIDE_PAYMANT", 0};
inline constexpr IntKey kShowIdCut{"COMMON", "SHOWID_CUT", 0};
inline constexpr IntKey kHideAppoType{"COMMON", "HIDE_APPOTYPE", 0};
inline constexpr IntKey kHideEndTime{"COMMON", "HIDE_ENDTIME", 0};
inline constexpr IntKey kShowTreatment{"COMMON", "SHOW_TREATMENT", 0};
inline constexpr IntKey kUnitType{"COMMON", "UNIT_TYPE", 0};
inline constexpr IntKey kLimitType{"COMMON", "LIMIT_TYPE", 0};
inline constexpr IntKey kLimitToday{"COMMON", "LIMIT_TODAY", 1};
inline constexpr IntKey kLimitAuto{"COMMON", "LIMIT_AUTO", 3};
inline constexpr IntKey kLimitTimeH{"COMMON", "LIMIT_TIME_H", 6};
inline constexpr IntKey kLimitTimeM{"COMMON", "LIMIT_TIME_M", 0};
inline constexpr IntKey kLimitManualY{"COMMON", "LIMIT_MANUAL_Y", 0};
inline constexpr IntKey kLimitManualM{"COMMON", "LIMIT_MANUAL_M", 0};
inline constexpr IntKey kAfterDays{"COMMON", "AFTER_DAYS", 1};
inline constexpr TextKey kHiddenAppoTypes{"COMMON", "HIDDEN_APPOTYPES", ""};
inline constexpr TextKey kLinkUrl{"COMMON", "LINK_URL", ""};
inline constexpr TextKey kUrlTitle{"COMMON", "URL_TITLE", ""};
inline constexpr TextKey kLinkUrl2{"COMMON", "LINK_URL2", ""};
inline constexpr TextKey kUrl2Title{"COMMON", "URL2_TITLE", ""};
// Scheme and host (optionally a path) of the booking web site, without a trailing '/': the base
// of the staff calendar and first-visit page addresses the settings dialog shows. Not written by
// the agent; an installation that uses another site sets it by hand.
inline constexpr TextKey kBookingSite{"COMMON", "BOOKING_SITE", "https://booking.example.com"};

// "HOSPITAL_INFO". NAME and TEL fall back to the shared file (AgentSettings::ClinicName/Tel).
inline constexpr TextKey kHospitalName{"HOSPITAL_INFO", "NAME", ""};
inline constexpr TextKey kHospitalTel{"HOSPITAL_INFO", "TEL", ""};
inline constexpr TextKey kHospitalId{"HOSPITAL_INFO", "ID", "診察券番号"};

// "PENDING_APPOINTMENTS": parallel comma lists, entry k of each belongs to entry k of TYPE.
inline constexpr TextKey kPendingType{"PENDING_APPOINTMENTS", "TYPE", ""};
inline constexpr TextKey kPendingChangeOk{"PENDING_APPOINTMENTS", "CHANGE_OK", ""};
inline constexpr TextKey kPendingTypeTime{"PENDING_APPOINTMENTS", "TYPETIME", ""};
inline constexpr TextKey kPendingTypeUnit{"PENDING_APPOINTMENTS", "TYPEUNIT", ""};
inline constexpr TextKey kPendingTypeDoctor{"PENDING_APPOINTMENTS", "TYPEDOCTOR", ""};
inline constexpr TextKey kPendingTypeDay{"PENDING_APPOINTMENTS", "TYPEDAY", ""};
inline constexpr TextKey kPendingName{"PENDING_APPOINTMENTS", "NAME", ""};
inline constexpr IntKey kPendingTime{"PENDING_APPOINTMENTS", "TIME", 60};

// "FRIST_APPOINTMENTS" (spelled so in every installed file). USE_RANGE and PAGE_NUM are for
// all pages; the others are per page (and per weekday where named so), see
// AgentSettings::KeyName.
inline constexpr IntKey kFirstUseRange{"FRIST_APPOINTMENTS", "USE_RANGE", 1};
inline constexpr IntKey kFirstPageNum{"FRIST_APPOINTMENTS", "PAGE_NUM", 0};
inline constexpr TextKey kFirstTitle{"FRIST_APPOINTMENTS", "TITLE", ""};
inline constexpr TextKey kFirstNote{"FRIST_APPOINTMENTS", "NOTE", ""};
inline constexpr TextKey kFirstRequired{"FRIST_APPOINTMENTS", "REQUIRED", ""};
inline constexpr TextKey kFirstUnitId{"FRIST_APPOINTMENTS", "UNIT_ID", ""};
inline constexpr TextKey kFirstUnitDoctorId{"FRIST_APPOINTMENTS", "UNIT_DOCTOR_ID", ""};
inline constexpr TextKey kFirstCategoryId{"FRIST_APPOINTMENTS", "CATEGORY_ID", "00"};
inline constexpr IntKey kFirstTime{"FRIST_APPOINTMENTS", "TIME", 60};
inline constexpr IntKey kFirstAfterDays{"FRIST_APPOINTMENTS", "AFTER_DAYS", 1};
inline constexpr IntKey kFirstDayOfWeek{"FRIST_APPOINTMENTS", "DayOfWeek", 1}; // + weekday
inline constexpr TextKey kFirstTimes{"FRIST_APPOINTMENTS", "Times", ""};       // + weekday

// "HEALTH": when the agent's health turns to warning or error (HealthThresholds).
// WARN_MINUTES: an entry file waiting longer than this is a warning.
// ERROR_MINUTES: no connected cycle for this long is an error; an entry file waiting three times
// as long is one too.
inline constexpr IntKey kHealthWarnMinutes{"HEALTH", "WARN_MINUTES", 5};
inline constexpr IntKey kHealthErrorMinutes{"HEALTH", "ERROR_MINUTES", 10};

// "GLOBALSETTING.ini" (read only).
inline constexpr TextKey kClinicName{"GLOBAL", "ClinicName", ""};
inline constexpr TextKey kClinicTel{"GLOBAL", "ClinicTel", ""};
inline constexpr IntKey kTimeSpan{"GLOBAL", "TimeSpan", 15};
inline constexpr IntKey kClinicClosed{"MENTE", "DayOfWeek", 0}; // + weekday; non-zero: closed

} // namespace settingkeys
