#include "agent/dialogs/FirstAppoDetails.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "agent/core/AgentSettings.h"
#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/LocalDateConversions.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/sync/support/WebValueText.h"
#include "outside/tools/CTools.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"

using platform::J;

namespace {

constexpr std::size_t kKeyDigits = 10;

// The booking page a row came from: appo_flag counts pages from 1; NULL, 0 or a missing column
// (a web schema not yet brought up to date) mean the first page.
int PageOf(const CRecordset& rs) {
    try {
        CDBVariant v;
        rs.GetFieldValue(std::string("appo_flag"), v);
        const std::string text = VariantText(v);
        const int flag = text.empty() ? 0 : std::atoi(text.c_str());
        return flag >= 1 ? flag - 1 : 0;
    } catch (const CDBException&) {
        return 0;
    }
}

} // namespace

std::string FirstAppoDetails::ReservationKey(const std::string& argument) {
    const std::size_t first = argument.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = argument.find_last_not_of(" \t\r\n");
    const std::string key = argument.substr(first, last - first + 1);
    if (key.size() > kKeyDigits)
        return {};
    for (char c : key)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return {};
    return std::string(kKeyDigits - key.size(), '0') + key;
}

std::string FirstAppoDetails::PageTitle(int page) {
    return AgentSettings::GetString(settingkeys::kFirstTitle.section,
                                    AgentSettings::KeyName(settingkeys::kFirstTitle.name, page),
                                    J("Web予約"));
}

FirstAppoDetails::Load FirstAppoDetails::Read(WebSession& web, const std::string& argument,
                                              const platform::Clock& clock) {
    Load load;
    const std::string key = ReservationKey(argument);
    if (key.empty())
        return load;
    load.outcome = ReviewOutcome::Connect(web);
    if (load.outcome.Failed())
        return load;

    try {
        CRecordset rs(&web.Database());
        rs.Open(CRecordset::forwardOnly,
                "SELECT * FROM first_appointments WHERE ((appo_key=" + SqlText(key) +
                    ") AND (cancel_flag IS NULL)) ORDER BY created_at DESC",
                CRecordset::readOnly);
        if (!rs.IsEOF()) {
            Fields& f = load.fields;
            f.kind = PageTitle(PageOf(rs));

            // Each part stays empty when its column is NULL.
            const std::string date = FieldDateYmd(rs, "appo_date");
            if (!date.empty())
                f.wished = DateText(date) + " ";
            f.wished += ColonTime(FieldTimeHm(rs, "appo_time"));

            f.name = GetFieldText(rs, "name");
            f.kana = GetFieldText(rs, "name_kana");
            f.gender = GetFieldText(rs, "gender");
            f.address = GetFieldText(rs, "address");
            f.tel = GetFieldText(rs, "tel");
            f.email = GetFieldText(rs, "email");
            f.content = GetFieldText(rs, "content");

            const std::string birthday = FieldDateYmd(rs, "birthday");
            if (!birthday.empty()) {
                f.birthday = DateText(birthday);
                int years = 0, months = 0;
                // A birthday after today has no age; the date alone is shown then.
                if (CTools::CaclAge(birthday, TodayYmd(clock).c_str(), years, months))
                    f.birthday += " (" + std::to_string(years) + J("歳)");
            }
            LocalDateTime created;
            if (GetFieldDateTime(rs, "created_at", created)) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", created.year % 10000,
                              created.month % 100, created.day % 100, created.hour % 100,
                              created.minute % 100);
                f.entered = buf;
            }
            load.found = true;
        }
    } catch (const CDBException& e) {
        load.outcome = {ReviewOutcome::WebQueryFailed, e.m_strError};
    }
    web.Close();
    return load;
}
