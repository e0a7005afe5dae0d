#include "RecordText.h"

#include "platform/Cp932.h"
#include "platform/RecordFields.h"

#include <cstdint>
#include <cstring>

namespace {
bool EndsWith(const std::string& s, const char* tail) {
    std::size_t n = std::strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

bool AllDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Form checks by field name: dates are YYYYMMDD, times HHMM.
bool FormOk(const std::string& name, const std::string& v, std::string& err) {
    if (v.empty())
        return true;
    bool isDate = name == "date" || name == "birthday" || EndsWith(name, "Date") ||
                  name == "periodFrom" || name == "periodTo" || name == "guestBirthday";
    bool isTime = name == "start" || name == "end" || name == "timeFrom" || name == "timeTo" ||
                  name == "receptionTime" || EndsWith(name, "Start");
    if (isDate) {
        int m = v.size() == 8 && AllDigits(v) ? std::stoi(v.substr(4, 2)) : 0;
        int d = v.size() == 8 && AllDigits(v) ? std::stoi(v.substr(6, 2)) : 0;
        if (m < 1 || m > 12 || d < 1 || d > 31) {
            err = name + ": not a date YYYYMMDD: " + v;
            return false;
        }
    }
    if (isTime) {
        int h = v.size() == 4 && AllDigits(v) ? std::stoi(v.substr(0, 2)) : 99;
        int mi = v.size() == 4 && AllDigits(v) ? std::stoi(v.substr(2, 2)) : 99;
        if (h > 24 || mi > 59 || (h == 24 && mi != 0)) {
            err = name + ": not a time HHMM: " + v;
            return false;
        }
    }
    return true;
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}
} // namespace

std::string RecordText::Get(const TableSpec::Field& field, const void* record) {
    const char* p = static_cast<const char*>(record) + field.offset;
    switch (field.kind) {
    case TableSpec::Kind::Text:
        return platform::Cp932ToUtf8(platform::RecText(p, field.size));
    case TableSpec::Kind::Byte:
        return std::to_string(static_cast<unsigned char>(*p));
    case TableSpec::Kind::Int32: {
        std::int32_t v;
        std::memcpy(&v, p, sizeof v);
        return std::to_string(v);
    }
    case TableSpec::Kind::Int64: {
        std::int64_t v;
        std::memcpy(&v, p, sizeof v);
        return std::to_string(v);
    }
    }
    return {};
}

bool RecordText::SetText(const TableSpec::Field& field, void* record, const std::string& utf8,
                         std::string& err) {
    if (field.kind != TableSpec::Kind::Text) {
        err = std::string(field.name) + ": a number is expected";
        return false;
    }
    std::string cp = platform::Utf8ToCp932(utf8);
    if (cp.size() > field.size - 1) {
        err = std::string(field.name) + ": longer than " + std::to_string(field.size - 1) +
              " bytes: " + utf8;
        return false;
    }
    if (cp.find('\0') != std::string::npos) {
        err = std::string(field.name) + ": contains a NUL character";
        return false;
    }
    if (!FormOk(field.name, cp, err))
        return false;
    platform::SetRecText(static_cast<char*>(record) + field.offset, field.size, cp);
    return true;
}

bool RecordText::SetNumber(const TableSpec::Field& field, void* record, long long value,
                           std::string& err) {
    char* p = static_cast<char*>(record) + field.offset;
    switch (field.kind) {
    case TableSpec::Kind::Text:
        err = std::string(field.name) + ": a text is expected";
        return false;
    case TableSpec::Kind::Byte:
        if (value < 0 || value > 255)
            break;
        *p = static_cast<char>(value);
        return true;
    case TableSpec::Kind::Int32: {
        if (value < INT32_MIN || value > INT32_MAX)
            break;
        std::int32_t v = static_cast<std::int32_t>(value);
        std::memcpy(p, &v, sizeof v);
        return true;
    }
    case TableSpec::Kind::Int64: {
        std::int64_t v = value;
        std::memcpy(p, &v, sizeof v);
        return true;
    }
    }
    err = std::string(field.name) + ": out of range: " + std::to_string(value);
    return false;
}

std::string RecordText::Line(const TableSpec& spec, const void* record) {
    std::string line;
    const char* base = static_cast<const char*>(record);
    for (const TableSpec::Segment& s : spec.keys[0].segments) {
        if (!line.empty())
            line += '/';
        line += platform::Cp932ToUtf8(platform::RecText(base + s.offset, s.size));
    }
    for (const TableSpec::Field& f : spec.fields)
        line += " " + std::string(f.name) + "=" + Escape(Get(f, record));
    return line;
}
