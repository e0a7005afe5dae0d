#pragma once
// Field reads of a record set's current row, by column name.
#include <string>

#include "agent/core/CDBVariant.h"
#include "agent/core/CRecordset.h"
#include "agent/core/LocalDateTime.h"

// The field as text: NULL and binary give an empty text; bool "1"/"0"; integers in decimal;
// floating point "%f"; a date-time "YYYY-MM-DD HH:MM:SS", "HH:MM:SS" when its date part is zero,
// "YYYY-MM-DD" when its time part is zero (midnight gives the date alone); text as it is.
// An empty name reads the first column. Throws CDBException for an unknown column.
std::string GetFieldText(const CRecordset& rs, const std::string& name);
// The same formatting for a value already read.
std::string VariantText(const CDBVariant& v);

// True and the value when the field is a non-NULL date-time; false otherwise.
bool GetFieldDateTime(const CRecordset& rs, const std::string& name, LocalDateTime& value);
