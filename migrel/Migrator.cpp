#include "migrel/Migrator.h"

#include "outside/tools/CTools.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"
#include "platform/Profile.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

struct Section {
    const char* section;
    const char* label;
};
constexpr std::array<Section, 4> kSections{{
    {"GLOBAL", "DB"},
    {"DB-1", "DB-1"},
    {"DB-2", "DB-2"},
    {"DB-3", "DB-3"},
}};
constexpr const char* kKey = "DATABASE";

// Built beside "PelmoV3.ini" so the final rename stays within one file system and is atomic.
constexpr const char* kTempName = "PelmoV3.ini.migrel-new";

std::string WithDelim(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

Migrator::Migrator(std::string targetFolder) : m_target(WithDelim(std::move(targetFolder))) {}

std::string Migrator::NormalizeFolder(const std::string& text) {
    std::string folder = platform::Cp932Cut(text, kFolderBuf - 1);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::vector<Migrator::Reference> Migrator::ReadReferences(const std::string& iniFile) {
    std::vector<Reference> refs;
    for (const Section& s : kSections)
        refs.push_back({s.section, s.label,
                        platform::GetProfileString(iniFile, s.section, kKey, "", kValueBuf)});
    return refs;
}

Migrator::Scan Migrator::ScanFolder(const std::string& folderText) {
    Scan scan;
    scan.folder = NormalizeFolder(folderText);
    const std::string ini = scan.folder + kV2Ini;
    scan.canMigrate = CTools::ExistFile(ini);
    if (!scan.canMigrate)
        return scan;
    for (Reference& ref : ReadReferences(ini))
        if (!ref.value.empty())
            scan.listed.push_back(std::move(ref));
    return scan;
}

bool Migrator::CopyOne(const std::string& from, const std::string& to) {
    return platform::CopyFile(from, to, true);
}

bool Migrator::WriteReference(const std::string& iniFile, const Reference& ref) {
    return platform::WriteProfileString(iniFile, ref.section, kKey, ref.value);
}

void Migrator::CopySysFiles(const std::string& v2Folder, Result& result) {
    if (!platform::FolderExists(v2Folder))
        return;
    // Copying a folder's files onto themselves gains nothing and only risks them.
    if (SameFolder(v2Folder, m_target))
        return;
    for (const platform::FoundFile& f : platform::FindFiles(v2Folder, "*.sys")) {
        if (f.hidden || f.system)
            continue;
        if (CopyOne(v2Folder + f.name, m_target + f.name)) {
            result.sysCopied.push_back(f.name);
        } else {
            result.sysFailed.push_back(f.name);
            std::fprintf(stderr, "migrel: could not copy %s%s to %s\n", v2Folder.c_str(),
                         f.name.c_str(), m_target.c_str());
        }
    }
}

Migrator::Result Migrator::Migrate(const std::string& folderText, bool takeV2References) {
    Result result;
    const std::string v2Folder = NormalizeFolder(folderText);
    const std::string v2Ini = v2Folder + kV2Ini;
    if (!CTools::ExistFile(v2Ini))
        return result;
    result.ran = true;

    CopySysFiles(v2Folder, result);

    std::string target = m_target + kV3Ini;
    std::vector<Reference> kept;
    if (!takeV2References)
        kept = ReadReferences(target);

    // A linked settings file is replaced where it lives; renaming over the link would cut it off.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto real = std::filesystem::canonical(target, ec);
        if (ec) {
            result.error = "cannot resolve " + target + ": " + ec.message();
            std::fprintf(stderr, "migrel: %s\n", result.error.c_str());
            return result;
        }
        target = real.string();
    }

    // The new settings are completed in a temporary file and renamed over "PelmoV3.ini" only
    // when whole, so a failure half-way never leaves the clinic without its settings.
    const std::string temp = std::filesystem::path(target).replace_filename(kTempName).string();
    auto fail = [&](std::string why) {
        result.error = std::move(why);
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        std::fprintf(stderr, "migrel: %s; %s left unchanged\n", result.error.c_str(),
                     target.c_str());
        return result;
    };

    if (!CopyOne(v2Ini, temp))
        return fail("could not copy " + v2Ini + " to " + temp);
    for (const Reference& ref : kept) {
        if (ref.value.empty())
            continue;
        if (!WriteReference(temp, ref))
            return fail("could not write [" + ref.section + "] " + kKey + " into " + temp);
    }
    // The settings file keeps its access rights.
    const auto old = std::filesystem::status(target, ec);
    if (!ec && std::filesystem::exists(old))
        std::filesystem::permissions(temp, old.permissions(), ec);
    std::filesystem::rename(temp, target, ec);
    if (ec)
        return fail("could not replace " + target + ": " + ec.message());
    result.iniReplaced = true;
    return result;
}
