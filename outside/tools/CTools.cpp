#include "outside/tools/CTools.h"

#include "platform/ClinicZone.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/ProgramFolder.h"

#include <ctime>
#include <unordered_map>

namespace {

// Full-width katakana and kana marks with their half-width forms (UTF-8).
const char* const kKanaPairs[][2] = {
    {"ァ", "ｧ"},  {"ア", "ｱ"},  {"ィ", "ｨ"},  {"イ", "ｲ"},  {"ゥ", "ｩ"},  {"ウ", "ｳ"},
    {"ェ", "ｪ"},  {"エ", "ｴ"},  {"ォ", "ｫ"},  {"オ", "ｵ"},  {"カ", "ｶ"},  {"ガ", "ｶﾞ"},
    {"キ", "ｷ"},  {"ギ", "ｷﾞ"}, {"ク", "ｸ"},  {"グ", "ｸﾞ"}, {"ケ", "ｹ"},  {"ゲ", "ｹﾞ"},
    {"コ", "ｺ"},  {"ゴ", "ｺﾞ"}, {"サ", "ｻ"},  {"ザ", "ｻﾞ"}, {"シ", "ｼ"},  {"ジ", "ｼﾞ"},
    {"ス", "ｽ"},  {"ズ", "ｽﾞ"}, {"セ", "ｾ"},  {"ゼ", "ｾﾞ"}, {"ソ", "ｿ"},  {"ゾ", "ｿﾞ"},
    {"タ", "ﾀ"},  {"ダ", "ﾀﾞ"}, {"チ", "ﾁ"},  {"ヂ", "ﾁﾞ"}, {"ッ", "ｯ"},  {"ツ", "ﾂ"},
    {"ヅ", "ﾂﾞ"}, {"テ", "ﾃ"},  {"デ", "ﾃﾞ"}, {"ト", "ﾄ"},  {"ド", "ﾄﾞ"}, {"ナ", "ﾅ"},
    {"ニ", "ﾆ"},  {"ヌ", "ﾇ"},  {"ネ", "ﾈ"},  {"ノ", "ﾉ"},  {"ハ", "ﾊ"},  {"バ", "ﾊﾞ"},
    {"パ", "ﾊﾟ"}, {"ヒ", "ﾋ"},  {"ビ", "ﾋﾞ"}, {"ピ", "ﾋﾟ"}, {"フ", "ﾌ"},  {"ブ", "ﾌﾞ"},
    {"プ", "ﾌﾟ"}, {"ヘ", "ﾍ"},  {"ベ", "ﾍﾞ"}, {"ペ", "ﾍﾟ"}, {"ホ", "ﾎ"},  {"ボ", "ﾎﾞ"},
    {"ポ", "ﾎﾟ"}, {"マ", "ﾏ"},  {"ミ", "ﾐ"},  {"ム", "ﾑ"},  {"メ", "ﾒ"},  {"モ", "ﾓ"},
    {"ャ", "ｬ"},  {"ヤ", "ﾔ"},  {"ュ", "ｭ"},  {"ユ", "ﾕ"},  {"ョ", "ｮ"},  {"ヨ", "ﾖ"},
    {"ラ", "ﾗ"},  {"リ", "ﾘ"},  {"ル", "ﾙ"},  {"レ", "ﾚ"},  {"ロ", "ﾛ"},  {"ワ", "ﾜ"},
    {"ヲ", "ｦ"},  {"ン", "ﾝ"},  {"ヴ", "ｳﾞ"}, {"ー", "ｰ"},  {"・", "･"},  {"「", "｢"},
    {"」", "｣"},  {"。", "｡"},  {"、", "､"},  {"゛", "ﾞ"},  {"゜", "ﾟ"},
};

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Double-byte CP932 code (lead << 8 | trail) -> half-width bytes. Built from the converter so
// every code of a character is covered, duplicates of the extension rows included.
const std::unordered_map<unsigned, std::string>& HalfWidthTable() {
    static const std::unordered_map<unsigned, std::string> table = [] {
        std::unordered_map<std::string, std::string> byUtf8;
        for (const auto& pair : kKanaPairs)
            byUtf8[pair[0]] = platform::Utf8ToCp932(pair[1]);
        for (unsigned cp = 0xFF01; cp <= 0xFF5E; ++cp) {
            std::string full;
            AppendUtf8(full, cp);
            byUtf8[full] = std::string(1, static_cast<char>(cp - 0xFF01 + 0x21));
        }
        byUtf8["　"] = " ";
        byUtf8["￥"] = "\\";

        std::unordered_map<unsigned, std::string> result;
        const unsigned leads[] = {0x81, 0x82, 0x83, 0x87, 0xED, 0xEE, 0xFA, 0xFB, 0xFC};
        for (unsigned lead : leads) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char bytes[] = {static_cast<char>(lead), static_cast<char>(trail)};
                auto it = byUtf8.find(platform::Cp932ToUtf8(std::string_view(bytes, 2)));
                if (it != byUtf8.end())
                    result[lead << 8 | trail] = it->second;
            }
        }
        return result;
    }();
    return table;
}

