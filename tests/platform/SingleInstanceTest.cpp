#include "platform/SingleInstance.h"

#include "TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

// Runs `body` in a forked process and returns its exit code.
template <typename Body> int InChild(Body body) {
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_had = old != nullptr;
        m_old = old ? old : "";
        setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    }
    void TearDown() override {
        if (m_had)
            setenv("XDG_RUNTIME_DIR", m_old.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
    }
    TempDir m_dir;
    bool m_had = false;
    std::string m_old;
};

} // namespace

TEST_F(SingleInstanceTest, OneHolderPerNameAcrossProcesses) {
    SingleInstance first("Apposync_Setting");
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.Acquire()); // already ours
    EXPECT_EQ(InChild([] { return SingleInstance("Apposync_Setting").Acquire() ? 1 : 0; }), 0);
    EXPECT_EQ(InChild([] { return SingleInstance("Apposync_Other").Acquire() ? 0 : 1; }), 0);

    first.Release();
    EXPECT_FALSE(first.Held());
    EXPECT_EQ(InChild([] { return SingleInstance("Apposync_Setting").Acquire() ? 0 : 1; }), 0);
}

TEST_F(SingleInstanceTest, CrashedHolderReleases) {
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        auto* held = new SingleInstance("Crashy"); // never destroyed
        char ok = held->Acquire() ? 'y' : 'n';
        (void)!write(pipefd[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(pipefd[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    SingleInstance second("Crashy");
    EXPECT_FALSE(second.Acquire());
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(second.Acquire());
    close(pipefd[0]);
    close(pipefd[1]);
}

TEST_F(SingleInstanceTest, RuntimePathsAreSafeAndDistinct) {
    EXPECT_EQ(SingleInstance::RuntimeFolder(), m_dir.Path());
    std::string a = SingleInstance::RuntimePath("a/b c", ".sock");
    std::string b = SingleInstance::RuntimePath("a_b_c", ".sock");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.rfind(m_dir.Path(), 0), 0u);
    EXPECT_EQ(a.find('/', m_dir.Path().size()), std::string::npos);
    EXPECT_EQ(a.substr(a.size() - 5), ".sock");
    EXPECT_LT(SingleInstance::RuntimePath(std::string(500, 'x'), ".sock").size(),
              m_dir.Path().size() + 80);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::RuntimeFolder(), "/tmp/");
}
