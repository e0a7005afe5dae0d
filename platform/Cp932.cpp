#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Length of the UTF-8 sequence starting with `c`; 1 for a byte that cannot start one.
std::size_t Utf8SequenceLength(unsigned char c) {
    if (c >= 0xC2 && c <= 0xDF)
        return 2;
    if (c >= 0xE0 && c <= 0xEF)
        return 3;
    if (c >= 0xF0 && c <= 0xF4)
        return 4;
    return 1;
}

// One descriptor per direction and thread, opened on first use: opening one per call is costly
// and a descriptor must not be shared between threads.
iconv_t Converter(bool toUtf8) {
    struct Cache {
        iconv_t toUtf8 = iconv_open("UTF-8", "CP932");
        iconv_t toCp932 = iconv_open("CP932", "UTF-8");
        ~Cache() {
            for (iconv_t cd : {toUtf8, toCp932})
                if (cd != reinterpret_cast<iconv_t>(-1))
                    iconv_close(cd);
        }
    };
    thread_local Cache cache;
    return toUtf8 ? cache.toUtf8 : cache.toCp932;
}

// Converts with iconv (CP932 -> UTF-8 when `toUtf8`); `skip` tells how many input bytes one
// unconvertible character spans. Each unconvertible character becomes '?' so the rest of the text
// survives.
template <typename Skip> std::string Convert(bool toUtf8, std::string_view in, Skip skip) {
    std::string out;
    if (in.empty())
        return out;
    iconv_t cd = Converter(toUtf8);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof(buffer);
        std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (incomplete sequence at the end): replace one character.
        std::size_t n = skip(reinterpret_cast<const unsigned char*>(src), srcLeft);
        if (n == 0 || n > srcLeft)
            n = srcLeft < 1 ? srcLeft : 1;
        src += n;
        srcLeft -= n;
        out.push_back('?');
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Valid UTF-8 (as iconv writes it) -> UTF-16.
std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const std::size_t n = Utf8SequenceLength(c);
        if (n == 1 || i + n > utf8.size()) {
            out.push_back(c < 0x80 ? c : u'?');
            ++i;
            continue;
        }
        char32_t cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
        for (std::size_t k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size() * 3);
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            out.push_back('?');
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Cp932ToUtf8(std::string_view cp932) {
    return Convert(true, cp932, [](const unsigned char* p, std::size_t left) {
        // A lead byte with a proper trail byte is one (unmapped) character; otherwise only the
        // bad byte goes, so an ASCII byte after a stray lead byte survives.
        if (IsLeadByte(p[0]) && left >= 2 && IsTrailByte(p[1]))
            return std::size_t{2};
        return std::size_t{1};
    });
}

std::string Utf8ToCp932(std::string_view utf8) {
    return Convert(false, utf8, [](const unsigned char* p, std::size_t left) {
        std::size_t n = Utf8SequenceLength(p[0]);
        if (n > left)
            return std::size_t{1};
        for (std::size_t i = 1; i < n; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return i; // broken sequence: drop only what belongs to it
        }
        return n;
    });
}

std::u16string Cp932ToUtf16(std::string_view cp932) {
    return Utf8ToUtf16(Cp932ToUtf8(cp932));
}

std::string Utf16ToCp932(std::u16string_view utf16) {
    return Utf8ToCp932(Utf16ToUtf8(utf16));
}

std::size_t Cp932CutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text.size();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t width = IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
    }
    return i;
}

std::string Cp932Cut(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, Cp932CutLength(text, maxBytes)));
}

std::string Cp932CutChars(std::string_view text, std::size_t maxChars) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < text.size() && chars < maxChars; ++chars)
        i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    return std::string(text.substr(0, i));
}

std::string J(std::string_view utf8) {
    return Utf8ToCp932(utf8);
}

bool SameCp932Name(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (IsLeadByte(x)) {
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z')
            x = x - 'A' + 'a';
        if (y >= 'A' && y <= 'Z')
            y = y - 'A' + 'a';
        if (x != y)
            return false;
    }
    return true;
}

} // namespace platform
