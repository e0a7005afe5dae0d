#include "agent/sync/cycle/ScanEntryFolder.h"

#include <chrono>
#include <sys/stat.h>

#include "outside/tools/CTools.h"
#include "platform/FileOps.h"

namespace {

// True while the file may still be being written: modified within the settle time before now.
// A modification time ahead of the clock (the clock was set back) does not hold a file back, so
// such a file is never stuck for hours.
bool StillSettling(const std::string& path, const platform::Clock& clock) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false; // gone or unreadable: its processor reports what happened
    using namespace std::chrono;
    const system_clock::time_point modified =
        system_clock::time_point(duration_cast<system_clock::duration>(
            seconds(st.st_mtim.tv_sec) + nanoseconds(st.st_mtim.tv_nsec)));
    const auto age = clock.Now() - modified;
    return age >= system_clock::duration::zero() && age < milliseconds(kEntrySettleMilliseconds);
}

void List(SyncContext& ctx, const char* mask, std::vector<std::string>& out) {
    for (const platform::FoundFile& f : platform::FindFiles(ctx.entryFolder, mask)) {
        if (f.system)
            continue;
        std::string path = ctx.entryFolder + f.name;
        if (StillSettling(path, ctx.clock))
            continue;
        out.push_back(std::move(path));
    }
}

} // namespace

void ScanEntryFolder(SyncContext& ctx) {
    std::string folder = ctx.tables.reservation.GetEntryFolder();
    if (folder.empty()) {
        folder = ctx.databaseFolder + "EntryToWeb/";
        if (!platform::FolderExists(folder))
            CTools::MkDir(folder);
    } else {
        CTools::LastDelimAdd(folder);
    }
    ctx.entryFolder = folder;

    const std::string trigger = folder + "Setting";
    if (CTools::ExistFile(trigger)) {
        ctx.state.typesPublished = EngineState::Never();
        CTools::FileRemove(trigger);
    }

    ctx.entries = EntryLists{};
    for (const EntryKind& kind : kEntryKinds)
        List(ctx, kind.mask, ctx.entries.*kind.list);
}
