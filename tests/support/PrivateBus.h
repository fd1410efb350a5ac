#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>

namespace tessary::fakes {

// A session bus of the test's own (dbus-daemon), gone with the object. `address` is empty
// when no dbus-daemon could start.
struct PrivateBus {
    QProcess daemon;
    QString address;
    PrivateBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished(2000);
    }
    // Named after this daemon too: Qt hands out an existing connection of the same name, which
    // would still point at an earlier test's daemon.
    QDBusConnection connect(const QString &name) const
    {
        return QDBusConnection::connectToBus(address, name + QLatin1Char('@') + address);
    }
};

} // namespace tessary::fakes
