#include "SingleInstance.h"

#include "records/Log.h"

#include "RemoteControl.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include <unistd.h>

namespace tessary::desktop {

namespace {
constexpr char kShowMessage[] = "show\n";
}

SingleInstance::SingleInstance(QString key, QObject *parent) : QObject(parent), m_key(std::move(key))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

void SingleInstance::serve(QLocalSocket *socket)
{
    // One line per connection. A peer that sends more than a request can hold, or nothing
    // complete within two seconds, is dropped without being acted on.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(2000, socket, [socket] { socket->abort(); socket->deleteLater(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->property("answered").toBool()) {
            socket->readAll();
            return;
        }
        const QByteArray pending = socket->peek(remote::kMaxRequest + 1);
        const qsizetype end = pending.indexOf('\n');
        if (end < 0) {
            if (pending.size() > remote::kMaxRequest)
                socket->abort();
            return; // the rest of the line is still on its way
        }
        const QByteArray requestLine = socket->read(end + 1).chopped(1);
        socket->setProperty("answered", true);
        if (requestLine == "show") {
            emit activationRequested();
        } else if (requestLine.startsWith("cmd ")) {
            socket->write(m_handler ? m_handler(requestLine)
                                    : QByteArray::number(remote::kNotACommand) + " 不认识的请求\n");
        }
        socket->disconnectFromServer();
    });
}

std::optional<QByteArray> SingleInstance::request(const QString &key, const QByteArray &line, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(line);
    socket.waitForBytesWritten(timeoutMs);
    QByteArray answer;
    QElapsedTimer waited;
    waited.start();
    while (!answer.contains('\n') && waited.elapsed() < timeoutMs && socket.state() == QLocalSocket::ConnectedState) {
        socket.waitForReadyRead(int(std::max<qint64>(timeoutMs - waited.elapsed(), 1)));
        answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer;
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

} // namespace tessary::desktop
