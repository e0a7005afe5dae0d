#include "platform/ProgramFolder.h"
#include "platform/FileOps.h"
#include "platform/RegistryStore.h"

#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace platform;

// A build folder, or any folder that is not an installed layout, keeps the settings beside the
// executable, as the tests and the demo expect.
TEST(ProgramFolder, OutsideAnInstalledLayoutTheExecutablesFolder) {
    TempDir dir;
    const std::string build = dir.Path() + "build/bin/";
    ASSERT_TRUE(MakeDirs(build));
    EXPECT_EQ(ProgramFolderFor("", build), build);
    EXPECT_EQ(RegistryFolderFor("", build), build + "registry/");
    EXPECT_EQ(ProgramFolderFor("", dir.Path() + "build/bin"), build); // delimiter added

    // Only <prefix>/share/corvane/ marks an installed prefix: share/ alone, a file of that name,
    // or a folder not named bin do not.
    ASSERT_TRUE(MakeDirs(dir.Path() + "build/share/other"));
    EXPECT_EQ(InstalledPrefix(build), "");
    ASSERT_TRUE(WriteFileAtomic(dir.Path() + "build/share/corvane", "not a folder"));
    EXPECT_EQ(InstalledPrefix(build), "");
    ASSERT_TRUE(MakeDirs(dir.Path() + "opt/share/corvane"));
    ASSERT_TRUE(MakeDirs(dir.Path() + "opt/sbin"));
    EXPECT_EQ(InstalledPrefix(dir.Path() + "opt/sbin/"), "");
    EXPECT_EQ(InstalledPrefix(dir.Path() + "opt/"), "");
    EXPECT_EQ(ProgramFolderFor("", dir.Path() + "opt/sbin/"), dir.Path() + "opt/sbin/");
    EXPECT_EQ(ProgramFolderFor("", ""), "./");
}

TEST(ProgramFolder, AnInstalledProgramUsesTheMachineWideFolders) {
    TempDir dir;
    const std::string prefix = dir.Path() + "local/";
    ASSERT_TRUE(MakeDirs(prefix + "bin"));
    ASSERT_TRUE(MakeDirs(prefix + "share/corvane"));
    EXPECT_EQ(InstalledPrefix(prefix + "bin/"), prefix);
    EXPECT_EQ(InstalledPrefix(prefix + "bin"), prefix);
    EXPECT_EQ(ProgramFolderFor("", prefix + "bin/"), prefix + "etc/corvane/");
    EXPECT_EQ(RegistryFolderFor("", prefix + "bin/"), prefix + "var/lib/corvane/registry/");

    // The distribution's prefix keeps settings in /etc and state in /var/lib.
    EXPECT_EQ(InstalledSettingsFolder("/usr/"), "/etc/corvane/");
    EXPECT_EQ(InstalledSettingsFolder("/usr"), "/etc/corvane/");
    EXPECT_EQ(InstalledStateFolder("/usr/"), "/var/lib/corvane/");
    EXPECT_EQ(InstalledSettingsFolder("/usr/local/"), "/usr/local/etc/corvane/");
    EXPECT_EQ(InstalledStateFolder("/usr/local"), "/usr/local/var/lib/corvane/");
    EXPECT_EQ(InstalledSettingsFolder("/opt/usr/"), "/opt/usr/etc/corvane/");

    // CORVANE_HOME still decides both folders, installed or not.
    EXPECT_EQ(ProgramFolderFor("/srv/clinic", prefix + "bin/"), "/srv/clinic/");
    EXPECT_EQ(RegistryFolderFor("/srv/clinic/", prefix + "bin/"), "/srv/clinic/registry/");
}

TEST(ProgramFolder, TheRegistryStoreFollowsTheProgramFolder) {
    const char* old = std::getenv("CORVANE_HOME");
    const std::string saved = old ? old : "";
    unsetenv("CORVANE_HOME");
    // This test program runs from the build folder.
    EXPECT_EQ(RegistryFolder(), ProgramFolder() + "registry/");
    setenv("CORVANE_HOME", "/srv/clinic", 1);
    EXPECT_EQ(RegistryFolder(), "/srv/clinic/registry/");
    EXPECT_EQ(RegistryStore().Root(), "/srv/clinic/registry/");
    if (old)
        setenv("CORVANE_HOME", saved.c_str(), 1);
    else
        unsetenv("CORVANE_HOME");
}
