#include "platform/qt/ActivationServer.h"
#include "platform/SingleInstance.h"

#include "QtTestApp.h"
#include "TempDir.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

using namespace platform;

namespace {

// Runs ActivateRunning on another thread while this thread serves the socket.
bool ActivateFromOtherThread(const std::string& name) {
    std::atomic<bool> done{false};
    bool answered = false;
    std::thread client([&] {
        answered = ActivationServer::ActivateRunning(name, 3000);
        done = true;
    });
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(5);
    loop.exec();
    client.join();
    QCoreApplication::processEvents();
    return answered;
}

class ActivationServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtTestApp();
        setenv("XDG_RUNTIME_DIR", m_dir.Path().c_str(), 1);
    }
    TempDir m_dir;
};

} // namespace

TEST_F(ActivationServerTest, RaisesAHiddenOrMinimisedWindow) {
    QWidget window;
    ActivationServer server("Apposync_Notification", &window);
    ASSERT_TRUE(server.Listening());
    int raised = 0;
    QObject::connect(&server, &ActivationServer::activated, [&] { ++raised; });

    ASSERT_TRUE(window.isHidden());
    EXPECT_TRUE(ActivateFromOtherThread("Apposync_Notification"));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(raised, 1);

    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ActivateFromOtherThread("Apposync_Notification"));
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(raised, 2);
}

TEST_F(ActivationServerTest, NoListenerMeansNoAnswer) {
    EXPECT_FALSE(ActivationServer::ActivateRunning("Nobody", 200));

    QWidget window;
    ActivationServer silent("", &window); // a window without a property
    EXPECT_FALSE(silent.Listening());
    EXPECT_FALSE(ActivationServer::ActivateRunning("", 200));

    // A socket file left by a crashed process does not stop the next one from listening.
    std::ofstream(SingleInstance::RuntimePath("Leftover", ".sock")) << "stale";
    {
        ActivationServer server("Leftover", &window);
        EXPECT_TRUE(server.Listening());
        EXPECT_TRUE(ActivateFromOtherThread("Leftover"));
    }
    EXPECT_FALSE(ActivationServer::ActivateRunning("Leftover", 200)); // closed with the server
}

TEST_F(ActivationServerTest, WindowGoneBeforeServer) {
    auto* window = new QWidget;
    ActivationServer server("Gone", window);
    delete window;
    EXPECT_TRUE(ActivateFromOtherThread("Gone"));
}
