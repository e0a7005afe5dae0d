#pragma once
// The window side of single-instance activation: a marked window listens on a local socket named
// after its window-property name; a second start connects and the first window is restored and
// raised. A window without a property never listens, so a second start just ends.
#include <QObject>
#include <QString>

class QLocalServer;
class QWidget;

namespace platform {

class ActivationServer : public QObject {
    Q_OBJECT
public:
    // Starts listening for `propertyName` and raises `window` on each request.
    ActivationServer(const std::string& propertyName, QWidget* window);
    ~ActivationServer() override;

    // Asks the process listening for `propertyName` to raise its window. True when one answered.
    static bool ActivateRunning(const std::string& propertyName, int timeoutMs = 1000);

signals:
    void activated();

private:
    QLocalServer* m_server = nullptr;
    QWidget* m_window = nullptr;
};

} // namespace platform
