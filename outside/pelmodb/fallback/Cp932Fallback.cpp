// Stand-in for the platform CP932 helpers while the platform library is not in the tree.
#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

std::string Convert(const char* to, const char* from, std::string_view in, bool fromCp932) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[256];
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out.push_back('?');
            size_t skip = 1;
            if (fromCp932) {
                if (IsLeadByte(static_cast<unsigned char>(*src)) && left >= 2)
                    skip = 2;
            } else {
                unsigned char c = static_cast<unsigned char>(*src);
                skip = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (skip > left)
                    skip = left;
            }
            src += skip;
            left -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    return Convert("UTF-8", "CP932", cp932, true);
}

std::string Utf8ToCp932(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8, false);
}

std::size_t Cp932CutLength(std::string_view text, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t step = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxBytes || i + step > text.size())
            break;
        i += step;
    }
    return i;
}

std::string Cp932Cut(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, Cp932CutLength(text, maxBytes)));
}

std::string J(std::string_view utf8) {
    return Utf8ToCp932(utf8);
}

} // namespace platform
