#include "SingleInstance.h"

#include "records/Log.h"

#include <QLocalSocket>

#include <unistd.h>

namespace tessary::ui {

namespace {
constexpr char kShowMessage[] = "show\n";
}

SingleInstance::SingleInstance(QString key, QObject *parent) : QObject(parent), m_key(std::move(key))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith("show"))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::defaultKey() { return QStringLiteral("tessary-%1").arg(::getuid()); }

bool SingleInstance::handOverToRunningInstance(int timeoutMs, bool activate)
{
    QLocalSocket probe;
    probe.connectToServer(m_key);
    if (probe.waitForConnected(timeoutMs)) {
        if (activate) {
            probe.write(kShowMessage);
            probe.waitForBytesWritten(timeoutMs);
        }
        probe.disconnectFromServer();
        return true;
    }
    // Nobody answered: a socket file left by a crashed instance must not block us.
    QLocalServer::removeServer(m_key);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_key))
        qCWarning(lcTessary).noquote() << "Tessary single-instance channel unavailable:" << m_server.errorString();
    return false;
}

} // namespace tessary::ui
