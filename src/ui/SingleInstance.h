#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace tessary::ui {

// One running instance per user: a second launch asks the first to bring its main
// window back and then exits, so two stores never share one data document.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` names the rendezvous; the default is per user.
    explicit SingleInstance(QString key = defaultKey(), QObject *parent = nullptr);

    // True when another instance answered and was asked to show itself (unless
    // `activate` is false: a start in the background leaves it as it is): exit now.
    // Otherwise this instance starts listening and reports later launches through
    // activationRequested(). Waits at most `timeoutMs` for a running instance.
    bool handOverToRunningInstance(int timeoutMs = 1500, bool activate = true);

    static QString defaultKey();

signals:
    void activationRequested();

private:
    QString m_key;
    QLocalServer m_server;
};

} // namespace tessary::ui
