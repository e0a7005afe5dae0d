#include "fuzz/FuzzChecks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <unistd.h>

#include "agent/core/Credentials.h"
#include "agent/core/SqlLiterals.h"
#include "agent/sync/cycle/EntryFileKey.h"
#include "agent/sync/cycle/ReadEntryLines.h"
#include "agent/sync/support/FixedTimes.h"
#include "cashless/paygate/PaygateTexts.h"
#include "cashless/paygate/PaymentRequest.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

namespace {

// One scratch folder per process, removed at exit.
class Scratch {
public:
    Scratch() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/corvane-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()))
            m_dir = pattern + "/";
    }
    ~Scratch() {
        for (const std::string& f : m_files)
            std::remove(f.c_str());
        if (!m_dir.empty())
            rmdir(m_dir.c_str());
    }
    // Writes the bytes to the file of that name in the folder; its path.
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = m_dir + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), std::streamsize(bytes.size()));
        if (std::find(m_files.begin(), m_files.end(), path) == m_files.end())
            m_files.push_back(path);
        return path;
    }

private:
    std::string m_dir;
    std::vector<std::string> m_files;
};

Scratch& Folder() {
    static Scratch scratch;
    return scratch;
}

std::string Bytes(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

bool IsLead(unsigned char c) {
    return platform::IsLeadByte(c);
}
bool IsTrail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Where a server's lexer ends the quoted literal that starts at `text[0]`: the index of its
// closing quote, or npos when it never closes. cp932: a lead byte with a trail byte is one
// character (also right after a backslash), a backslash escapes the next character, a doubled
// quote stands for one quote.
std::size_t LiteralEnd(const std::string& text, bool cp932) {
    const std::size_t n = text.size();
    std::size_t i = 1;
    auto multibyte = [&](std::size_t at) {
        return cp932 && at + 1 < n && IsLead(static_cast<unsigned char>(text[at])) &&
               IsTrail(static_cast<unsigned char>(text[at + 1]));
    };
    while (i < n) {
        if (multibyte(i)) {
            i += 2;
        } else if (text[i] == '\\') {
            if (i + 1 >= n)
                return std::string::npos;
            i += multibyte(i + 1) ? 3 : 2;
        } else if (text[i] == '\'') {
            if (i + 1 < n && text[i + 1] == '\'') {
                i += 2;
                continue;
            }
            return i;
        } else {
            ++i;
        }
    }
    return std::string::npos;
}

// The value a server reads from a literal that ends at its last byte.
std::string Unescape(const std::string& literal, bool cp932) {
    std::string out;
    const std::size_t n = literal.size() - 1;
    for (std::size_t i = 1; i < n;) {
        if (cp932 && i + 1 < n && IsLead(static_cast<unsigned char>(literal[i])) &&
            IsTrail(static_cast<unsigned char>(literal[i + 1]))) {
            out += literal.substr(i, 2);
            i += 2;
        } else if (literal[i] == '\\' || literal[i] == '\'') {
            out += literal[i + 1];
            i += 2;
        } else {
            out += literal[i++];
        }
    }
    return out;
}

bool QuotedDigitsOrNull(const std::string& s) {
    if (s == "NULL")
        return true;
    if (s.size() < 2 || s.front() != '\'' || s.back() != '\'')
        return false;
    return std::all_of(s.begin() + 1, s.end() - 1, [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == ':' || c == ' ';
    });
}

} // namespace

const std::vector<FuzzTarget>& FuzzTargets() {
    static const std::vector<FuzzTarget> targets = {
        {"entry_file", CheckEntryFile},    {"payment_request", CheckPaymentRequest},
        {"profile", CheckProfile},         {"fixed_times", CheckFixedTimes},
        {"credentials", CheckCredentials}, {"sql_literal", CheckSqlLiteral},
    };
    return targets;
}

std::string CheckEntryFile(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = Bytes(data, size);
    for (const char* name : {"e.txt", "e.sale", "e.memo", "e.notice", "0000004711.pat"}) {
        const std::string path = Folder().Write(name, bytes);
        std::vector<std::string> lines;
        std::string error;
        if (ReadEntryLines(path, lines, error) != EntryReadResult::Read)
            return "an entry file that exists could not be read: " + error;
        // Each line is the text up to its LF without one CR before it; nothing after the last
        // LF is no line.
        std::vector<std::string> expected;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t lf = bytes.find('\n', at);
            std::string line = bytes.substr(at, lf == std::string::npos ? lf : lf - at);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            expected.push_back(line);
            at = lf == std::string::npos ? bytes.size() : lf + 1;
        }
        if (lines != expected)
            return "the lines differ from the file's lines";
        const std::string key = EntryFileKey(path);
        if (key.size() > 2 * 64 + 1)
            return "key line longer than its cut";
        if (std::string(name) == "0000004711.pat" && key != "0000004711")
            return "a patient file's key is its name";
    }
    return {};
}

