#pragma once
// The search words of the notice and patient lists. Search text and searched text are both
// compared in their half-width, upper-case form, so full-width and half-width spellings and the
// case of letters do not matter; full-width blanks separate words like blanks. A text matches
// when every word occurs in it. Texts are CP932; matching never starts or ends inside a
// double-byte character.
#include <string>
#include <vector>

class SearchWords {
public:
    explicit SearchWords(const std::string& searchText);

    bool Empty() const { return m_words.empty(); }
    const std::vector<std::string>& Words() const { return m_words; }

    // True when every word occurs in the text (always true without words).
    bool Matches(const std::string& text) const;

    // Half-width (CTools::GetHalfKana), then ASCII letters in upper case.
    static std::string Normalise(const std::string& text);
    // True when needle occurs in haystack starting at a character boundary.
    static bool Contains(const std::string& haystack, const std::string& needle);

private:
    std::vector<std::string> m_words;
};
