#include "agent/core/WebSession.h"

#include <thread>

#include "platform/Cp932.h"

namespace {

std::string ConnectValue(const std::string& v) {
    bool plain = v.find_first_of(";{}") == std::string::npos &&
                 (v.empty() || (v.front() != ' ' && v.back() != ' '));
    if (plain)
        return v;
    std::string out = "{";
    for (char c : v) {
        out += c;
        if (c == '}')
            out += '}';
    }
    return out + "}";
}

} // namespace

WebSession::WebSession(WebConnectionValues values, Sleeper sleeper)
    : m_values(std::move(values)), m_sleep(std::move(sleeper)) {
    if (!m_sleep)
        m_sleep = [](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); };
    m_db.SetLostConnectionHandler([this] { RaiseReconnect(); });
}

std::string WebSession::ConnectString() const {
    return "Driver=" + m_values.driver + ";DATABASE=" + ConnectValue(m_values.database) +
           ";PORT=" + std::to_string(m_values.port) + ";SERVER=" + ConnectValue(m_values.host) +
           ";UID=" + ConnectValue(m_values.user) + ";PWD=" + ConnectValue(m_values.password) +
           ";CHARSET=utf8mb4;CONN_TIMEOUT=" + std::to_string(m_values.connectTimeoutSeconds) + ";";
}

bool WebSession::OpenWebConnection() {
    if (m_db.IsOpen())
        m_db.Close();
    const std::string connect = ConnectString();
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        bool opened = false;
        try {
            opened = m_db.OpenEx(connect, CDatabase::noOdbcDialog);
            m_db.SetQueryTimeout(kQueryTimeoutSeconds);
        } catch (const CDBException&) {
            m_db.SetQueryTimeout(kQueryTimeoutSeconds);
            if (attempt == kAttempts)
                throw;
        }
        if (opened) {
            ClearReconnect();
            return true;
        }
        if (attempt < kAttempts)
            m_sleep(kPause);
    }
    return false;
}

std::string WebSession::ConnectFailureText(const std::string& driverText) const {
    std::string text = platform::J("Webデータベース(") + m_values.host + ":" +
                       std::to_string(m_values.port) + platform::J(")に接続できません");
    if (driverText.empty())
        return text;
    std::string detail = driverText;
    // Short passwords are left alone: masking every "a" of a message would hide the message.
    const std::string& password = m_values.password;
    if (password.size() >= 4) {
        for (size_t at = detail.find(password); at != std::string::npos;
             at = detail.find(password, at + 3))
            detail.replace(at, password.size(), "***");
    }
    return text + ": " + detail;
}
