#include "PelmoEnum.h"

#include "CCategoryDB.h"
#include "CDoctorDB.h"
#include "CPelmoDBSys.h"

#include "PelmoStatus.h"

#include <cstring>

namespace {
bool Unused(const char* marker) {
    return std::strncmp(marker, "__", 2) == 0;
}

void Start(std::string_view selectedCode, int flag, std::vector<PelmoEnumEntry>& entries) {
    entries.clear();
    if (flag) {
        PelmoEnumEntry none;
        none.selected = selectedCode.empty();
        entries.push_back(none);
    }
}

int Categories(CPelmoDBSys* sys, const char* kind, std::string_view selectedCode, int flag,
               std::vector<PelmoEnumEntry>& entries, std::string& err) {
    if (!sys) {
        err = "no database";
        return PelmoStatus::kCannotOpen;
    }
    Start(selectedCode, flag, entries);
    CCategoryDB cat(sys->GetPath(), 0);
    cat.SetAssociatedDB(sys);
    char key[8] = {};
    std::strncpy(key, kind, 1);
    cat.SetKey(1);
    cat.SetKeyBuffer(key, sizeof key);
    int rc = cat.GetGREQ();
    while (rc == PelmoStatus::kOk && std::strcmp(cat.m_rec.kind, kind) == 0) {
        std::string code = cat.m_rec.code;
        if (!Unused(cat.m_rec.unused) || code == selectedCode)
            entries.push_back(
                {code, cat.m_rec.name, std::string(kind) + "," + code, code == selectedCode});
        rc = cat.GetNEXT();
    }
    if (rc != PelmoStatus::kOk && rc != PelmoStatus::kEndOfFile) {
        err = cat.GetLastDBErr();
        return rc;
    }
    return PelmoStatus::kOk;
}
} // namespace

int PelmoEnum::EnumUnit(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                        std::vector<PelmoEnumEntry>& entries, std::string& err) {
    return Categories(sys, "1", selectedCode, flag, entries, err);
}

int PelmoEnum::EnumReservationType(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                                   std::vector<PelmoEnumEntry>& entries, std::string& err) {
    return Categories(sys, "0", selectedCode, flag, entries, err);
}

int PelmoEnum::EnumDoctor(CPelmoDBSys* sys, std::string_view selectedCode, int flag,
                          std::vector<PelmoEnumEntry>& entries, std::string& err) {
    if (!sys) {
        err = "no database";
        return PelmoStatus::kCannotOpen;
    }
    Start(selectedCode, flag, entries);
    CDoctorDB doc(sys->GetPath(), 0);
    doc.SetAssociatedDB(sys);
    int rc = doc.GetFIRST();
    while (rc == PelmoStatus::kOk) {
        std::string code = doc.m_rec.code;
        if (!Unused(doc.m_rec.unused) || code == selectedCode)
            entries.push_back({code, doc.m_rec.name, code, code == selectedCode});
        rc = doc.GetNEXT();
    }
    if (rc != PelmoStatus::kEndOfFile) {
        err = doc.GetLastDBErr();
        return rc;
    }
    return PelmoStatus::kOk;
}
