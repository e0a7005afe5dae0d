#include "platform/Profile.h"
#include "platform/Cp932.h"
#include "platform/FileOps.h"

#include "TempDir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

TEST(Profile, ReadsWithTheDesktopRules) {
    TempDir dir;
    std::string ini = dir.Write("a.ini", "; comment\n"
                                         "top=outside any section\n"
                                         "[Global]\r\n"
                                         "  Database = /data/clinic/  \r\n"
                                         "\tTabbed\t=\t tab value \t\n"
                                         "quoted=\"  spaced  \"\n"
                                         "single='x'\n"
                                         "half=\"open\n"
                                         "database=second\n"
                                         "noequals\n"
                                         "[ other ]\n"
                                         "key=1\n"
                                         "[GLOBAL]\n"
                                         "late=never\n");
    EXPECT_EQ(GetProfileString(ini, "global", "DATABASE", "d"), "/data/clinic/");
    EXPECT_EQ(GetProfileString(ini, "Global", "quoted", "d"), "  spaced  ");
    EXPECT_EQ(GetProfileString(ini, "Global", "tabbed", "d"), "tab value");
    EXPECT_EQ(GetProfileString(ini, "Global", "single", "d"), "x");
    EXPECT_EQ(GetProfileString(ini, "Global", "half", "d"), "\"open");
    EXPECT_EQ(GetProfileString(ini, "Global", "noequals", "d"), "d");
    EXPECT_EQ(GetProfileString(ini, "Global", "late", "d"), "d"); // first section only
    EXPECT_EQ(GetProfileString(ini, "OTHER", "key", "d"), "1");
    EXPECT_EQ(GetProfileString(ini, "", "top", "d"), "d");
    EXPECT_EQ(GetProfileString(ini, "Global", "missing", "def"), "def");
    EXPECT_EQ(GetProfileString(dir.File("none.ini"), "Global", "Database", "def"), "def");
    EXPECT_EQ(GetProfileString(ini, "Global", "Database", "d", 5), "/dat");
    EXPECT_EQ(GetProfileString(ini, "Global", "missing", "default", 4), "def");
    EXPECT_EQ(GetProfileString(ini, "Global", "Database", "d", 0), "");
}

TEST(Profile, IntegersTakeTheLeadingNumber) {
    TempDir dir;
    std::string ini = dir.Write("n.ini", "[n]\nplain=42\nsigned=-7\nplus=+3\ntail=12abc\n"
                                         "none=abc\nempty=\nquoted=\"5\"\nhuge=99999999999\n"
                                         "neg=-99999999999\n");
    EXPECT_EQ(GetProfileInt(ini, "n", "plain", 9), 42);
    EXPECT_EQ(GetProfileInt(ini, "n", "signed", 9), -7);
    EXPECT_EQ(GetProfileInt(ini, "n", "plus", 9), 3);
    EXPECT_EQ(GetProfileInt(ini, "n", "tail", 9), 12);
    EXPECT_EQ(GetProfileInt(ini, "n", "none", 9), 0);
    EXPECT_EQ(GetProfileInt(ini, "n", "empty", 9), 0);
    EXPECT_EQ(GetProfileInt(ini, "n", "quoted", 9), 5);
    EXPECT_EQ(GetProfileInt(ini, "n", "huge", 9), 2147483647);
    EXPECT_EQ(GetProfileInt(ini, "n", "neg", 9), -2147483647 - 1);
    EXPECT_EQ(GetProfileInt(ini, "n", "missing", 9), 9);
}

TEST(Profile, WritesKeepEverythingElse) {
    TempDir dir;
    std::string ini = dir.Write("w.ini", "; header comment\n"
                                         "[First]\n"
                                         "A=1\n"
                                         "; inner comment\n"
                                         "B = 2\n"
                                         "\n"
                                         "[Second]\n"
                                         "C=3\n");
    ASSERT_TRUE(WriteProfileString(ini, "first", "b", "two"));
    ASSERT_TRUE(WriteProfileString(ini, "FIRST", "New", "n"));
    ASSERT_TRUE(WriteProfileString(ini, "Third", "D", "4"));
    EXPECT_EQ(TempDir::Read(ini), "; header comment\r\n"
                                  "[First]\r\n"
                                  "A=1\r\n"
                                  "; inner comment\r\n"
                                  "b=two\r\n"
                                  "New=n\r\n"
                                  "\r\n"
                                  "[Second]\r\n"
                                  "C=3\r\n"
                                  "[Third]\r\n"
                                  "D=4\r\n");
    ASSERT_TRUE(DeleteProfileKey(ini, "First", "A"));
    ASSERT_TRUE(DeleteProfileKey(ini, "First", "absent"));
    ASSERT_TRUE(DeleteProfileSection(ini, "second"));
    EXPECT_EQ(TempDir::Read(ini), "; header comment\r\n"
                                  "[First]\r\n"
                                  "; inner comment\r\n"
                                  "b=two\r\n"
                                  "New=n\r\n"
                                  "\r\n"
                                  "[Third]\r\n"
                                  "D=4\r\n");

    std::string fresh = dir.File("new.ini");
    ASSERT_TRUE(WriteProfileString(fresh, "S", "K", "V"));
    EXPECT_EQ(TempDir::Read(fresh), "[S]\r\nK=V\r\n");
    EXPECT_FALSE(WriteProfileString(dir.File("nofolder/x.ini"), "S", "K", "V"));
    EXPECT_FALSE(FileExists(dir.File("nofolder/x.ini")));

    // Values that would change the file's structure are refused, and the file stays as it was.
    const std::string before = TempDir::Read(fresh);
    EXPECT_FALSE(WriteProfileString(fresh, "S", "K", "a\r\n[Evil]"));
    EXPECT_FALSE(WriteProfileString(fresh, "S", "K=x", "v"));
    EXPECT_FALSE(WriteProfileString(fresh, "S", "", "v"));
    EXPECT_FALSE(WriteProfileString(fresh, "S]x", "K", "v"));
    EXPECT_EQ(TempDir::Read(fresh), before);
    EXPECT_EQ(FindFiles(dir.Path(), ".*").size(), 0u); // no temporary files left
}

