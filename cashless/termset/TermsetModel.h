#pragma once
// The terminal settings without a window: the family goes into [Cashless] Type of the settings
// file, port and model into the family's device entry in the machine hive. A device entry is
// only ever written when the terminal's setup created it; Termset never creates one.
#include <string>
#include <vector>

namespace platform {
class RegistryStore;
}

class TermsetModel {
public:
    // The radio buttons by control id; None when none is checked.
    enum Choice { None = 0, JtC16 = 1002, Zec14 = 1003, JtC60 = 1007 };

    // `profile` is the product settings file (PelmoV3.ini). The store must outlive the model.
    TermsetModel(std::string profile, platform::RegistryStore& registry);

    // Dialog opening: reads Type (only 1 checks "JT-C60（stera）") and loads the entry, letting
    // it choose the model.
    void Open();
    // A radio button was clicked: it becomes the choice and that family's entry is loaded
    // without changing the choice.
    void ClickRadio(Choice choice);
    // OK: writes Type, and Port and Terminal when the family's entry exists.
    void Ok();

    Choice Checked() const { return m_checked; }
    const std::vector<std::string>& PortList() const { return m_ports; }
    const std::string& PortText() const { return m_portText; }
    void SetPortText(const std::string& text) { m_portText = text; }
    // Information messages (CP932) raised since the last call, for the window to show.
    std::vector<std::string> TakeMessages();

    static std::string EntryKey(bool stera);

private:
    void Load(bool radioUpdate);

    std::string m_profile;
    platform::RegistryStore& m_registry;
    Choice m_checked = None;
    std::vector<std::string> m_ports;
    std::string m_portText;
    std::vector<std::string> m_messages;
};
