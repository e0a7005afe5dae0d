#pragma once
// Field values of a record buffer as UTF-8 text, for the admin tool's input and output.
#include "TableSpec.h"

#include <string>

class RecordText {
public:
    // The field's value: texts converted to UTF-8, numbers in decimal.
    static std::string Get(const TableSpec::Field& field, const void* record);
    // Sets a text field from UTF-8. False with err set when the CP932 text does not fit or the
    // field's form is broken (dates YYYYMMDD, times HHMM, by field name).
    static bool SetText(const TableSpec::Field& field, void* record, const std::string& utf8,
                        std::string& err);
    // Sets a number field. False with err set when the value is out of the field's range.
    static bool SetNumber(const TableSpec::Field& field, void* record, long long value,
                          std::string& err);
    // Record line: the key 0 segments joined by '/', then " name=value" for every field
    // (CR, LF and backslash escaped as \r, \n, \\).
    static std::string Line(const TableSpec& spec, const void* record);
};
