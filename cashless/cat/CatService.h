#pragma once
// The CAT service layer for the device names "INFOX_OCX" and "STERA_OCX": the device entry
// (machine hive "SOFTWARE\OLEforRetail\ServiceOPOS\CAT\<name>", string values Port and Terminal)
// says where the terminal is attached; the terminal listens on the local socket named after
// that port in the socket folder (see CatWire::SocketPath). No entry: Open answers kNoExist.
// Nothing listening at the port: ClaimDevice answers kNoHardware.
#include "CatDevice.h"
#include "CatWire.h"

#include <string>

namespace platform {
class RegistryStore;
}

class CatService : public CatDevice {
public:
    // The store and the folder must outlive the service.
    CatService(const platform::RegistryStore& registry,
               std::string socketFolder = CatWire::DefaultFolder());
    ~CatService() override;

    static std::string EntryKey(const std::string& deviceName);

    int Open(const std::string& deviceName) override;
    int Close() override;
    bool Claimed() const override { return m_claimed; }
    int ClaimDevice(int timeoutMs) override;
    int ReleaseDevice() override;

    void SetAsyncMode(bool on) override { m_async = on; }
    void SetDeviceEnabled(bool on) override;
    void SetPaymentMedia(std::int32_t media) override { m_media = media; }
    void SetTrainingMode(bool on) override { m_training = on; }

    int DirectIO(std::int32_t command, std::int32_t& data, std::string& text) override;
    int AuthorizeSales(std::int32_t sequence, std::int64_t amount, std::int64_t taxOthers,
                       std::int32_t timeoutMs) override;
    int ClearOutput() override;

    std::int32_t OutputID() const override { return m_outputId; }
    int ResultCode() const override { return m_resultCode; }
    int ResultCodeExtended() const override { return m_resultCodeExtended; }

    void SetEvents(CatEvents* events) override { m_events = events; }
    void PumpEvents(int waitMs) override;
    int EventHandle() const override { return m_claimed ? m_wire.Fd() : -1; }

    // The port and model code of the open device's entry.
    const std::string& Port() const { return m_port; }
    const std::string& Terminal() const { return m_terminal; }

private:
    int Done(int code, int ext = 0);
    // Reads the next reply line ("R ..."), keeping asynchronous news for PumpEvents.
    bool Reply(std::string& line, int waitMs);
    void HandleNews(const std::string& line);
    void Drop();

    const platform::RegistryStore& m_registry;
    std::string m_folder;
    CatWire m_wire;
    CatEvents* m_events = nullptr;

    bool m_open = false;
    bool m_claimed = false;
    bool m_enabled = false;
    bool m_async = false;
    bool m_training = false;
    std::int32_t m_media = 0;
    std::string m_device;
    std::string m_port;
    std::string m_terminal;

    std::int32_t m_nextId = 0;
    std::int32_t m_outputId = 0;
    std::int32_t m_outstanding = -1; // id of the asynchronous sale not yet answered
    std::string m_news;              // asynchronous lines read while waiting for a reply
    int m_resultCode = 0;
    int m_resultCodeExtended = 0;
};
