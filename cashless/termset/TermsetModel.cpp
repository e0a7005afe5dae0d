#include "TermsetModel.h"

#include "platform/Cp932.h"
#include "platform/Profile.h"
#include "platform/RegistryStore.h"

using platform::Hive;
using platform::J;

namespace {
// A value read is cut like the 256-byte buffer it is read into.
std::string Cut(const std::string& v) {
    return platform::Cp932Cut(v, 255);
}
} // namespace

TermsetModel::TermsetModel(std::string profile, platform::RegistryStore& registry)
    : m_profile(std::move(profile)), m_registry(registry) {}

std::string TermsetModel::EntryKey(bool stera) {
    return stera ? "SOFTWARE\\OLEforRetail\\ServiceOPOS\\CAT\\STERA_OCX"
                 : "SOFTWARE\\OLEforRetail\\ServiceOPOS\\CAT\\INFOX_OCX";
}

void TermsetModel::Open() {
    if (platform::GetProfileInt(m_profile, "Cashless", "Type", 1) == 1)
        m_checked = JtC60;
    Load(true);
}

void TermsetModel::ClickRadio(Choice choice) {
    m_checked = choice;
    Load(false);
}

void TermsetModel::Load(bool radioUpdate) {
    const bool stera = m_checked == JtC60;
    const std::string key = EntryKey(stera);
    std::string port;
    std::string terminal = "1001";
    if (m_registry.KeyExists(Hive::Machine, key)) {
        port = Cut(m_registry.GetString(Hive::Machine, key, "Port").value_or(""));
        terminal = Cut(m_registry.GetString(Hive::Machine, key, "Terminal").value_or(terminal));
    }
    m_ports.clear();
    for (int i = 1; i <= 10; ++i)
        m_ports.push_back("COM" + std::to_string(i));

    if (!port.empty()) {
        m_portText = port;
        if (radioUpdate)
            m_checked = stera ? JtC60 : (terminal == "1002" ? Zec14 : JtC16);
    } else {
        m_messages.push_back(
            stera ? J("stera用 OPOS-OCX がセットアップされているか確認してください。")
                  : J("INFOX用 OPOS-OCX がセットアップされているか確認してください。"));
    }
}

void TermsetModel::Ok() {
    const bool stera = m_checked == JtC60;
    platform::WriteProfileString(m_profile, "Cashless", "Type", stera ? "1" : "0");
    const std::string key = EntryKey(stera);
    if (!m_registry.KeyExists(Hive::Machine, key))
        return; // no setup for that family: port and model have nowhere to go
    m_registry.SetString(Hive::Machine, key, "Port", m_portText);
    m_registry.SetString(Hive::Machine, key, "Terminal", m_checked == Zec14 ? "1002" : "1001");
}

std::vector<std::string> TermsetModel::TakeMessages() {
    std::vector<std::string> out;
    out.swap(m_messages);
    return out;
}
