#include "DialogClinic.h"

#include <gtest/gtest.h>

#include "RecordText.h"
#include "outside/pelmodb/CCategoryDB.h"
#include "outside/pelmodb/CDoctorDB.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

void DialogClinic::AddCategory(const std::string& kind, const std::string& code,
                               const std::string& nameUtf8, bool unused) const {
    CCategoryDB c(DatabaseFolder(), 1);
    PutText(c.m_rec.kind, kind);
    PutText(c.m_rec.code, code);
    PutText(c.m_rec.name, J(nameUtf8));
    PutText(c.m_rec.unused, unused ? "__" : "");
    ASSERT_EQ(c.Insert(), 0) << c.GetLastDBErr();
}

void DialogClinic::AddDoctor(const std::string& code, const std::string& nameUtf8,
                             bool unused) const {
    CDoctorDB d(DatabaseFolder(), 1);
    PutText(d.m_rec.code, code);
    PutText(d.m_rec.name, J(nameUtf8));
    PutText(d.m_rec.unused, unused ? "__" : "");
    ASSERT_EQ(d.Insert(), 0) << d.GetLastDBErr();
}

void DialogClinic::SetEntryFolder(const std::string& folder) const {
    CPelmoDBSys sys(DatabaseFolder());
    ASSERT_EQ(sys.SetEntryFolder(folder), 0) << sys.GetLastDBErr();
}

void DialogClinic::Set(const std::string& section, const std::string& key,
                       const std::string& utf8) const {
    ASSERT_TRUE(platform::WriteProfileString(Ini(), section, key, J(utf8)));
}

std::string DialogClinic::Get(const std::string& section, const std::string& key,
                              const std::string& def) const {
    return platform::Cp932ToUtf8(platform::GetProfileString(Ini(), section, key, J(def), 4096));
}

bool DialogClinic::Has(const std::string& section, const std::string& key) const {
    return Get(section, key, "\x01") != "\x01";
}
