#pragma once
// Small pieces shared by the exchanges that publish local records to the web.
#include <string>
#include <vector>

class CDatabase;
class OperationLog;

// Runs a SELECT whose only use is to learn whether the row exists. Throws CDBException like
// the record set does; `opened` (when given) tells whether the record set could be opened.
bool WebRowExists(CDatabase& db, const std::string& sql, bool* opened = nullptr);

// Drops trailing ASCII blanks.
void TrimTrailingBlanks(std::string& text);

// Offset of the last whole CP932 character of a non-empty text (a lone lead byte at the end
// counts as a character of its own).
size_t LastCharacterStart(const std::string& text);

// Reads an entry file for its processor. True with the file's lines; false when there is nothing
// to read, with `done` the processor's answer: true when the file is gone already, false (keep
// it, a line logged under "エラー") when it exists but cannot be read.
bool ReadEntryForPublish(OperationLog& log, const std::string& path,
                         std::vector<std::string>& lines, bool& done);

// The rest of line `index` after `prefix`; empty when the line is missing or does not start so.
std::string EntryValue(const std::vector<std::string>& lines, size_t index,
                       const std::string& prefix);
