// Two clinics, each with its own web database, run by one process: everything the engine reads
// comes from the clinic it was given, nothing from the environment or the other clinic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "EngineTestAgent.h"
#include "TestClinic.h"
#include "WebDb.h"
#include "agent/core/AgentSettings.h"
#include "outside/pelmodb/CPelmoDBSys.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"

using platform::J;

namespace {

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

struct Site {
    Site(const std::string& code, const std::string& clinicName, const std::string& patientKey,
         const std::string& patientName)
        : clinic(TestClinic::ProcessHome::Leave) {
        CPelmoDBSys sys(clinic.DatabaseFolder());
        EXPECT_EQ(sys.SetClinicCode(code), 0);
        platform::WriteProfileString(clinic.DatabaseFolder() + "Apposync.ini", "HOSPITAL_INFO",
                                     "NAME", J(clinicName));
        clinic.AddPatient(patientKey, "No." + patientKey.substr(6), patientName);
        clinic.Entry(patientKey + ".pat", "");
    }
    long Count(const std::string& sql) const { return std::stol(db.Scalar(sql).value_or("0")); }

    TestClinic clinic;
    WebDb db;
};

} // namespace

TEST(TwoClinics, EachCycleSeesOnlyItsOwnClinic) {
    const std::optional<std::string> home = Env("CORVANE_HOME");
    const std::string profile = AgentSettings::ProfileFile();

    Site north("N0001", "北歯科", "0000000001", "北 一郎");
    Site south("S0002", "南歯科", "0000000002", "南 花子");
    // The north clinic cuts the letters before its patient numbers; the south clinic does not.
    north.clinic.SetCommon("SHOWID_CUT", "2");
    // A file naming the south clinic's patient, whom the north clinic does not know.
    north.clinic.Entry("0000000002.pat", "");

    EngineTestAgent northAgent(north.clinic.Settings(), WebDbValues(north.db));
    EngineTestAgent southAgent(south.clinic.Settings(), WebDbValues(south.db));
    ASSERT_TRUE(northAgent.Run().completed);
    ASSERT_TRUE(southAgent.Run().completed);

    // Each web database holds its own clinic's patient and facility row, under its own code.
    EXPECT_EQ(north.Count("SELECT COUNT(*) FROM patient_infos WHERE patient_key='0000000001'"), 1);
    EXPECT_EQ(north.Count("SELECT COUNT(*) FROM patient_infos"), 1);
    EXPECT_EQ(south.Count("SELECT COUNT(*) FROM patient_infos WHERE patient_key='0000000002'"), 1);
    EXPECT_EQ(south.Count("SELECT COUNT(*) FROM patient_infos"), 1);
    EXPECT_EQ(north.db.Scalar("SELECT name FROM hospital_infos WHERE code='N0001'"), J("北歯科"));
    EXPECT_EQ(north.Count("SELECT COUNT(*) FROM hospital_infos"), 1);
    EXPECT_EQ(south.db.Scalar("SELECT name FROM hospital_infos WHERE code='S0002'"), J("南歯科"));
    EXPECT_EQ(south.Count("SELECT COUNT(*) FROM hospital_infos"), 1);

    // Each cycle read its own settings and took its own entry files from its own database.
    EXPECT_EQ(north.db.Scalar("SELECT patient_id FROM patient_infos"), "0001");
    EXPECT_EQ(south.db.Scalar("SELECT patient_id FROM patient_infos"), "No.0002");
    EXPECT_FALSE(north.clinic.EntryExists("0000000001.pat"));
    EXPECT_FALSE(south.clinic.EntryExists("0000000002.pat"));
    EXPECT_TRUE(north.clinic.EntryExists("0000000002.pat"));
    EXPECT_EQ(northAgent.LinesWith("南"), 0);
    EXPECT_EQ(southAgent.LinesWith("北"), 0);

    // Nothing process-wide was needed or changed.
    EXPECT_EQ(Env("CORVANE_HOME"), home);
    EXPECT_EQ(AgentSettings::ProfileFile(), profile);
}
