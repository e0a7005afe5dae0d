#include "agent/app/StartMode.h"
#include "platform/SingleInstance.h"
#include "platform/qt/ActivationServer.h"

#include "TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QWidget>
#include <cstdlib>
#include <gtest/gtest.h>

QApplication& TestApp();
QString BinFolder();

// The first agent is played by this test with the program's own guard and activation classes;
// the second is the real program. It must raise the first one's hidden window and end at once.
TEST(SecondStartTest, SecondResidentAgentRaisesTheFirstAndEnds) {
    TestApp();
    TempDir home;
    setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);

    platform::SingleInstance guard(StartMode::MutexName(0));
    ASSERT_TRUE(guard.Acquire());
    QWidget window;
    platform::ActivationServer server(StartMode::PropertyName(0), &window);
    ASSERT_TRUE(server.Listening());
    int raised = 0;
    QObject::connect(&server, &platform::ActivationServer::activated, [&] { ++raised; });
    ASSERT_FALSE(window.isVisible());

    const QString bin = BinFolder();
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.Path()));
    env.insert("CORVANE_HOME", QString::fromStdString(home.Path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(bin + "/apposync", {});
    ASSERT_TRUE(second.waitForStarted(10000));
    // Serve the activation socket while the second process runs.
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        second.waitForFinished(20);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    QCoreApplication::processEvents();
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(window.isVisible());
}

namespace {

QProcessEnvironment ProgramEnv(const TempDir& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home.Path()));
    env.insert("CORVANE_HOME", QString::fromStdString(home.Path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

} // namespace

// Two real agents: the first marks its window, the second raises it and ends; the first keeps
// running.
TEST(SecondStartTest, TwoRealAgentsTheFirstAnswersAndKeepsRunning) {
    TestApp();
    TempDir home;
    setenv("XDG_RUNTIME_DIR", home.Path().c_str(), 1);
    const QString program = BinFolder() + "/apposync";

    QProcess first;
    first.setProcessEnvironment(ProgramEnv(home));
    first.start(program, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // Wait until its window answers activation.
    const std::string property = StartMode::PropertyName(0);
    QElapsedTimer clock;
    clock.start();
    bool answered = false;
    while (!answered && clock.elapsed() < 20000 && first.state() == QProcess::Running)
        answered = platform::ActivationServer::ActivateRunning(property, 200);
    ASSERT_TRUE(answered) << first.readAllStandardError().toStdString();

    QProcess second;
    second.setProcessEnvironment(ProgramEnv(home));
    second.start(program, {"--not-a-command-word"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    first.waitForFinished(10000);
}

// The headless run needs no display at all.
TEST(SecondStartTest, HeadlessRunNeedsNoDisplay) {
    TestApp();
    TempDir home;
    QProcessEnvironment env = ProgramEnv(home);
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess agent;
    agent.setProcessEnvironment(env);
    agent.start(BinFolder() + "/apposync", {"--headless", "--once"});
    ASSERT_TRUE(agent.waitForFinished(60000));
    EXPECT_EQ(agent.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(agent.exitCode(), 1); // no clinic database here
    const QString out = QString::fromUtf8(agent.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QString::fromUtf8("[エラー]"))) << out.toStdString();
}
