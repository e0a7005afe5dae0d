#include "PaymentRequest.h"

#include "PaygateTexts.h"
#include "platform/Cp932.h"

#include <cstdint>
#include <fstream>
#include <istream>

namespace {
// Small enough that the sum of two saturated values still fits.
constexpr std::int64_t kSaturate = (std::int64_t{1} << 62) - 1;

bool FitsInt32(std::int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

std::string CleanText(const std::string& line) {
    std::string t = platform::Cp932Cut(line, PaymentRequest::kMaxTextBytes);
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return t;
}
} // namespace

std::int64_t PaymentRequest::ParseNumber(const std::string& line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    std::int64_t v = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        // Saturate before the multiplication: a value just below the bound times ten would
        // overflow.
        const int digit = line[i] - '0';
        v = v > (kSaturate - digit) / 10 ? kSaturate : v * 10 + digit;
    }
    return negative ? -v : v;
}

bool PaymentRequest::IsPlainNumber(const std::string& line) {
    std::size_t i = 0;
    auto blanks = [&] {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
    };
    blanks();
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        ++i;
    const std::size_t digits = i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    if (i == digits)
        return false;
    blanks();
    return i == line.size();
}

std::string PaymentRequest::AmountProblem(std::int64_t limit) const {
    using platform::J;
    const std::string head = J("金額が不正です: ");
    if (!amountPlain)
        return head + J("2行目(金額)が数字ではありません");
    if (!taxPlain)
        return head + J("3行目(税・その他)が数字ではありません");
    if (amount < 0)
        return head + J("金額が負の値です");
    if (taxOthers < 0)
        return head + J("税・その他が負の値です");
    const std::int64_t total = DisplayTotal();
    if (total == 0 && kind != kTerminalFunctions)
        return head + J("合計が0円です");
    if (total > limit)
        return head + J("合計が上限(") + PaygateTexts::DisplayAmount(limit) +
               J("円)を超えています");
    return {};
}

void PaymentRequest::ReadLines(std::istream& in, std::uint64_t limit) {
    std::string lines[8];
    int count = 0;
    std::streambuf* buf = in.rdbuf();
    std::uint64_t taken = 0;
    const int eof = std::char_traits<char>::eof();
    while (count < 8 && taken < limit) {
        std::string line;
        bool any = false;
        int ch = eof;
        while (taken < limit && (ch = buf->sbumpc()) != eof) {
            ++taken;
            any = true;
            if (ch == '\n')
                break;
            if (line.size() < kMaxLineBytes)
                line += static_cast<char>(ch);
        }
        if (!any)
            break;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines[count++] = line;
        if (ch == eof)
            break;
    }

    std::int64_t* numbers[6] = {&kind, &amount, &taxOthers, &steraOption, &waonOption, &training};
    valid = true;
    for (int i = 0; i < 6 && i < count; ++i) {
        *numbers[i] = ParseNumber(lines[i]);
        if (!FitsInt32(*numbers[i]))
            valid = false;
    }
    auto plain = [](const std::string& line) {
        return line.find_first_not_of(" \t") == std::string::npos || IsPlainNumber(line);
    };
    amountPlain = count < 2 || plain(lines[1]);
    taxPlain = count < 3 || plain(lines[2]);
    if (count > 6)
        id = CleanText(lines[6]);
    if (count > 7)
        name = CleanText(lines[7]);
}

bool PaymentRequest::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    ReadLines(in, UINT64_MAX);
    return true;
}

bool PaymentRequest::ReadAnswer(const std::string& path, std::optional<int>& code) {
    code.reset();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    // The result was appended last: "$RESULT=" and a signed 32-bit number.
    static const std::string kResult = "$RESULT=";
    constexpr std::streamoff kTail = 32;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    std::uint64_t limit = UINT64_MAX;
    if (size > 0) {
        const std::streamoff from = size > kTail ? size - kTail : 0;
        std::string tail(static_cast<std::size_t>(size - from), '\0');
        in.seekg(from);
        in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
        const std::size_t at = tail.rfind(kResult);
        if (in && at != std::string::npos) {
            const std::int64_t value = ParseNumber(tail.substr(at + kResult.size()));
            if (FitsInt32(value))
                code = static_cast<int>(value);
            limit = static_cast<std::uint64_t>(from) + at;
        }
    }
    in.clear();
    in.seekg(0);
    ReadLines(in, limit);
    return true;
}
