// The request folder's watch: only whole files count, and a folder that comes and goes is
// followed.
#include "platform/FolderWatch.h"
#include "TempDir.h"
#include "platform/FileOps.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace {
bool Readable(int fd, int waitMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, waitMs) == 1;
}
} // namespace

TEST(FolderWatch, WholeFilesLandAndAFolderThatComesAndGoesIsFollowed) {
    TempDir dir;
    const std::string folder = dir.File("req/");
    platform::FolderWatch watch;
    ASSERT_GE(watch.Handle(), 0);
    EXPECT_FALSE(watch.Watch(folder)); // not there yet
    EXPECT_EQ(watch.Folder(), "");
    ASSERT_TRUE(platform::MakeDirs(folder));
    ASSERT_TRUE(watch.Watch(folder));
    EXPECT_EQ(watch.Folder(), folder);
    EXPECT_FALSE(watch.Drain());

    // Created and still open for writing: nothing has landed yet.
    const int fd = ::open((folder + "a.dat").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "1\n", 2), 2);
    EXPECT_FALSE(Readable(watch.Handle(), 100));
    EXPECT_FALSE(watch.Drain());
    ::close(fd);
    ASSERT_TRUE(Readable(watch.Handle(), 1000));
    EXPECT_TRUE(watch.Drain());
    EXPECT_FALSE(watch.Drain()); // taken once

    // Moved in from elsewhere counts; a file of another folder does not.
    dir.Write("elsewhere.dat", "1\n");
    EXPECT_FALSE(watch.Drain());
    ASSERT_EQ(std::rename(dir.File("elsewhere.dat").c_str(), (folder + "b.dat").c_str()), 0);
    ASSERT_TRUE(Readable(watch.Handle(), 1000));
    EXPECT_TRUE(watch.Drain());

    // The folder goes and comes back: watching it again works.
    ASSERT_TRUE(platform::RemoveFile(folder + "a.dat"));
    ASSERT_TRUE(platform::RemoveFile(folder + "b.dat"));
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    ASSERT_TRUE(Readable(watch.Handle(), 1000));
    watch.Drain();
    EXPECT_EQ(watch.Folder(), "");
    ASSERT_TRUE(platform::MakeDirs(folder));
    ASSERT_TRUE(watch.Watch(folder));
    dir.Write("req/c.dat", "1\n");
    ASSERT_TRUE(Readable(watch.Handle(), 1000));
    EXPECT_TRUE(watch.Drain());
}
