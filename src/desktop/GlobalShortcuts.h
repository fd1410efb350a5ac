#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace tessary::desktop {

// One entry of the portal's a(sa{sv}) shortcut lists: an id and its options ("description", …).
struct PortalShortcut {
    QString id;
    QVariantMap options;
};
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// The round controls of the command line, offered to the desktop's shortcut settings through
// the org.freedesktop.portal.GlobalShortcuts portal where there is one (Plasma, recent GNOME).
// The user assigns the keys there; an activation runs the command like `tessary --<id>`.
// Without the portal nothing happens and nothing fails: the command line still works.
class GlobalShortcuts : public QObject {
    Q_OBJECT
public:
    // `run` receives a command name as the command line sends it ("toggle-pause", …).
    GlobalShortcuts(QDBusConnection sessionBus, std::function<void(const QByteArray &)> run, QObject *parent = nullptr);

    // Asks the portal for a session and binds our shortcuts; call once.
    void start();

    // The commands offered, each with its description as the shortcut settings list it.
    static QList<PortalShortcut> offered();

    // Empty until the portal gave us a session.
    QString sessionHandle() const { return m_session; }
    bool isBound() const { return m_bound; }

signals:
    // The portal accepted the shortcuts (or refused them: `bound` false).
    void bindingFinished(bool bound);

private slots:
    void onActivated(const QDBusMessage &message);
    void onResponse(uint response, const QVariantMap &results);

private:
    void askVersion();
    void createSession();
    void bind();
    // The path the portal will answer a request made with `token` on.
    QString requestPath(const QString &token) const;
    void call(const QString &method, const QList<QVariant> &arguments, const QString &token,
              std::function<void(uint, const QVariantMap &)> onAnswer);

    QDBusConnection m_bus;
    std::function<void(const QByteArray &)> m_run;
    QString m_session;
    bool m_bound = false;
    int m_tokens = 0;
    QString m_pendingPath;
    std::function<void(uint, const QVariantMap &)> m_pendingAnswer;
};

} // namespace tessary::desktop

Q_DECLARE_METATYPE(tessary::desktop::PortalShortcut)
