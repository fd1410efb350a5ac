#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QLocalSocket;

namespace tessary::desktop {

// One running instance per data document: a second launch for the same document asks the first
// to bring its main window back and then exits, so two stores never share one document. The
// channel is a local socket in the user's private runtime directory, and each end talks only to
// a peer of its own user.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the rendezvous (see keyFor()); an empty key means no channel at all.
    explicit SingleInstance(QString key, QObject *parent = nullptr);

    // True when another instance of ours answered and was asked to show itself (unless
    // `activate` is false: a start in the background leaves it as it is): exit now.
    // Otherwise this instance starts listening, where it safely can, and reports later
    // launches through activationRequested(). Waits at most `timeoutMs` for a running instance.
    bool handOverToRunningInstance(int timeoutMs = 1500, bool activate = true);

    // The channel for the document at `dataFilePath`: a socket in the runtime directory
    // (XDG_RUNTIME_DIR, or Qt's private fallback), named after the document's absolute path.
    // Empty, with one line logged, when there is no directory only this user can reach.
    static QString keyFor(const QString &dataFilePath);
    // The same inside `runtimeDirectory`, which must be ours, a real directory and closed to
    // group and others.
    static QString keyFor(const QString &dataFilePath, const QString &runtimeDirectory);

    // Answers request lines ("cmd …") from later launches; without one they are refused.
    void setCommandHandler(std::function<QByteArray(QByteArrayView)> handler) { m_handler = std::move(handler); }

    // Sends one request line to the running instance and returns its answer line; nothing
    // when no instance of ours answers within `timeoutMs`, or the key is empty.
    static std::optional<QByteArray> request(const QString &key, const QByteArray &line, int timeoutMs = 3000);

signals:
    void activationRequested();

private:
    void serve(QLocalSocket *socket);
    bool listenUnlessTaken();

    QString m_key;
    std::function<QByteArray(QByteArrayView)> m_handler;
    QLocalServer m_server;
};

} // namespace tessary::desktop
