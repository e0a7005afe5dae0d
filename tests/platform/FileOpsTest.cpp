#include "platform/FileOps.h"
#include "platform/ProgramFolder.h"

#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

std::vector<std::string> Names(const std::vector<FoundFile>& files) {
    std::vector<std::string> names;
    for (const FoundFile& f : files)
        names.push_back(f.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(FileOps, FindFilesMatchesMasksAndSkipsFolders) {
    TempDir dir;
    dir.Write("A.TXT", "1");
    dir.Write("b.txt", "2");
    dir.Write("c.csv", "3");
    dir.Write("noext", "4");
    dir.Write(".hidden.txt", "5");
    dir.Write("\x83\x5C.txt", "6"); // ソ.txt
    MakeDirs(dir.File("folder.txt"));

    EXPECT_EQ(Names(FindFiles(dir.Path(), "*.txt")),
              (std::vector<std::string>{".hidden.txt", "A.TXT", "b.txt", "\x83\x5C.txt"}));
    EXPECT_EQ(FindFiles(dir.Path(), "*.*").size(), 6u); // names without a dot too
    EXPECT_EQ(Names(FindFiles(dir.Path(), "?.txt")),
              (std::vector<std::string>{"A.TXT", "b.txt", "\x83\x5C.txt"}));
    EXPECT_EQ(Names(FindFiles(dir.Path(), "c.CSV")), (std::vector<std::string>{"c.csv"}));
    // A trail byte in the letter range is not a letter: ソ (83 5C) vs ア (83 41) / (83 61).
    dir.Write("\x83\x41", "7");
    EXPECT_TRUE(FindFiles(dir.Path(), "\x83\x61").empty());
    EXPECT_TRUE(FindFiles(dir.File("missing"), "*").empty());

    for (const FoundFile& f : FindFiles(dir.Path(), "*")) {
        EXPECT_EQ(f.hidden, f.name == ".hidden.txt") << f.name;
        EXPECT_FALSE(f.system) << f.name;
    }
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    auto fifo = FindFiles(dir.Path(), "pipe");
    ASSERT_EQ(fifo.size(), 1u);
    EXPECT_TRUE(fifo[0].system);
}

TEST(FileOps, RenameNeverReplacesAndRemoveReportsFailure) {
    TempDir dir;
    std::string a = dir.Write("a", "old");
    std::string b = dir.Write("b", "keep");
    EXPECT_FALSE(RenameNoReplace(a, b));
    EXPECT_EQ(TempDir::Read(b), "keep");
    EXPECT_TRUE(RenameNoReplace(a, dir.File("c")));
    EXPECT_FALSE(FileExists(a));
    EXPECT_EQ(TempDir::Read(dir.File("c")), "old");
    EXPECT_FALSE(RenameNoReplace(dir.File("missing"), dir.File("d")));

    EXPECT_TRUE(RemoveFile(b));
    EXPECT_FALSE(RemoveFile(b));
    MakeDirs(dir.File("sub"));
    EXPECT_FALSE(RemoveFile(dir.File("sub")));
    EXPECT_TRUE(FolderExists(dir.File("sub")));
}

TEST(FileOps, FoldersCopiesAndTimes) {
    TempDir dir;
    EXPECT_TRUE(MakeDirs(dir.File("x/y/z/")));
    EXPECT_TRUE(FolderExists(dir.File("x/y/z")));
    EXPECT_TRUE(MakeDirs(dir.File("x/y"))); // already there
    std::string file = dir.Write("f", "data");
    EXPECT_FALSE(MakeDirs(file + "/sub"));
    EXPECT_FALSE(FileExists(dir.File("x")));
    EXPECT_TRUE(FileExists(file));

    std::string target = dir.Write("t", "target");
    EXPECT_FALSE(CopyFile(file, target, false));
    EXPECT_EQ(TempDir::Read(target), "target");
    EXPECT_TRUE(CopyFile(file, target, true));
    EXPECT_EQ(TempDir::Read(target), "data");
    EXPECT_TRUE(CopyFile(file, dir.File("new"), false));
    EXPECT_FALSE(CopyFile(dir.File("missing"), dir.File("n2"), true));
    EXPECT_FALSE(FileExists(dir.File("n2")));
    EXPECT_EQ(FindFiles(dir.Path(), ".*tmp*").size(), 0u); // no temporary files left

    std::tm jan1971{};
    jan1971.tm_year = 71;
    jan1971.tm_mday = 1;
    jan1971.tm_isdst = -1;
    EXPECT_EQ(ModificationTime(""), std::mktime(&jan1971));
    EXPECT_EQ(ModificationTime(dir.File("missing")), std::mktime(&jan1971));
    EXPECT_GT(ModificationTime(file), std::mktime(&jan1971));

    // A link stays a link; the file behind it gets the new content.
    std::string real = dir.Write("real.ini", "old");
    ASSERT_EQ(symlink(real.c_str(), dir.File("link.ini").c_str()), 0);
    EXPECT_TRUE(WriteFileAtomic(dir.File("link.ini"), "new"));
    EXPECT_EQ(TempDir::Read(real), "new");
    struct stat st {};
    ASSERT_EQ(lstat(dir.File("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    std::string bytes = "x";
    EXPECT_FALSE(ReadFile(dir.File("missing"), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(WriteFileAtomic(dir.File("x"), "over a folder"));
    EXPECT_FALSE(WriteFileAtomic(dir.File("nofolder/f"), "x"));
}

TEST(FileOps, ProgramFolderFollowsCorvaneHome) {
    const char* old = std::getenv("CORVANE_HOME");
    std::string saved = old ? old : "";
    unsetenv("CORVANE_HOME");
    std::string own = ProgramFolder();
    EXPECT_EQ(own.back(), '/');
    EXPECT_TRUE(FolderExists(own));
    setenv("CORVANE_HOME", "/opt/clinic", 1);
    EXPECT_EQ(ProgramFolder(), "/opt/clinic/");
    setenv("CORVANE_HOME", "/opt/clinic/", 1);
    EXPECT_EQ(ProgramFolder(), "/opt/clinic/");
    if (old)
        setenv("CORVANE_HOME", saved.c_str(), 1);
    else
        unsetenv("CORVANE_HOME");
}
