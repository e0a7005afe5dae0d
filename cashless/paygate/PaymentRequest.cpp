#include "PaymentRequest.h"

#include "platform/Cp932.h"

#include <cstdint>
#include <fstream>

namespace {
constexpr std::int64_t kSaturate = std::int64_t{1} << 62;

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
        if (v < kSaturate)
            v = v * 10 + (line[i] - '0');
        if (v > kSaturate)
            v = kSaturate;
    }
    return negative ? -v : v;
}

bool PaymentRequest::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string lines[8];
    int count = 0;
    std::streambuf* buf = in.rdbuf();
    while (count < 8) {
        std::string line;
        bool any = false;
        int ch;
        while ((ch = buf->sbumpc()) != std::char_traits<char>::eof()) {
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
        if (ch == std::char_traits<char>::eof())
            break;
    }

    std::int64_t* numbers[6] = {&kind, &amount, &taxOthers, &steraOption, &waonOption, &training};
    valid = true;
    for (int i = 0; i < 6 && i < count; ++i) {
        *numbers[i] = ParseNumber(lines[i]);
        if (!FitsInt32(*numbers[i]))
            valid = false;
    }
    if (count > 6)
        id = CleanText(lines[6]);
    if (count > 7)
        name = CleanText(lines[7]);
    return true;
}
