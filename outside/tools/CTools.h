#pragma once
// The tool library: static helpers for files, paths and texts. Texts are CP932 bytes; paths use
// '/'.
#include <cstddef>
#include <string>
#include <vector>

class CTools {
public:
    // Full path of the product settings file: "PelmoV3.ini" in the program folder.
    static std::string GetCorvaneIniFileName();

    // Folder of the running executable (or $CORVANE_HOME), ending with '/'. The argument is
    // accepted for the callers' sake and ignored.
    static std::string GetExecutionFileDirectoryPath(int module = 0);

    // Appends '/' when the path does not end with one; an empty path stays empty.
    static void LastDelimAdd(std::string& path);

    // True when a file (not a folder) exists at `path`.
    static bool ExistFile(const std::string& path);

    // Deletes a file; true when deleted.
    static bool FileRemove(const std::string& path);

    // Creates the folder with every missing parent; true when it exists afterwards.
    static bool MkDir(const std::string& path);

    // Splits `text` at each `separator` (never inside a double-byte character) into `parts`,
    // which is cleared first; empty pieces (separators in a row, at either end) are skipped.
    // Returns the number of parts.
    static int SplitString(const std::string& text, char separator,
                           std::vector<std::string>& parts);

    // Half-width form of a text: full-width katakana become half-width ones with voiced and
    // semi-voiced marks as a separate ﾞ/ﾟ (ガ -> ｶﾞ, パ -> ﾊﾟ, ヴ -> ｳﾞ); the kana marks ー ・ 「
    // 」 。 、 ゛ ゜ their half-width forms; full-width ASCII letters, digits and punctuation, ￥
    // and the full-width space their ASCII forms. Everything else is left byte for byte (hiragana,
    // kanji, katakana without a half-width form such as ヵ ヶ ヮ).
    static std::string GetHalfKana(const std::string& text);

    // Age in whole years and remaining months at `reference` (YYYYMMDD; nullptr for today) for
    // the birth date `birth` (YYYYMMDD). Separators such as '-' or '/' between the numbers are
    // ignored. Returns false, with 0 years and 0 months, when a date is invalid or the birth
    // date lies after the reference date.
    static bool CaclAge(const std::string& birth, const char* reference, int& years, int& months);

    // Standard Base64 (with '=' padding) of `length` bytes.
    static std::string Base64Encode(const void* data, std::size_t length);
    static std::string Base64Encode(const std::string& bytes);
};
