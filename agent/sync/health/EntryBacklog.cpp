#include "agent/sync/health/EntryBacklog.h"

#include <sys/stat.h>

#include "agent/sync/cycle/EntryLists.h"
#include "platform/FileOps.h"

EntryBacklog EntryBacklog::Of(const std::string& folder) {
    using namespace std::chrono;
    EntryBacklog backlog;
    if (folder.empty())
        return backlog;
    for (const EntryKind& kind : kEntryKinds) {
        for (const platform::FoundFile& f : platform::FindFiles(folder, kind.mask)) {
            if (f.system)
                continue;
            struct stat st {};
            if (::stat((folder + f.name).c_str(), &st) != 0)
                continue; // sent and deleted meanwhile
            const system_clock::time_point modified(duration_cast<system_clock::duration>(
                seconds(st.st_mtim.tv_sec) + nanoseconds(st.st_mtim.tv_nsec)));
            ++backlog.count;
            if (!backlog.oldest || modified < *backlog.oldest)
                backlog.oldest = modified;
        }
    }
    return backlog;
}
