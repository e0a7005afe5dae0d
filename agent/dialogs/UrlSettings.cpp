#include "agent/dialogs/UrlSettings.h"

#include "agent/core/AgentSettings.h"
#include "agent/core/CDBException.h"
#include "agent/core/SqlLiterals.h"
#include "agent/core/WebSession.h"
#include "agent/sync/support/PublishHelpers.h"
#include "platform/Cp932.h"

namespace keys = settingkeys;
using platform::Cp932CutChars;

UrlSettings UrlSettings::Read() {
    UrlSettings s;
    s.url = AgentSettings::Get(keys::kLinkUrl);
    s.title = AgentSettings::Get(keys::kUrlTitle);
    s.url2 = AgentSettings::Get(keys::kLinkUrl2);
    s.title2 = AgentSettings::Get(keys::kUrl2Title);
    return s;
}

UrlSettings UrlSettings::Cut() const {
    UrlSettings s;
    s.url = Cp932CutChars(url, kUrlChars);
    s.title = Cp932CutChars(title, kTitleChars);
    s.url2 = Cp932CutChars(url2, kUrlChars);
    s.title2 = Cp932CutChars(title2, kTitleChars);
    return s;
}

bool UrlSettings::Write() const {
    const UrlSettings s = Cut();
    bool ok = AgentSettings::Set(keys::kLinkUrl, s.url);
    ok = AgentSettings::Set(keys::kUrlTitle, s.title) && ok;
    ok = AgentSettings::Set(keys::kLinkUrl2, s.url2) && ok;
    ok = AgentSettings::Set(keys::kUrl2Title, s.title2) && ok;
    return ok;
}

UrlSettings::Outcome UrlSettings::Publish(WebSession& web, const std::string& clinicCode) const {
    Outcome out;
    try {
        if (!web.OpenWebConnection()) {
            out.kind = Outcome::NotConnected;
            out.error = web.Database().LastConnectError();
            return out;
        }
    } catch (const CDBException& e) {
        out.kind = Outcome::NotConnected;
        out.error = e.m_strError;
        return out;
    }

    const UrlSettings s = Cut();
    const std::string code = SqlText(clinicCode);
    bool exists = false;
    try {
        bool opened = false;
        exists = WebRowExists(web.Database(), "SELECT * FROM hospital_infos WHERE code=" + code,
                              &opened);
        if (!opened) {
            out.kind = Outcome::QueryFailed;
            return out;
        }
    } catch (const CDBException& e) {
        out.kind = Outcome::QueryFailed;
        out.error = e.m_strError;
        return out;
    }

    const std::string sql =
        exists ? "UPDATE hospital_infos SET url=" + SqlText(s.url) +
                     ",url_title=" + SqlText(s.title) + ",url2=" + SqlText(s.url2) +
                     ",url2_title=" + SqlText(s.title2) + " WHERE code=" + code
               : "INSERT INTO hospital_infos(code,url,url_title,url2,url2_title) VALUES(" + code +
                     "," + SqlText(s.url) + "," + SqlText(s.title) + "," + SqlText(s.url2) + "," +
                     SqlText(s.title2) + ")";
    try {
        web.Database().ExecuteSQL(sql);
    } catch (const CDBException& e) {
        out.kind = Outcome::StatementFailed;
        out.error = e.m_strError;
        if (e.IsLostConnection())
            web.RaiseReconnect();
    }
    return out;
}
