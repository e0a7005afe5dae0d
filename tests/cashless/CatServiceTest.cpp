// The CAT service layer's states and result codes, against the real simulated terminal.
#include "cashless/cat/CatService.h"
#include "CatsimProcess.h"
#include "TempDir.h"
#include "cashless/cat/CatCodes.h"
#include "platform/RegistryStore.h"

#include <gtest/gtest.h>

TEST(CatService, StatesAndResultCodes) {
    TempDir dir;
    platform::RegistryStore registry(dir.File("registry/"));
    CatService cat(registry, dir.Path());
    std::int32_t data = 0;
    std::string text = "0";

    EXPECT_EQ(cat.Close(), cat::kClosed);
    EXPECT_EQ(cat.ClaimDevice(1000), cat::kClosed);
    EXPECT_EQ(cat.Open("STERA_OCX"), cat::kNoExist); // no device entry
    registry.SetString(platform::Hive::Machine, CatService::EntryKey("STERA_OCX"), "Port", "COM9");
    ASSERT_EQ(cat.Open("STERA_OCX"), cat::kSuccess);
    EXPECT_EQ(cat.Open("STERA_OCX"), cat::kIllegal);
    EXPECT_EQ(cat.Terminal(), "1001");                  // no model stored: the first model
    EXPECT_EQ(cat.ClaimDevice(1000), cat::kNoHardware); // nothing attached at COM9
    EXPECT_EQ(cat.AuthorizeSales(0, 10000, 0, -1), cat::kNotClaimed);

    CatsimProcess sim(dir.Path(), "COM9", "approve,decline:22");
    ASSERT_TRUE(sim.Ready());
    ASSERT_EQ(cat.ClaimDevice(1000), cat::kSuccess);
    EXPECT_TRUE(cat.Claimed());
    EXPECT_EQ(cat.AuthorizeSales(0, 10000, 0, -1), cat::kDisabled);
    EXPECT_EQ(cat.DirectIO(20001, data, text), cat::kDisabled);
    cat.SetDeviceEnabled(true);
    EXPECT_EQ(cat.AuthorizeSales(0, 12345, 0, -1), cat::kIllegal); // not whole units

    // Synchronous sales wait for the terminal's answer.
    cat.SetPaymentMedia(1);
    EXPECT_EQ(cat.AuthorizeSales(0, 20000, 0, 5000), cat::kSuccess);
    EXPECT_EQ(cat.AuthorizeSales(0, 20000, 0, 5000), cat::kExtended);
    EXPECT_EQ(cat.ResultCodeExtended(), 22);
    EXPECT_TRUE(sim.WaitFor("DECLINED id=2 code=114 ext=22"));

    EXPECT_EQ(cat.ReleaseDevice(), cat::kSuccess);
    EXPECT_EQ(cat.ReleaseDevice(), cat::kNotClaimed);
    EXPECT_EQ(cat.Close(), cat::kSuccess);
    EXPECT_TRUE(sim.WaitFor("RELEASE device=STERA_OCX"));
    EXPECT_NE(sim.Journal().find("medium=1 amount=2 tax=0"), std::string::npos) << sim.Journal();
}
