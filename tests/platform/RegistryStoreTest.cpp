#include "platform/RegistryStore.h"
#include "platform/Cp932.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

TEST(RegistryStore, KeysAndValuesPerHive) {
    TempDir dir;
    RegistryStore reg(dir.Path() + "reg");
    const std::string key = "SOFTWARE\\Talmor\\Corvane2";
    EXPECT_FALSE(reg.KeyExists(Hive::Machine, key));
    EXPECT_FALSE(reg.GetString(Hive::Machine, key, "Path"));

    ASSERT_TRUE(reg.SetString(Hive::Machine, key, "Path", "/srv/v2/"));
    ASSERT_TRUE(reg.SetInt(Hive::Machine, key, "Count", -5));
    EXPECT_TRUE(reg.KeyExists(Hive::Machine, "software\\TALMOR"));
    EXPECT_TRUE(reg.KeyExists(Hive::Machine, "\\software\\talmor\\corvane2\\"));
    EXPECT_FALSE(reg.KeyExists(Hive::User, key));
    EXPECT_EQ(reg.GetString(Hive::Machine, "SOFTWARE\\TALMOR\\CORVANE2", "path"), "/srv/v2/");
    EXPECT_EQ(reg.GetInt(Hive::Machine, key, "COUNT"), -5);
    EXPECT_FALSE(reg.GetInt(Hive::Machine, key, "Path")); // not a number
    EXPECT_EQ(reg.GetString(Hive::Machine, key, "Count"), "-5");

    // Overwrite keeps one value; a different spelling of the name is the same value.
    ASSERT_TRUE(reg.SetString(Hive::Machine, key, "PATH", "/srv/v3/"));
    EXPECT_EQ(reg.GetString(Hive::Machine, key, "Path"), "/srv/v3/");
    ASSERT_TRUE(reg.SetString(Hive::Machine, key, "", "default value"));
    EXPECT_EQ(reg.GetString(Hive::Machine, key, ""), "default value");

    EXPECT_TRUE(reg.DeleteValue(Hive::Machine, key, "path"));
    EXPECT_FALSE(reg.DeleteValue(Hive::Machine, key, "path"));
    EXPECT_FALSE(reg.GetString(Hive::Machine, key, "Path"));
    EXPECT_EQ(reg.GetInt(Hive::Machine, key, "Count"), -5);

    EXPECT_TRUE(reg.CreateKey(Hive::User, "Empty\\Key"));
    EXPECT_TRUE(reg.KeyExists(Hive::User, "Empty\\Key"));
    EXPECT_FALSE(reg.GetString(Hive::User, "Empty\\Key", "x"));

    EXPECT_TRUE(reg.DeleteKey(Hive::Machine, "Software\\Talmor"));
    EXPECT_FALSE(reg.KeyExists(Hive::Machine, key));
    EXPECT_FALSE(reg.DeleteKey(Hive::Machine, "Software\\Talmor"));
    EXPECT_TRUE(reg.KeyExists(Hive::Machine, "Software"));
    EXPECT_TRUE(reg.KeyExists(Hive::User, "Empty"));
}

TEST(RegistryStore, OddNamesAndValuesSurvive) {
    TempDir dir;
    RegistryStore reg(dir.Path());
    // A '\' trail byte inside a key name is part of the name, not a delimiter.
    const std::string so = J("ソフト");
    const std::string value = J("表示") + "\\x\ty\r\nz";
    ASSERT_TRUE(reg.SetString(Hive::User, "A\\" + so, J("能") + "\tname", value));
    EXPECT_TRUE(reg.KeyExists(Hive::User, "a\\" + so));
    EXPECT_EQ(reg.GetString(Hive::User, "A\\" + so, J("能") + "\tname"), value);

    // Names that would leave the store are refused.
    EXPECT_FALSE(reg.CreateKey(Hive::User, "..\\..\\escape"));
    EXPECT_FALSE(reg.SetString(Hive::User, "a/b", "n", "v"));
    EXPECT_FALSE(reg.SetString(Hive::User, "", "n", "v"));
    EXPECT_FALSE(reg.SetString(Hive::User, "A\\\\B", "n", "v"));
    EXPECT_FALSE(reg.CreateKey(Hive::User, ".values"));

    ASSERT_TRUE(reg.SetInt(Hive::User, "N", "max", 2147483647));
    ASSERT_TRUE(reg.SetInt(Hive::User, "N", "min", -2147483647 - 1));
    EXPECT_EQ(reg.GetInt(Hive::User, "N", "max"), 2147483647);
    EXPECT_EQ(reg.GetInt(Hive::User, "N", "min"), -2147483647 - 1);
    ASSERT_TRUE(reg.SetString(Hive::User, "N", "text", "12x"));
    EXPECT_FALSE(reg.GetInt(Hive::User, "N", "text"));
}

TEST(RegistryStore, WritersInTwoProcessesKeepEachOthersValues) {
    TempDir dir;
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RegistryStore reg(dir.Path());
        for (int i = 0; i < 100; ++i)
            if (!reg.SetInt(Hive::Machine, "K", "c" + std::to_string(i), i))
                _exit(1);
        _exit(0);
    }
    RegistryStore reg(dir.Path());
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(reg.SetInt(Hive::Machine, "K", "p" + std::to_string(i), i));
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(reg.GetInt(Hive::Machine, "K", "c" + std::to_string(i)), i);
        EXPECT_EQ(reg.GetInt(Hive::Machine, "K", "p" + std::to_string(i)), i);
    }
}
