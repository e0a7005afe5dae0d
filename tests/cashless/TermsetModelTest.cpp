// Terminal settings: the settings file and the device entries in a temporary folder.
#include "cashless/termset/TermsetModel.h"
#include "TempDir.h"
#include "platform/Cp932.h"
#include "platform/Profile.h"
#include "platform/RegistryStore.h"

#include <gtest/gtest.h>

using platform::Hive;
using platform::J;

namespace {
struct TermsetBench {
    TempDir dir;
    std::string ini = dir.File("PelmoV3.ini");
    platform::RegistryStore registry{dir.File("registry/")};
    TermsetModel model{ini, registry};

    void Entry(bool stera, const std::string& port, const std::string& terminal) {
        std::string key = TermsetModel::EntryKey(stera);
        registry.CreateKey(Hive::Machine, key);
        if (!port.empty())
            registry.SetString(Hive::Machine, key, "Port", port);
        if (!terminal.empty())
            registry.SetString(Hive::Machine, key, "Terminal", terminal);
    }
    std::string Value(bool stera, const std::string& name) const {
        return registry.GetString(Hive::Machine, TermsetModel::EntryKey(stera), name)
            .value_or("<absent>");
    }
};
const std::string kSteraMsg = J("stera用 OPOS-OCX がセットアップされているか確認してください。");
const std::string kInfoxMsg = J("INFOX用 OPOS-OCX がセットアップされているか確認してください。");
} // namespace

TEST(TermsetModel, TypeAbsentOpensSteraAndOkWritesItsEntry) {
    TermsetBench b;
    b.Entry(true, "COM4", "1001");
    b.model.Open();
    EXPECT_EQ(b.model.Checked(), TermsetModel::JtC60);
    EXPECT_EQ(b.model.PortText(), "COM4");
    EXPECT_TRUE(b.model.TakeMessages().empty());
    ASSERT_EQ(b.model.PortList().size(), 10u);
    EXPECT_EQ(b.model.PortList().front(), "COM1");
    EXPECT_EQ(b.model.PortList().back(), "COM10");

    b.model.SetPortText("COM12"); // typed, not in the list: stored as typed
    b.model.Ok();
    EXPECT_EQ(platform::GetProfileString(b.ini, "Cashless", "Type", ""), "1");
    EXPECT_EQ(b.Value(true, "Port"), "COM12");
    EXPECT_EQ(b.Value(true, "Terminal"), "1001");
    EXPECT_FALSE(b.registry.KeyExists(Hive::Machine, TermsetModel::EntryKey(false)));
}

TEST(TermsetModel, InfoxEntryChoosesTheModel) {
    TermsetBench b;
    platform::WriteProfileString(b.ini, "Cashless", "Type", "0");
    b.Entry(false, "COM2", "1002");
    b.model.Open();
    EXPECT_EQ(b.model.Checked(), TermsetModel::Zec14);
    EXPECT_EQ(b.model.PortText(), "COM2");

    b.model.ClickRadio(TermsetModel::JtC16);
    b.model.Ok();
    EXPECT_EQ(platform::GetProfileString(b.ini, "Cashless", "Type", ""), "0");
    EXPECT_EQ(b.Value(false, "Terminal"), "1001");
    EXPECT_EQ(b.Value(false, "Port"), "COM2");
}

TEST(TermsetModel, RadioSwitchReloadsWithoutChangingTheChoice) {
    TermsetBench b;
    b.Entry(false, "COM7", "1002"); // no stera entry at all
    b.model.Open();                 // Type absent: stera, whose entry is missing
    EXPECT_EQ(b.model.Checked(), TermsetModel::JtC60);
    EXPECT_EQ(b.model.TakeMessages(), std::vector<std::string>{kSteraMsg});
    EXPECT_EQ(b.model.PortText(), "");

    b.model.ClickRadio(TermsetModel::JtC16);
    EXPECT_EQ(b.model.Checked(), TermsetModel::JtC16); // not moved to ZEC-14 by the entry
    EXPECT_EQ(b.model.PortText(), "COM7");
    EXPECT_TRUE(b.model.TakeMessages().empty());

    b.model.ClickRadio(TermsetModel::JtC60);
    EXPECT_EQ(b.model.TakeMessages(), std::vector<std::string>{kSteraMsg});
    EXPECT_EQ(b.model.PortText(), "COM7"); // stays as it was
    EXPECT_EQ(b.model.PortList().size(), 10u);

    // OK on the family without an entry: only Type, and no entry is made up.
    b.model.Ok();
    EXPECT_EQ(platform::GetProfileString(b.ini, "Cashless", "Type", ""), "1");
    EXPECT_FALSE(b.registry.KeyExists(Hive::Machine, TermsetModel::EntryKey(true)));
}

TEST(TermsetModel, TypeWrittenByHandAsTwoIsTreatedAsInfox) {
    TermsetBench b;
    platform::WriteProfileString(b.ini, "Cashless", "Type", "2");
    b.Entry(false, "", "1002"); // entry without a port
    b.model.Open();
    EXPECT_EQ(b.model.Checked(), TermsetModel::None);
    EXPECT_EQ(b.model.TakeMessages(), std::vector<std::string>{kInfoxMsg});
    b.model.SetPortText("COM1");
    b.model.Ok();
    EXPECT_EQ(platform::GetProfileString(b.ini, "Cashless", "Type", ""), "0");
    EXPECT_EQ(b.Value(false, "Port"), "COM1");
    EXPECT_EQ(b.Value(false, "Terminal"), "1001");
}
