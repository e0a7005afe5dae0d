#pragma once
// The window side of single-instance activation: a marked window listens on a local socket named
// after its window-property name; a second start connects and the first window is restored and
// raised. A window without a property never listens, so a second start just ends.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string>

class QLocalServer;

namespace platform {

class ActivationServer : public QObject {
    Q_OBJECT
public:
    // Starts listening for `propertyName` and raises `window` on each request (showNormal when
    // minimised or hidden, then raise and activate). An empty name never listens.
    // REQUIRES: this process holds the single-instance lock of the same program and mode, since a
    // leftover socket of that name is removed first.
    ActivationServer(const std::string& propertyName, QWidget* window);
    ~ActivationServer() override;

    bool Listening() const;

    // Asks the process listening for `propertyName` to raise its window. True when one answered
    // within `timeoutMs` per step; blocks without an event loop, so call it before the window of
    // a second start exists.
    static bool ActivateRunning(const std::string& propertyName, int timeoutMs = 1000);

signals:
    void activated();

private:
    void Raise();

    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window; // the window may go before the server
};

} // namespace platform
