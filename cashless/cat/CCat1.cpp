#include "CCat1.h"

#include "CatDevice.h"

std::int32_t CCat1::Close() {
    return m_device.Close();
}
std::int32_t CCat1::Open(const std::string& deviceName) {
    return m_device.Open(deviceName);
}
bool CCat1::GetClaimed() {
    return m_device.Claimed();
}
std::int32_t CCat1::ClaimDevice(std::int32_t timeout) {
    return m_device.ClaimDevice(timeout);
}
void CCat1::SetAsyncMode(bool value) {
    m_device.SetAsyncMode(value);
}
void CCat1::SetDeviceEnabled(bool value) {
    m_device.SetDeviceEnabled(value);
}
void CCat1::SetPaymentMedia(std::int32_t value) {
    m_device.SetPaymentMedia(value);
}
void CCat1::SetTrainingMode(bool value) {
    m_device.SetTrainingMode(value);
}

std::int32_t CCat1::DirectIO(std::int32_t command, std::int32_t* data, std::string* text) {
    std::int32_t d = data ? *data : 0;
    std::string t = text ? *text : std::string();
    std::int32_t r = m_device.DirectIO(command, d, t);
    if (data)
        *data = d;
    if (text)
        *text = t;
    return r;
}

std::int32_t CCat1::AuthorizeSales(std::int32_t sequence, std::int64_t amount,
                                   std::int64_t taxOthers, std::int32_t timeout) {
    return m_device.AuthorizeSales(sequence, amount, taxOthers, timeout);
}

std::int32_t CCat1::GetOutputID() {
    return m_device.OutputID();
}
std::int32_t CCat1::GetResultCode() {
    return m_device.ResultCode();
}
std::int32_t CCat1::GetResultCodeExtended() {
    return m_device.ResultCodeExtended();
}
std::int32_t CCat1::ClearOutput() {
    return m_device.ClearOutput();
}
std::int32_t CCat1::ReleaseDevice() {
    return m_device.ReleaseDevice();
}
void CCat1::SetEventSink(CatEvents* events) {
    m_device.SetEvents(events);
}
void CCat1::PumpEvents(int waitMs) {
    m_device.PumpEvents(waitMs);
}

int CCat1::EventHandle() const {
    return m_device.EventHandle();
}
