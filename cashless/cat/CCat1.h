#pragma once
// The dialog's handle on its CAT control: one call per control operation, named as the dialog
// knows them. It forwards to a CatDevice it does not own.
#include <cstdint>
#include <string>

class CatDevice;
class CatEvents;

class CCat1 {
public:
    explicit CCat1(CatDevice& device) : m_device(device) {}

    std::int32_t Close();
    std::int32_t Open(const std::string& deviceName);
    bool GetClaimed();
    std::int32_t ClaimDevice(std::int32_t timeout);
    void SetAsyncMode(bool value);
    void SetDeviceEnabled(bool value);
    void SetPaymentMedia(std::int32_t value);
    void SetTrainingMode(bool value);
    std::int32_t DirectIO(std::int32_t command, std::int32_t* data, std::string* text);
    // Currency arguments are whole units x 10000.
    std::int32_t AuthorizeSales(std::int32_t sequence, std::int64_t amount, std::int64_t taxOthers,
                                std::int32_t timeout);
    std::int32_t GetOutputID();
    std::int32_t GetResultCode();
    std::int32_t GetResultCodeExtended();
    std::int32_t ClearOutput();
    std::int32_t ReleaseDevice();

    // Event sink of the control and the delivery of its events.
    void SetEventSink(CatEvents* events);
    void PumpEvents(int waitMs);
    int EventHandle() const;

private:
    CatDevice& m_device;
};
