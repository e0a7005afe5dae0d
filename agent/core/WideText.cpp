#include "agent/core/WideText.h"

#include "platform/Cp932.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the driver manager's wide text is UTF-16");

WideText::WideText(std::string_view cp932) : m_text(platform::Cp932ToUtf16(cp932)) {}

std::string FromWide(const SQLWCHAR* text, std::size_t length) {
    return platform::Utf16ToCp932(
        std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

std::string FromWide(const SQLWCHAR* terminated) {
    std::size_t n = 0;
    while (terminated[n] != 0)
        ++n;
    return FromWide(terminated, n);
}
