#pragma once
// One payment request file as the practice software writes it: CP932 text, one value per line
// (CR LF or LF), of which the first eight lines count. A missing line keeps its default.
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

class PaymentRequest {
public:
    std::int64_t kind = 1;        // line 1: payment kind code
    std::int64_t amount = 0;      // line 2: whole currency units
    std::int64_t taxOthers = 0;   // line 3
    std::int64_t steraOption = 0; // line 4: non-zero sends the stera DirectIO
    std::int64_t waonOption = 0;  // line 5: 0 with kind 700 sends the amount as tax too
    std::int64_t training = 0;    // line 6: non-zero is a training-mode sale
    std::string id;               // line 7, shown in the list
    std::string name;             // line 8, shown in the list

    // False when a number line does not fit a 32-bit signed value: such a request must not
    // reach the terminal. The number fields then hold the saturated values read.
    bool valid = true;
    // False when the amount (tax) line is there but is not a plain decimal number.
    bool amountPlain = true;
    bool taxPlain = true;

    // Reads the file; false when it cannot be opened. Lines are read up to kMaxLineBytes each
    // (the rest of a longer line is skipped); the text lines are cut to kMaxTextBytes without
    // splitting a double-byte character and their control bytes become blanks, so any bytes
    // give a request that can be shown and logged.
    bool Read(const std::string& path);

    // Reads an answer file (".fin", ".err"): the request before the "$RESULT=<code>" appended to
    // it, and that code (nullopt when the file carries none). False when it cannot be opened.
    bool ReadAnswer(const std::string& path, std::optional<int>& code);

    // The number rule: blanks skipped, optional sign, digits up to the first other byte; no
    // digits gives 0. Values beyond +-(2^62 - 1) saturate.
    static std::int64_t ParseNumber(const std::string& line);

    // Blanks, an optional sign, at least one digit, blanks, and nothing else: "1,000", "1e3"
    // and binary bytes are not amounts. A line of blanks only counts as a missing line (0).
    static bool IsPlainNumber(const std::string& line);

    // Why the amounts must not reach the terminal, as the status message shows it (CP932); empty
    // when they may. Refused: an amount or tax line that is not a plain number, a negative amount
    // or tax, a total of 0 (except kind 10000, which runs terminal functions rather than a sale)
    // and a total above `limit`.
    std::string AmountProblem(std::int64_t limit) const;

    // Amount plus tax as shown in the list (cannot overflow: both are saturated).
    std::int64_t DisplayTotal() const { return amount + taxOthers; }

    static constexpr std::size_t kMaxLineBytes = 64 * 1024;
    static constexpr std::size_t kMaxTextBytes = 255;
    static constexpr std::int64_t kTerminalFunctions = 10000; // kind without a sale

private:
    // Reads the lines of `in` up to `limit` bytes.
    void ReadLines(std::istream& in, std::uint64_t limit);
};
