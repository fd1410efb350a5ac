#include "SingleInstance.h"

#include "records/Log.h"
#include "records/Persistence.h"

#include "RemoteControl.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QVariant>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessary::desktop {

namespace {
constexpr char kShowMessage[] = "show\n";

// The file a key names, resolved as QLocalServer and QLocalSocket resolve it.
QString socketFilePath(const QString &key)
{
    return key.startsWith(QLatin1Char('/')) ? key : QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + key;
}

// The user of the process at the other end of a connected local socket, as the kernel recorded
// it at connect() or listen(): unlike anything said over the socket, a peer cannot forge it.
std::optional<uid_t> peerUid(qintptr descriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (descriptor < 0 || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0
        || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

QString describeOwner(std::optional<uid_t> uid)
{
    return uid ? QStringLiteral("uid %1").arg(*uid) : QStringLiteral("an unknown user");
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }
} // namespace

SingleInstance::SingleInstance(QString key, QObject *parent) : QObject(parent), m_key(std::move(key))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            if (peerUid(socket->socketDescriptor()) == ::geteuid()) {
                serve(socket);
                continue;
            }
            // Another user's program is not heard at all. Not logged either: it could fill the
            // journal at will.
            socket->abort();
            socket->deleteLater();
        }
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
    if (key.isEmpty())
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    // Checked before a byte is sent: a request line is for our own instance only.
    if (const std::optional<uid_t> owner = peerUid(socket.socketDescriptor()); owner != ::geteuid()) {
        socket.abort();
        qCWarning(lcTessary).noquote() << QStringLiteral("Tessary single-instance channel %1 is owned by %2, not ours; "
                                                         "not asked")
                                              .arg(socketFilePath(key), describeOwner(owner));
        return std::nullopt;
    }
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

QString SingleInstance::keyFor(const QString &dataFilePath)
{
    // Qt 6.4 takes XDG_RUNTIME_DIR only when it is ours, a real directory and mode 0700, and
    // otherwise falls back to $TMPDIR/runtime-<user>, which it creates 0700 or refuses on the same
    // terms; empty when neither qualifies.
    return keyFor(dataFilePath, QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
}

QString SingleInstance::keyFor(const QString &dataFilePath, const QString &runtimeDirectory)
{
    // Checked here too, whichever Qt did the choosing: the socket is only as private as its
    // directory. lstat, so that a symbolic link to somebody else's directory does not pass.
    if (runtimeDirectory.isEmpty()) {
        qCWarning(lcTessary).noquote() << "Tessary single-instance channel unavailable: no private runtime directory; "
                                          "running without hand-over";
        return {};
    }
    const QString directory = QDir::cleanPath(QFileInfo(runtimeDirectory).absoluteFilePath());
    QString problem;
    struct stat status {};
    if (::lstat(QFile::encodeName(directory).constData(), &status) != 0)
        problem = QStringLiteral("cannot be checked (%1)").arg(systemError());
    else if (S_ISLNK(status.st_mode))
        problem = QStringLiteral("is a symbolic link");
    else if (!S_ISDIR(status.st_mode))
        problem = QStringLiteral("is not a directory");
    else if (status.st_uid != ::geteuid())
        problem = QStringLiteral("is owned by uid %1, not ours").arg(status.st_uid);
    else if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        problem = QStringLiteral("is open to group or others (mode %1)")
                      .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));

    // One instance per document, however its path is spelled; the name stays short, far from
    // the 107 bytes a socket path may have.
    const QString document = Persistence::canonicalDocumentPath(dataFilePath);
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(document), QCryptographicHash::Sha256).toHex().left(16);
    const QString key = directory + QStringLiteral("/tessary-") + QString::fromLatin1(digest);
    if (problem.isEmpty() && QFile::encodeName(key).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        problem = QStringLiteral("is too long a path for a socket");

    if (problem.isEmpty())
        return key;
    qCWarning(lcTessary).noquote() << QStringLiteral("Tessary single-instance channel unavailable: runtime directory "
                                                     "%1 %2; running without hand-over")
                                          .arg(runtimeDirectory, problem);
    return {};
}

bool SingleInstance::handOverToRunningInstance(int timeoutMs, bool activate)
{
    if (m_key.isEmpty())
        return false; // keyFor() said why; this instance runs without a channel
    QLocalSocket probe;
    probe.connectToServer(m_key);
    if (!probe.waitForConnected(timeoutMs))
        return listenUnlessTaken();
    if (const std::optional<uid_t> owner = peerUid(probe.socketDescriptor()); owner != ::geteuid()) {
        // Handing over would leave the user without the application and another user's program
        // in charge of it; its socket is not ours to delete either.
        probe.abort();
        qCWarning(lcTessary).noquote() << QStringLiteral("Tessary single-instance channel %1 is owned by %2, not ours; "
                                                         "starting without it")
                                              .arg(socketFilePath(m_key), describeOwner(owner));
        return false;
    }
    if (activate) {
        probe.write(kShowMessage);
        probe.waitForBytesWritten(timeoutMs);
    }
    probe.disconnectFromServer();
    return true;
}

bool SingleInstance::listenUnlessTaken()
{
    // Nobody answered. A socket left by a crashed instance of ours must not block us; anything
    // else under that name is not ours to delete, and listening would replace it (Qt binds
    // elsewhere and renames over it).
    const QString path = socketFilePath(m_key);
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0) {
        QString problem;
        if (status.st_uid != ::geteuid())
            problem = QStringLiteral("is owned by uid %1, not ours").arg(status.st_uid);
        else if (!S_ISSOCK(status.st_mode))
            problem = QStringLiteral("is not a socket");
        if (!problem.isEmpty()) {
            qCWarning(lcTessary).noquote()
                << QStringLiteral("Tessary single-instance channel %1 %2; starting without it").arg(path, problem);
            return false;
        }
        QLocalServer::removeServer(m_key);
    } else if (errno != ENOENT) {
        qCWarning(lcTessary).noquote() << QStringLiteral("Tessary single-instance channel %1 cannot be checked (%2); "
                                                         "starting without it")
                                              .arg(path, systemError());
        return false;
    }
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_key))
        qCWarning(lcTessary).noquote() << "Tessary single-instance channel unavailable:" << m_server.errorString();
    return false;
}

} // namespace tessary::desktop
