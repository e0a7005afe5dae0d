#include "CatService.h"

#include "CatCodes.h"
#include "CatEvents.h"
#include "platform/RegistryStore.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

namespace {
// The terminal answers each command at once; only the sale itself takes long.
constexpr int kReplyWaitMs = 5000;

int ToInt(const std::string& s, int def) {
    try {
        std::size_t used = 0;
        int v = std::stoi(s, &used);
        return used == s.size() ? v : def;
    } catch (...) {
        return def;
    }
}
} // namespace

CatService::CatService(const platform::RegistryStore& registry, std::string socketFolder)
    : m_registry(registry), m_folder(std::move(socketFolder)) {}

CatService::~CatService() {
    if (m_claimed && m_wire.Connected())
        m_wire.Send("BYE");
}

std::string CatService::EntryKey(const std::string& deviceName) {
    return "SOFTWARE\\OLEforRetail\\ServiceOPOS\\CAT\\" + deviceName;
}

int CatService::Done(int code, int ext) {
    m_resultCode = code;
    m_resultCodeExtended = ext;
    return code;
}

void CatService::Drop() {
    m_wire.Reset();
    m_claimed = false;
    m_enabled = false;
}

int CatService::Open(const std::string& deviceName) {
    if (m_open)
        return Done(cat::kIllegal);
    const std::string key = EntryKey(deviceName);
    if (deviceName.empty() || !m_registry.KeyExists(platform::Hive::Machine, key))
        return Done(cat::kNoExist);
    m_device = deviceName;
    m_port = m_registry.GetString(platform::Hive::Machine, key, "Port").value_or("");
    m_terminal = m_registry.GetString(platform::Hive::Machine, key, "Terminal").value_or("1001");
    m_open = true;
    m_outstanding = -1;
    return Done(cat::kSuccess);
}

int CatService::Close() {
    if (!m_open)
        return Done(cat::kClosed);
    if (m_claimed)
        ReleaseDevice();
    m_open = false;
    return Done(cat::kSuccess);
}

int CatService::ClaimDevice(int timeoutMs) {
    if (!m_open)
        return Done(cat::kClosed);
    if (m_claimed)
        return Done(cat::kSuccess);
    if (m_port.empty() || !m_wire.Connect(CatWire::SocketPath(m_folder, m_port)))
        return Done(cat::kNoHardware);
    std::string line;
    std::string terminal = m_terminal.empty() ? "-" : m_terminal;
    for (char& c : terminal)
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            c = '_';
    int wait = timeoutMs < 0 ? kReplyWaitMs : std::min(timeoutMs, kReplyWaitMs);
    if (!m_wire.Send("HELLO " + m_device + " " + terminal) || !Reply(line, wait)) {
        bool gone = !m_wire.Connected();
        m_wire.Reset();
        return Done(gone ? cat::kNoHardware : cat::kTimeout);
    }
    m_claimed = true;
    m_enabled = false;
    m_outstanding = -1;
    m_news.clear();
    return Done(cat::kSuccess);
}

int CatService::ReleaseDevice() {
    if (!m_claimed)
        return Done(cat::kNotClaimed);
    m_wire.Send("BYE");
    Drop();
    m_outstanding = -1;
    m_news.clear();
    return Done(cat::kSuccess);
}

void CatService::SetDeviceEnabled(bool on) {
    if (!m_open) {
        Done(cat::kClosed);
        return;
    }
    if (on && !m_claimed) {
        Done(cat::kNotClaimed);
        return;
    }
    m_enabled = on;
    Done(cat::kSuccess);
}

bool CatService::Reply(std::string& line, int waitMs) {
    for (;;) {
        if (!m_wire.ReadLine(line, waitMs))
            return false;
        if (line.rfind("R", 0) == 0 || line == "OK")
            return true;
        m_news += line + "\n";
    }
}

int CatService::DirectIO(std::int32_t command, std::int32_t& data, std::string& text) {
    if (!m_open)
        return Done(cat::kClosed);
    if (!m_claimed)
        return Done(cat::kNotClaimed);
    if (!m_enabled)
        return Done(cat::kDisabled);
    // The text travels as the rest of the line; line breaks cannot.
    std::string flat = text;
    for (char& c : flat)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::string line;
    if (!m_wire.Send("DIO " + std::to_string(command) + " " + std::to_string(data) + " " + flat) ||
        !Reply(line, kReplyWaitMs)) {
        Drop();
        return Done(cat::kNoHardware);
    }
    auto w = CatWire::Words(line);
    int code = w.size() > 1 ? ToInt(w[1], cat::kFailure) : cat::kFailure;
    if (w.size() > 2)
        data = ToInt(w[2], data);
    std::size_t pos = 0;
    for (int i = 0; i < 3 && pos != std::string::npos; ++i)
        pos = line.find(' ', pos + 1);
    if (pos != std::string::npos)
        text = line.substr(pos + 1);
    return Done(code);
}

