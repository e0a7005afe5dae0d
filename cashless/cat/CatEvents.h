#pragma once
// Receiver of the CAT device events. Events are delivered only from inside
// CatDevice::PumpEvents, on the caller's thread, so a handler may call back into the device.
#include <cstdint>

class CatEvents {
public:
    virtual ~CatEvents() = default;
    // The asynchronous request `outputId` completed successfully (ResultCode is 0).
    virtual void OnOutputCompleteEvent(std::int32_t outputId) = 0;
    // The asynchronous request failed. `errorResponse` comes in as the service's suggestion and
    // may be changed by the handler (kResponseClear drops the request).
    virtual void OnErrorEvent(int resultCode, int resultCodeExtended, int errorLocus,
                              int& errorResponse) = 0;
};
