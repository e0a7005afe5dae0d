#pragma once
// A CAT (card terminal) device with the UnifiedPOS operations and meanings: methods answer a
// result code (cat::kSuccess or one of CatCodes.h); property writes that the device refuses
// leave their code in ResultCode(). Currency values are whole units x 10000.
#include <cstdint>
#include <string>

class CatEvents;

class CatDevice {
public:
    virtual ~CatDevice() = default;

    // Opens the named device (its entry must exist: kNoExist otherwise). kIllegal when open.
    virtual int Open(const std::string& deviceName) = 0;
    // Releases and closes; kClosed when not open.
    virtual int Close() = 0;
    virtual bool Claimed() const = 0;
    // Reaches the terminal; kNoHardware when none is attached at the entry's port.
    virtual int ClaimDevice(int timeoutMs) = 0;
    virtual int ReleaseDevice() = 0;

    virtual void SetAsyncMode(bool on) = 0;
    virtual void SetDeviceEnabled(bool on) = 0;
    virtual void SetPaymentMedia(std::int32_t media) = 0;
    virtual void SetTrainingMode(bool on) = 0;

    // Device-specific command; `data` and `text` are in/out.
    virtual int DirectIO(std::int32_t command, std::int32_t& data, std::string& text) = 0;
    // Starts a sale. In async mode kSuccess means accepted: OutputID() names it and its end
    // comes as an event. `timeoutMs` -1 waits forever (sync mode only).
    virtual int AuthorizeSales(std::int32_t sequence, std::int64_t amount, std::int64_t taxOthers,
                               std::int32_t timeoutMs) = 0;
    // Cancels the outstanding asynchronous request; no event follows for it.
    virtual int ClearOutput() = 0;

    virtual std::int32_t OutputID() const = 0;
    virtual int ResultCode() const = 0;
    virtual int ResultCodeExtended() const = 0;

    // Receiver of events; may be null.
    virtual void SetEvents(CatEvents* events) = 0;
    // Waits up to `waitMs` (0: just look) for news from the terminal and delivers any events.
    virtual void PumpEvents(int waitMs) = 0;
    // A descriptor that turns readable when news may be waiting, so an event loop can call
    // PumpEvents right then instead of on a timer; -1 when there is none to wait on. It changes
    // as the terminal is claimed and released.
    virtual int EventHandle() const { return -1; }
};
