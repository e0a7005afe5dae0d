#include "agent/app/CApposyncApp.h"
#include "agent/app/IStartupUi.h"
#include "agent/app/StartMode.h"
#include "platform/Cp932.h"

#include "ClosedPort.h"
#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct RecordingUi : IStartupUi {
    bool ActivateRunning(const std::string& name) override {
        activated.push_back(name);
        return true;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int RunDialog(CApposyncApp&, int mode, const std::string& key) override {
        dialogs.push_back({mode, key});
        return 0;
    }
    std::vector<std::string> activated;
    std::vector<std::string> messages;
    std::vector<std::pair<int, std::string>> dialogs;
};

// A program folder with PelmoV3.ini naming a database folder that holds Apposync.ini.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("CORVANE_HOME", m_home.Path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        m_home.Write("PelmoV3.ini", "[GLOBAL]\r\nDATABASE=" + m_home.File("db") + "\r\n");
        m_home.Write("db/Apposync.ini",
                     "[COMMON]\r\nHOST=127.0.0.1\r\nPORT=" + std::to_string(ClosedPort()) +
                         "\r\nMYSQL_DB=clinic7\r\n");
    }
    TempDir m_home;
};

} // namespace

TEST(StartModeTest, WordsAreCaseSensitiveSubstringsTestedInTableOrder) {
    EXPECT_EQ(StartMode::Detect(""), 0);
    EXPECT_EQ(StartMode::Detect("Notification"), 1);
    EXPECT_EQ(StartMode::Detect("/x:Notification-please"), 1);
    EXPECT_EQ(StartMode::Detect("NOTIFICATION"), 0);
    EXPECT_EQ(StartMode::Detect("notification"), 0);
    EXPECT_EQ(StartMode::Detect("CHECK SETTING"), 2); // SETTING comes first in the table
    EXPECT_EQ(StartMode::Detect("CHECK"), 4);
    EXPECT_EQ(StartMode::Detect("PATIENT"), 3);
    EXPECT_EQ(StartMode::Detect("FIRSTAPPO KEY=R0001"), 5);
    EXPECT_EQ(StartMode::Detect("URL"), 6);
    EXPECT_EQ(StartMode::Detect("Url"), 0);

    EXPECT_EQ(StartMode::MutexName(0), "TALMOR CORPORATION APPOSYNC 1.0 APPLICATION");
    EXPECT_EQ(StartMode::MutexName(1),
              "TALMOR CORPORATION APPOSYNC 1.0 APPLICATION CMD=NOTIFICATION");
    EXPECT_EQ(StartMode::PropertyName(5), StartMode::MutexName(5));
    EXPECT_EQ(StartMode::PropertyName(6), ""); // the URL dialog answers nobody

    EXPECT_FALSE(StartMode::KeyArgument("PATIENT").has_value());
    EXPECT_EQ(StartMode::KeyArgument("PATIENT KEY=0000004711"), "0000004711");
    // Everything behind the first KEY= belongs to the argument.
    EXPECT_EQ(StartMode::KeyArgument("PATIENT KEY=00 KEY=1 x"), "00 KEY=1 x");
    EXPECT_EQ(StartMode::KeyArgument("PATIENT KEY="), "");
    EXPECT_EQ(StartMode::CommandLine({"PATIENT", "KEY=0000004711"}), "PATIENT KEY=0000004711");
}

TEST_F(StartUpTest, UnreachableWebDatabaseInADialogModeShowsTheFailureAndEnds) {
    int pauses = 0;
    CApposyncApp app([&](std::chrono::milliseconds ms) {
        EXPECT_EQ(ms.count(), 300);
        ++pauses;
    });
    RecordingUi ui;
    EXPECT_NE(app.InitInstance("SETTING", ui), 0);

    EXPECT_EQ(app.Mode(), 2);
    EXPECT_EQ(pauses, 4); // five attempts, a pause between each two
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string head = platform::J("Web連携機能の起動に失敗しました。\n");
    EXPECT_EQ(ui.messages[0].substr(0, head.size()), head);
    EXPECT_GT(ui.messages[0].size(), head.size()); // the driver's own text follows
    EXPECT_TRUE(ui.dialogs.empty());

    // The values came from Apposync.ini, user and password deciphered from the defaults.
    EXPECT_EQ(app.Web().Values().database, "nvweb-clinic7");
    EXPECT_EQ(app.Web().Values().host, "127.0.0.1");
    EXPECT_EQ(app.Web().Values().user, "apposync");
    EXPECT_EQ(app.DatabaseFolder(), m_home.File("db/"));
}

TEST_F(StartUpTest, ResidentModeShowsItsWindowWithoutTryingTheWebAndASecondStartActivates) {
    int pauses = 0;
    CApposyncApp first([&](std::chrono::milliseconds) { ++pauses; });
    RecordingUi ui;
    EXPECT_EQ(first.InitInstance("NOTIFICATION", ui), 0);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].first, 0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(pauses, 0);

    // The first still holds the mode's guard: a second start raises it and shows nothing.
    CApposyncApp second;
    RecordingUi ui2;
    EXPECT_EQ(second.InitInstance("", ui2), 0);
    EXPECT_EQ(ui2.activated, std::vector<std::string>{StartMode::PropertyName(0)});
    EXPECT_TRUE(ui2.dialogs.empty());

    // Another mode runs beside it; a second URL dialog asks nobody to come forward.
    CApposyncApp url([](std::chrono::milliseconds) {});
    RecordingUi ui3;
    url.InitInstance("URL", ui3);
    CApposyncApp url2;
    RecordingUi ui4;
    EXPECT_EQ(url2.InitInstance("URL", ui4), 0);
    EXPECT_TRUE(ui4.activated.empty());
    EXPECT_TRUE(ui4.dialogs.empty());
    EXPECT_TRUE(ui4.messages.empty());
}