int CatService::AuthorizeSales(std::int32_t sequence, std::int64_t amount, std::int64_t taxOthers,
                               std::int32_t timeoutMs) {
    if (!m_open)
        return Done(cat::kClosed);
    if (!m_claimed)
        return Done(cat::kNotClaimed);
    if (!m_enabled)
        return Done(cat::kDisabled);
    if (m_outstanding != -1)
        return Done(cat::kBusy);
    if (amount % 10000 != 0 || taxOthers % 10000 != 0)
        return Done(cat::kIllegal); // the terminals take whole currency units only
    std::int32_t id = ++m_nextId;
    if (m_nextId == INT32_MAX)
        m_nextId = 0;
    std::ostringstream cmd;
    cmd << "SALE " << id << ' ' << sequence << ' ' << m_media << ' ' << amount / 10000 << ' '
        << taxOthers / 10000 << ' ' << (m_training ? 1 : 0);
    std::string line;
    if (!m_wire.Send(cmd.str()) || !Reply(line, kReplyWaitMs)) {
        Drop();
        return Done(cat::kNoHardware);
    }
    auto w = CatWire::Words(line);
    int code = w.size() > 1 ? ToInt(w[1], cat::kFailure) : cat::kFailure;
    int ext = w.size() > 2 ? ToInt(w[2], 0) : 0;
    if (code != cat::kSuccess)
        return Done(code, ext);
    m_outputId = id;
    m_outstanding = id;
    if (m_async)
        return Done(cat::kSuccess);

    // Synchronous: wait here for the terminal's answer.
    std::string news;
    while (m_outstanding == id) {
        std::string l;
        if (!m_news.empty()) {
            std::size_t nl = m_news.find('\n');
            l = m_news.substr(0, nl);
            m_news.erase(0, nl + 1);
        } else if (!m_wire.ReadLine(l, timeoutMs)) {
            m_outstanding = -1;
            if (!m_wire.Connected()) {
                Drop();
                return Done(cat::kNoHardware);
            }
            return Done(cat::kTimeout);
        }
        auto d = CatWire::Words(l);
        if (d.size() >= 4 && d[0] == "DONE" && ToInt(d[1], -1) == id) {
            m_outstanding = -1;
            return Done(ToInt(d[2], cat::kFailure), ToInt(d[3], 0));
        }
    }
    return m_resultCode;
}

int CatService::ClearOutput() {
    if (!m_open)
        return Done(cat::kClosed);
    if (!m_claimed)
        return Done(cat::kNotClaimed);
    std::string line;
    if (!m_wire.Send("CLEAR") || !Reply(line, kReplyWaitMs)) {
        Drop();
        m_outstanding = -1;
        return Done(cat::kNoHardware);
    }
    m_outstanding = -1;
    m_news.clear(); // an answer that crossed the cancel is dropped with it
    return Done(cat::kSuccess);
}

void CatService::HandleNews(const std::string& line) {
    auto d = CatWire::Words(line);
    if (d.size() < 4 || d[0] != "DONE" || ToInt(d[1], -1) != m_outstanding || m_outstanding < 0)
        return;
    std::int32_t id = m_outstanding;
    m_outstanding = -1;
    int code = Done(ToInt(d[2], cat::kFailure), ToInt(d[3], 0));
    if (!m_events)
        return;
    if (code == cat::kSuccess) {
        m_events->OnOutputCompleteEvent(id);
    } else {
        int response = cat::kResponseRetry;
        m_events->OnErrorEvent(code, m_resultCodeExtended, cat::kLocusOutput, response);
    }
}

void CatService::PumpEvents(int waitMs) {
    if (m_news.empty() && m_claimed) {
        std::string line;
        if (m_wire.ReadLine(line, waitMs)) {
            m_news += line + "\n";
            while (m_wire.TakeLine(line))
                m_news += line + "\n";
        } else if (!m_wire.Connected()) {
            // The terminal went away: an outstanding sale will never be answered.
            Drop();
            if (m_outstanding >= 0) {
                m_outstanding = -1;
                Done(cat::kFailure);
                if (m_events) {
                    int response = cat::kResponseRetry;
                    m_events->OnErrorEvent(cat::kFailure, 0, cat::kLocusOutput, response);
                }
            }
            return;
        }
    }
    while (!m_news.empty()) {
        std::size_t nl = m_news.find('\n');
        std::string line = m_news.substr(0, nl);
        m_news.erase(0, nl + 1);
        HandleNews(line); // may re-enter the service through the event handler
    }
}