// Digits of a date text (separators dropped); true for a valid YYYYMMDD date.
bool ParseDate(const std::string& text, int& y, int& m, int& d) {
    std::string digits;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
        else if (c != '-' && c != '/' && c != '.')
            break;
    }
    if (digits.size() < 8)
        return false;
    y = std::stoi(digits.substr(0, 4));
    m = std::stoi(digits.substr(4, 2));
    d = std::stoi(digits.substr(6, 2));
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= days[m - 1];
}

} // namespace

std::string CTools::GetCorvaneIniFileName() {
    return platform::ProgramFolder() + "PelmoV3.ini";
}

std::string CTools::GetExecutionFileDirectoryPath(int /*module*/) {
    return platform::ProgramFolder();
}

void CTools::LastDelimAdd(std::string& path) {
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
}

bool CTools::ExistFile(const std::string& path) {
    return platform::FileExists(path);
}

bool CTools::FileRemove(const std::string& path) {
    return platform::RemoveFile(path);
}

bool CTools::MkDir(const std::string& path) {
    return platform::MakeDirs(path);
}

int CTools::SplitString(const std::string& text, char separator, std::vector<std::string>& parts) {
    parts.clear();
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (platform::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            current.append(text, i, 2);
            ++i;
        } else if (text[i] == separator) {
            if (!current.empty())
                parts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(text[i]);
        }
    }
    if (!current.empty())
        parts.push_back(std::move(current));
    return static_cast<int>(parts.size());
}

std::string CTools::GetHalfKana(const std::string& text) {
    const auto& table = HalfWidthTable();
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (platform::IsLeadByte(c) && i + 1 < text.size()) {
            unsigned code = c << 8 | static_cast<unsigned char>(text[i + 1]);
            auto it = table.find(code);
            if (it != table.end())
                out += it->second;
            else
                out.append(text, i, 2);
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

bool CTools::CaclAge(const std::string& birth, const char* reference, int& years, int& months) {
    years = 0;
    months = 0;
    int by, bm, bd, ry, rm, rd;
    if (!ParseDate(birth, by, bm, bd))
        return false;
    if (reference) {
        if (!ParseDate(reference, ry, rm, rd))
            return false;
    } else {
        const std::tm local = platform::ToClinicTime(std::time(nullptr));
        ry = local.tm_year + 1900;
        rm = local.tm_mon + 1;
        rd = local.tm_mday;
    }
    int total = (ry - by) * 12 + (rm - bm) - (rd < bd ? 1 : 0);
    if (total < 0)
        return false;
    years = total / 12;
    months = total % 12;
    return true;
}

std::string CTools::Base64Encode(const void* data, std::size_t length) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* p = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve((length + 2) / 3 * 4);
    for (std::size_t i = 0; i < length; i += 3) {
        unsigned n = p[i] << 16;
        if (i + 1 < length)
            n |= p[i + 1] << 8;
        if (i + 2 < length)
            n |= p[i + 2];
        out.push_back(alphabet[(n >> 18) & 0x3F]);
        out.push_back(alphabet[(n >> 12) & 0x3F]);
        out.push_back(i + 1 < length ? alphabet[(n >> 6) & 0x3F] : '=');
        out.push_back(i + 2 < length ? alphabet[n & 0x3F] : '=');
    }
    return out;
}

std::string CTools::Base64Encode(const std::string& bytes) {
    return Base64Encode(bytes.data(), bytes.size());
}
