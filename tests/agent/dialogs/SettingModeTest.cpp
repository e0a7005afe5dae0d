// The real program in the start modes "SETTING" and "URL": one process per mode; a second start
// of SETTING raises the first and ends, a second start of URL just ends.
#include <gtest/gtest.h>

#include "DialogClinic.h"
#include "DialogTestApp.h"
#include "TempDir.h"
#include "WebDb.h"
#include "platform/SingleInstance.h"
#include "platform/qt/ActivationServer.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <cstdlib>

namespace {

const std::string kSettingName = "TALMOR CORPORATION APPOSYNC 1.0 APPLICATION CMD=SETTING";
const std::string kUrlName = "TALMOR CORPORATION APPOSYNC 1.0 APPLICATION CMD=URL";

QString Program() {
    if (const char* bin = std::getenv("CORVANE_BIN"))
        return QString::fromLocal8Bit(bin) + "/apposync";
    return QCoreApplication::applicationDirPath() + "/../bin/apposync";
}

QProcessEnvironment Env(const TempDir& runtime) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment(); // CORVANE_HOME included
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.Path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

// A clinic that reaches a fresh web database, so start-up shows the dialog.
struct ModeRig {
    ModeRig() {
        DialogTestApp();
        clinic.UseWebDatabase(db);
        setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    }
    ~ModeRig() {
        for (QProcess* p : {&first, &second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
    DialogClinic clinic;
    WebDb db;
    TempDir runtime;
    QProcess first;
    QProcess second;
};

} // namespace

TEST(SettingMode, SecondSettingStartRaisesTheFirstAndEnds) {
    ModeRig rig;
    rig.first.setProcessEnvironment(Env(rig.runtime));
    rig.first.start(Program(), {"SETTING"});
    ASSERT_TRUE(rig.first.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    bool answered = false;
    while (!answered && clock.elapsed() < 30000 && rig.first.state() == QProcess::Running)
        answered = platform::ActivationServer::ActivateRunning(kSettingName, 200);
    ASSERT_TRUE(answered) << rig.first.readAllStandardError().toStdString();

    rig.second.setProcessEnvironment(Env(rig.runtime));
    rig.second.start(Program(), {"/x", "SETTING"});
    ASSERT_TRUE(rig.second.waitForFinished(20000));
    EXPECT_EQ(rig.second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(rig.second.exitCode(), 0);
    EXPECT_EQ(rig.first.state(), QProcess::Running);
}

TEST(SettingMode, SecondUrlStartJustEnds) {
    ModeRig rig;
    rig.first.setProcessEnvironment(Env(rig.runtime));
    rig.first.start(Program(), {"URL"});
    ASSERT_TRUE(rig.first.waitForStarted(10000));
    // The first holds the lock of its mode from its start on.
    QElapsedTimer clock;
    clock.start();
    bool held = false;
    while (!held && clock.elapsed() < 20000 && rig.first.state() == QProcess::Running) {
        platform::SingleInstance probe(kUrlName);
        held = !probe.Acquire();
        if (!held) {
            probe.Release();
            QThread::msleep(50);
        }
    }
    ASSERT_TRUE(held);
    EXPECT_FALSE(platform::ActivationServer::ActivateRunning(kUrlName, 200));

    rig.second.setProcessEnvironment(Env(rig.runtime));
    rig.second.start(Program(), {"URL"});
    ASSERT_TRUE(rig.second.waitForFinished(20000));
    EXPECT_EQ(rig.second.exitCode(), 0);
    QThread::msleep(500);
    EXPECT_EQ(rig.first.state(), QProcess::Running); // the URL dialog is still up
}