TEST(Profile, UnreadableFileIsNeverReplaced) {
    TempDir dir;
    // A socket at the path cannot be opened for reading, not even by root (which is how CI runs),
    // yet renaming a new file over it would succeed.
    const std::string sock = dir.File("sock.ini");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_FALSE(WriteProfileString(sock, "S", "Other", "x"));
    struct stat st {};
    ASSERT_EQ(stat(sock.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    close(fd);

    // A file without read permission, where the permission holds (not for root).
    if (geteuid() != 0) {
        std::string ini = dir.Write("locked.ini", "[S]\nK=precious\n");
        chmod(ini.c_str(), 0200);
        EXPECT_FALSE(WriteProfileString(ini, "S", "Other", "x"));
        chmod(ini.c_str(), 0600);
        EXPECT_EQ(TempDir::Read(ini), "[S]\nK=precious\n");
    }
}

TEST(Profile, Cp932BytesPassUntouched) {
    TempDir dir;
    // Section ソ表 (83 5C 95 5C), key 能 (94 5C), values ending in 0x5C trail bytes; ']' (0x5D)
    // as a trail byte in a section name, and ア (83 41) that must not fold to ダ (83 61).
    const std::string so = J("ソ表");
    const std::string nou = J("能");
    const std::string value = J("ソ") + "\\path\\" + J("表");
    const std::string bracket = "\x83\x5D"; // ゾ
    const std::string a = J("ア");
    const std::string da = J("ダ");
    std::string ini = dir.File("j.ini");
    ASSERT_TRUE(WriteProfileString(ini, so, nou, value));
    ASSERT_TRUE(WriteProfileString(ini, bracket, "k", "in bracket section"));
    ASSERT_TRUE(WriteProfileString(ini, "s", a, "A"));
    ASSERT_TRUE(WriteProfileString(ini, "s", da, "DA"));
    EXPECT_EQ(GetProfileString(ini, so, nou, ""), value);
    EXPECT_EQ(GetProfileString(ini, bracket, "K", ""), "in bracket section");
    EXPECT_EQ(GetProfileString(ini, "S", a, ""), "A");
    EXPECT_EQ(GetProfileString(ini, "S", da, ""), "DA");
    EXPECT_EQ(TempDir::Read(ini), "[" + so + "]\r\n" + nou + "=" + value + "\r\n[" + bracket +
                                      "]\r\nk=in bracket section\r\n[s]\r\n" + a + "=A\r\n" + da +
                                      "=DA\r\n");
    // The cut never splits a double-byte character.
    EXPECT_EQ(GetProfileString(ini, so, nou, "", 3), J("ソ"));
    EXPECT_EQ(GetProfileString(ini, so, nou, "", 4), J("ソ") + "\\");
}

TEST(Profile, ReaderNeverSeesAHalfWrittenFile) {
    TempDir dir;
    std::string ini = dir.File("busy.ini");
    ASSERT_TRUE(WriteProfileString(ini, "Head", "Start", "1"));
    ASSERT_TRUE(WriteProfileString(ini, "Tail", "End", "1"));

    pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        // Every read must find both the first and the last section of the file.
        for (int i = 0; i < 3000; ++i) {
            if (GetProfileString(ini, "Tail", "End", "") != "1" ||
                GetProfileString(ini, "Head", "Start", "") != "1")
                _exit(1);
            std::string body = GetProfileString(ini, "Body", "Data", "", 1 << 20);
            if (!body.empty() && body.find_first_not_of(body[0]) != std::string::npos)
                _exit(2);
        }
        _exit(0);
    }
    for (int i = 0; i < 300; ++i) {
        std::string big(static_cast<std::size_t>(i % 7 == 0 ? 200000 : 1000 + i), 'a' + i % 26);
        ASSERT_TRUE(WriteProfileString(ini, "Body", "Data", big));
    }
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(Profile, ConcurrentWritersKeepEachOthersKeys) {
    TempDir dir;
    std::string ini = dir.File("shared.ini");
    pid_t other = fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        for (int i = 0; i < 100; ++i)
            if (!WriteProfileString(ini, "Child", "K" + std::to_string(i), "c"))
                _exit(1);
        _exit(0);
    }
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(WriteProfileString(ini, "Parent", "K" + std::to_string(i), "p"));
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(GetProfileString(ini, "Child", "K" + std::to_string(i), ""), "c") << i;
        EXPECT_EQ(GetProfileString(ini, "Parent", "K" + std::to_string(i), ""), "p") << i;
    }
}
