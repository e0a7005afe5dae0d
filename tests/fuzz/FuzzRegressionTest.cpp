// Every input kept in tests/data/fuzz/<target>/ (seeds and the crashes fuzzing found) keeps
// every property of its check.
#include <gtest/gtest.h>

#include "fuzz/FuzzChecks.h"
#include "platform/FileOps.h"

TEST(FuzzRegression, EveryKeptInputKeepsItsProperties) {
    for (const FuzzTarget& target : FuzzTargets()) {
        const std::string folder =
            std::string(CORVANE_TEST_DATA_DIR) + "/fuzz/" + target.name + "/";
        int inputs = 0;
        for (const auto& f : platform::FindFiles(folder, "*")) {
            std::string data;
            ASSERT_TRUE(platform::ReadFile(folder + f.name, data)) << f.name;
            EXPECT_EQ(target.check(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()),
                      "")
                << target.name << "/" << f.name;
            ++inputs;
        }
        EXPECT_GT(inputs, 0) << "no kept inputs for " << target.name;
    }
}
