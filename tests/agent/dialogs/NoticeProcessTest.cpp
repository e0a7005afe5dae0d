// The real program started with "Notification" and "PATIENT": one process per start word, a
// second start raises the first and ends, PATIENT without a key shows nothing.
#include <gtest/gtest.h>

#include "NoticeRig.h"
#include "TempDir.h"
#include "agent/app/StartMode.h"
#include "platform/qt/ActivationServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>

namespace {

QString Program() {
    const char* bin = std::getenv("CORVANE_BIN");
    return QString::fromLocal8Bit(bin ? bin : CORVANE_BIN_DIR) + "/apposync";
}

// A clinic pointed at its web database, and the runtime folder the programs share with the test.
struct ProcessRig : NoticeRig {
    TempDir runtime;
    std::string oldRuntime;
    ProcessRig() {
        clinic.UseWebDatabase(web);
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            oldRuntime = old;
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
        AddNotice("'2024-01-04'", "'0000000001'", "検診", "検診の時期です。");
    }
    ~ProcessRig() {
        if (oldRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    }
    QProcessEnvironment Env() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
        env.insert("CORVANE_HOME", QString::fromLocal8Bit(std::getenv("CORVANE_HOME")));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
};

// Waits until the window marked with the mode's property answers activation.
bool Answers(QProcess& process, int mode) {
    const std::string property = StartMode::PropertyName(mode);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000 && process.state() == QProcess::Running) {
        if (platform::ActivationServer::ActivateRunning(property, 200))
            return true;
        process.waitForFinished(50);
    }
    return false;
}

void Stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(5000);
}

} // namespace

TEST(NoticeProcess, NotificationRunsOnceAndASecondStartRaisesIt) {
    ProcessRig rig;
    QProcess first;
    first.setProcessEnvironment(rig.Env());
    first.start(Program(), {"Notification"});
    ASSERT_TRUE(first.waitForStarted(10000));
    ASSERT_TRUE(Answers(first, StartMode::Notification))
        << first.readAllStandardError().toStdString();

    QProcess second;
    second.setProcessEnvironment(rig.Env());
    second.start(Program(), {"Notification"});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    Stop(first);
}

TEST(NoticeProcess, PatientOpensTheHistoryOnlyWithAKey) {
    ProcessRig rig;
    QProcess keyless;
    keyless.setProcessEnvironment(rig.Env());
    keyless.start(Program(), {"PATIENT"});
    ASSERT_TRUE(keyless.waitForFinished(20000));
    EXPECT_EQ(keyless.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(keyless.exitCode(), 0);
    EXPECT_TRUE(keyless.readAllStandardError().isEmpty());

    QProcess history;
    history.setProcessEnvironment(rig.Env());
    history.start(Program(), {"PATIENT", "KEY=0000000001"});
    ASSERT_TRUE(history.waitForStarted(10000));
    EXPECT_TRUE(Answers(history, StartMode::Patient))
        << history.readAllStandardError().toStdString();
    // The notice list of another start word runs beside it.
    QProcess list;
    list.setProcessEnvironment(rig.Env());
    list.start(Program(), {"Notification"});
    ASSERT_TRUE(list.waitForStarted(10000));
    EXPECT_TRUE(Answers(list, StartMode::Notification));
    EXPECT_EQ(history.state(), QProcess::Running);
    Stop(list);
    Stop(history);
}
