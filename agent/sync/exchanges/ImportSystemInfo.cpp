#include "agent/sync/exchanges/ImportSystemInfo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "agent/core/CDBException.h"
#include "agent/core/CRecordset.h"
#include "agent/core/FieldText.h"
#include "agent/core/SqlLiterals.h"
#include "platform/Cp932.h"

namespace {

const char* const kSelect = "SELECT * FROM info WHERE chk IS NULL ORDER BY info_datetime";
const char* const kFileName = "SystemInfo.txt";
constexpr std::size_t kMaxErrorText = 255;

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string ErrorText(const std::string& path, int error) {
    return platform::Cp932Cut(path + ": " + std::strerror(error), kMaxErrorText);
}

// Appends the block; empty on success, else the error text. On a failed write the file is cut
// back to its former length, so no half block stays in it.
std::string AppendBlock(const std::string& path, const std::string& block) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return ErrorText(path, errno);
    off_t start = ::lseek(fd, 0, SEEK_END);
    if (start < 0) {
        int error = errno;
        ::close(fd);
        return ErrorText(path, error);
    }
    std::size_t done = 0;
    int error = 0;
    while (done < block.size()) {
        ssize_t n = ::write(fd, block.data() + done, block.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (error != 0 && done > 0 && ::ftruncate(fd, start) != 0) {
        // Nothing more can be done: the next attempt appends the whole block after the rest.
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error == 0 ? std::string() : ErrorText(path, error);
}

} // namespace

std::string SystemInfoBlock(const std::string& time, const std::string& title,
                            const std::string& body) {
    std::string oneLine = body;
    ReplaceAll(oneLine, "\r\n", "[$ENTER]");
    ReplaceAll(oneLine, "\n", "[$ENTER]");
    return "[$START]\r\n" + time + "\r\n" + title + "\r\n" + oneLine + "\r\n[$END]\r\n";
}

void ImportSystemInfo(SyncContext& ctx) {
    const std::string path = ctx.databaseFolder + kFileName;
    CDatabase& db = ctx.web.Database();
    try {
        CRecordset rs(&db);
        if (!rs.Open(CRecordset::forwardOnly, kSelect, CRecordset::readOnly))
            return;
        while (!rs.IsEOF()) {
            std::string id = GetFieldText(rs, "id");
            std::string time;
            LocalDateTime at;
            if (GetFieldDateTime(rs, "info_datetime", at))
                time = at.DateTimeText();
            std::string block =
                SystemInfoBlock(time, GetFieldText(rs, "title"), GetFieldText(rs, "text"));
            std::string failure = AppendBlock(path, block);
            if (!failure.empty()) {
                ctx.log.WriteLog(OperationLog::Error, failure);
            } else {
                try {
                    db.ExecuteSQL("UPDATE info SET chk=1 WHERE id=" + SqlText(id));
                } catch (const CDBException& e) {
                    ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
                }
            }
            rs.MoveNext();
        }
    } catch (const CDBException& e) {
        ctx.log.WriteLog(OperationLog::SqlError, e.m_strError);
    }
}
