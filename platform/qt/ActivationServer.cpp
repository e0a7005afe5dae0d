#include "platform/qt/ActivationServer.h"

#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace platform {

namespace {

const QByteArray kRequest = "ACTIVATE\n";
const QByteArray kAnswer = "OK\n";

QString SocketName(const std::string& propertyName) {
    return QString::fromStdString(SingleInstance::RuntimePath(propertyName, ".sock"));
}

} // namespace

ActivationServer::ActivationServer(const std::string& propertyName, QWidget* window)
    : m_window(window) {
    if (propertyName.empty())
        return;
    const QString name = SocketName(propertyName);
    // A socket file left by a crashed first process would block listening; this process holds
    // the single-instance lock, so no live server can own it.
    QLocalServer::removeServer(name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name)) {
        qWarning("Activation socket %s: %s", qPrintable(name), qPrintable(m_server->errorString()));
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                socket->readAll();
                Raise();
                socket->write(kAnswer);
                socket->flush();
                socket->disconnectFromServer();
            });
        }
    });
}

ActivationServer::~ActivationServer() {
    if (m_server)
        m_server->close(); // removes the socket file
}

bool ActivationServer::Listening() const {
    return m_server && m_server->isListening();
}

void ActivationServer::Raise() {
    if (m_window) {
        if (m_window->isMinimized() || m_window->isHidden())
            m_window->showNormal();
        m_window->raise();
        m_window->activateWindow();
    }
    emit activated();
}

bool ActivationServer::ActivateRunning(const std::string& propertyName, int timeoutMs) {
    if (propertyName.empty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(SocketName(propertyName));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs))
            break;
        answer += socket.readAll();
    }
    return answer == kAnswer;
}

} // namespace platform
