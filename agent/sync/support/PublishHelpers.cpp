#include "agent/sync/support/PublishHelpers.h"

#include "agent/core/CRecordset.h"
#include "agent/sync/cycle/ReadEntryLines.h"
#include "agent/sync/log/OperationLog.h"
#include "platform/Cp932.h"

bool WebRowExists(CDatabase& db, const std::string& sql, bool* opened) {
    CRecordset rs(&db);
    const bool ok = rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
    if (opened)
        *opened = ok;
    return ok && !rs.IsEOF();
}

void TrimTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
}

size_t LastCharacterStart(const std::string& text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size();) {
        start = i;
        const bool pair =
            platform::IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        i += pair ? 2 : 1;
    }
    return start;
}

bool ReadEntryForPublish(OperationLog& log, const std::string& path,
                         std::vector<std::string>& lines, bool& done) {
    std::string error;
    switch (ReadEntryLines(path, lines, error)) {
    case EntryReadResult::Read:
        return true;
    case EntryReadResult::Missing:
        done = true; // taken away by another program: nothing left to do
        return false;
    case EntryReadResult::Failed:
        break;
    }
    // Deleting a file that cannot be read would lose the change it announces.
    log.WriteLog(OperationLog::Error,
                 platform::J("エントリファイルを読めません ") + path + " (" + error + ")");
    done = false;
    return false;
}

std::string EntryValue(const std::vector<std::string>& lines, size_t index,
                       const std::string& prefix) {
    if (index >= lines.size() || lines[index].compare(0, prefix.size(), prefix) != 0)
        return {};
    return lines[index].substr(prefix.size());
}