std::string CheckPaymentRequest(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = Bytes(data, size);
    const std::string path = Folder().Write("r.dat", bytes);
    PaymentRequest request;
    if (!request.Read(path))
        return "the request could not be read";
    for (const std::string* text : {&request.id, &request.name}) {
        if (text->size() > PaymentRequest::kMaxTextBytes)
            return "a shown text is longer than its cut";
        for (char c : *text)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                return "a shown text holds a control byte";
    }
    const std::int64_t limit = 9999999;
    const std::string problem = request.AmountProblem(limit);
    if (problem.empty()) {
        const std::int64_t total = request.DisplayTotal();
        if (request.amount < 0 || request.taxOthers < 0 || total > limit ||
            (total == 0 && request.kind != PaymentRequest::kTerminalFunctions) ||
            !request.amountPlain || !request.taxPlain)
            return "absurd amounts passed: " + std::to_string(request.amount) + " + " +
                   std::to_string(request.taxOthers);
    }
    (void)PaygateTexts::DisplayAmount(request.DisplayTotal());
    (void)PaygateTexts::KindName(request.kind);

    // The same request as an answer file: the result appended at its very end is found and the
    // request reads as before.
    if (bytes.find("$RESULT") == std::string::npos) {
        const int code = static_cast<int>(size % 4000) - 5;
        const std::string answer =
            Folder().Write("r.fin", bytes + "$RESULT=" + std::to_string(code));
        PaymentRequest again;
        std::optional<int> read;
        if (!again.ReadAnswer(answer, read))
            return "the answer could not be read";
        if (!read || *read != code)
            return "the result code of an answer was not found";
        if (again.kind != request.kind || again.amount != request.amount ||
            again.taxOthers != request.taxOthers || again.id != request.id ||
            again.name != request.name || again.training != request.training)
            return "an answer reads otherwise than its request";
    }
    return {};
}

std::string CheckProfile(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = Bytes(data, size);
    const std::string path = Folder().Write("p.ini", bytes);
    for (const char* section : {"GLOBAL", "Cashless", "COMMON", ""}) {
        for (const char* key : {"DATABASE", "Type", "HOST", ""}) {
            const std::string v = platform::GetProfileString(path, section, key, "<none>", 16);
            if (v != "<none>" && v.size() > 15)
                return "a read longer than its buffer";
            (void)platform::GetProfileInt(path, section, key, -7);
        }
    }
    // A write reads back and leaves the other sections' first values as they were.
    const std::string before = platform::GetProfileString(path, "GLOBAL", "DATABASE", "<none>");
    if (!platform::WriteProfileString(path, "Cashless", "Log", "1"))
        return "the write failed";
    if (platform::GetProfileString(path, "Cashless", "Log", "<none>") != "1")
        return "a written value does not read back";
    if (platform::GetProfileString(path, "GLOBAL", "DATABASE", "<none>") != before)
        return "a write changed another section's value";
    return {};
}

std::string CheckFixedTimes(const std::uint8_t* data, std::size_t size) {
    const std::string text = Bytes(data, size);
    const std::vector<int> times = FixedTimes::Read(text);
    std::vector<int> seen;
    for (int t : times) {
        if (t < 0 || t > 24 * 60 + 59)
            return "a time out of the day: " + std::to_string(t);
        if (std::find(seen.begin(), seen.end(), t) != seen.end())
            return "a repeated time";
        seen.push_back(t);
    }
    std::vector<int> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    if (FixedTimes::ReadSorted(text) != sorted)
        return "the sorted times differ";
    // The normalised text reads as the same times.
    if (FixedTimes::Read(FixedTimes::Normalised(text)) != times)
        return "the normalised text reads otherwise";
    return {};
}

std::string CheckCredentials(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = Bytes(data, size);
    const std::string plain = DecipherCredential(bytes);
    if (plain.find('\0') != std::string::npos)
        return "a deciphered text holds a zero byte";
    if (size <= 1000 && bytes.find('\0') == std::string::npos) {
        const std::string hex = EncipherCredential(bytes);
        if (DecipherCredential(hex) != bytes)
            return "an enciphered text does not decipher to itself";
        std::string lower = hex;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (DecipherCredential(lower) != bytes)
            return "lower-case hex digits decipher otherwise";
    }
    return {};
}

std::string CheckSqlLiteral(const std::uint8_t* data, std::size_t size) {
    const std::string text = Bytes(data, size);
    const std::string literal = SqlText(text);
    if (literal == "NULL")
        return text.empty() ? std::string() : "a text became NULL";
    if (literal.size() < 2 || literal.front() != '\'')
        return "a text literal without its quote";
    // What a cp932 server reads, and what the server reads from the text the driver is given.
    if (LiteralEnd(literal, true) != literal.size() - 1)
        return "the literal ends early for a cp932 reader";
    const std::string utf8 = platform::Cp932ToUtf8(literal);
    if (LiteralEnd(utf8, false) != utf8.size() - 1)
        return "the literal ends early for a UTF-8 reader";
    std::string kept = text;
    if (!kept.empty() && IsLead(static_cast<unsigned char>(kept.back()))) {
        // Only a lone lead byte at the very end is dropped.
        std::size_t i = 0;
        while (i + 1 < kept.size())
            i += IsLead(static_cast<unsigned char>(kept[i])) &&
                         IsTrail(static_cast<unsigned char>(kept[i + 1]))
                     ? 2
                     : 1;
        if (i == kept.size() - 1)
            kept.pop_back();
    }
    if (Unescape(literal, true) != kept)
        return "the literal reads as another text";
    if (Unescape(utf8, false) != platform::Cp932ToUtf8(kept))
        return "the converted literal reads as another text";

    const std::string half = text.substr(0, size / 2), rest = text.substr(size / 2);
    for (const std::string& lit :
         {SqlDate(text), SqlTime(text), SqlDateTime(half, rest), DateText(text), TimeText(text)}) {
        if (lit.empty())
            continue;
        const std::string quoted = lit.front() == '\'' || lit == "NULL" ? lit : "'" + lit + "'";
        if (!QuotedDigitsOrNull(quoted))
            return "a date or time literal with other characters: " + lit;
    }
    return {};
}
