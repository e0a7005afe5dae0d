#pragma once
// The fixed texts and formats of the payment bridge. All texts are CP932.
#include <cstdint>
#include <string>
#include <vector>

class PaygateTexts {
public:
    // Status message for result code `code`; `extended` is used when code is 114.
    static std::string StatusMessage(int code, int extended);
    // Name of a payment kind code; empty for unknown codes.
    static std::string KindName(std::int64_t kind);
    // True for kinds whose tax-and-other amount is added into the amount and sent as 0.
    static bool MergesTax(std::int64_t kind);
    // Absolute value with a comma before every group of three digits, '-' when negative.
    static std::string DisplayAmount(std::int64_t value);
    // Cells wrapped in double quotes (inner '"' become '\''), joined by commas, ended by CR LF.
    static std::string CsvLine(const std::vector<std::string>& cells);
    // "OK" or "NG(<code>)"; "OK(テスト)" for a request answered in test mode.
    static std::string ResultCell(int code, bool testMode = false);
    // What a result cell means, for its tooltip: the message of the "NG(<code>)" it holds (an
    // OPOS code, 2000 + an extended code, 3040 for a stopped sale) or the test-mode note; empty
    // when there is no known meaning.
    static std::string ResultTip(const std::string& cell);
};
