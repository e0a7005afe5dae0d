#pragma once
// UnifiedPOS result codes, error loci and error responses as the CAT device layer uses them.

namespace cat {

constexpr int kSuccess = 0;
constexpr int kClosed = 101;     // device not open
constexpr int kClaimed = 102;    // claimed by another
constexpr int kNotClaimed = 103; // operation needs a claim
constexpr int kNoService = 104;  // control cannot reach its service
constexpr int kDisabled = 105;   // device not enabled
constexpr int kIllegal = 106;    // invalid or unsupported operation or parameter
constexpr int kNoHardware = 107; // no terminal attached or powered
constexpr int kOffline = 108;
constexpr int kNoExist = 109; // device name has no entry
constexpr int kExists = 110;
constexpr int kFailure = 111; // terminal attached but its answer was not received
constexpr int kTimeout = 112;
constexpr int kBusy = 113;     // service state cannot accept the request
constexpr int kExtended = 114; // see ResultCodeExtended

constexpr int kLocusOutput = 1;

constexpr int kResponseRetry = 11;
constexpr int kResponseClear = 12;

// The extended code a terminal reports when the POS cancelled the sale with ClearOutput.
constexpr int kExtCancelledByPos = 1040;

} // namespace cat
