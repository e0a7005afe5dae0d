#include "agent/dialogs/SearchWords.h"

#include "outside/tools/CTools.h"
#include "platform/Cp932.h"

SearchWords::SearchWords(const std::string& searchText) {
    CTools::SplitString(Normalise(searchText), ' ', m_words);
}

bool SearchWords::Matches(const std::string& text) const {
    if (m_words.empty())
        return true;
    const std::string normal = Normalise(text);
    for (const std::string& word : m_words) {
        if (!Contains(normal, word))
            return false;
    }
    return true;
}

std::string SearchWords::Normalise(const std::string& text) {
    std::string out = CTools::GetHalfKana(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (platform::IsLeadByte(c)) {
            ++i; // a trail byte in the letter range is no letter
            continue;
        }
        if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool SearchWords::Contains(const std::string& haystack, const std::string& needle) {
    if (needle.empty())
        return true;
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (haystack.compare(i, needle.size(), needle) == 0)
            return true;
        if (platform::IsLeadByte(static_cast<unsigned char>(haystack[i])))
            ++i;
    }
    return false;
}
