#include "DesktopApps.h"

#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace tessary::music {

namespace {

// The names the NetEase Cloud Music Linux client is installed under.
const char *const kNetEaseDesktopIds[] = {"netease-cloud-music.desktop", "com.netease.163music.desktop"};
const char *const kNetEaseExecutables[] = {"netease-cloud-music"};

// Undoes the escapes a desktop entry's string values may hold (\s \n \t \r \\).
QString unescapeValue(const QString &v)
{
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            const QChar c = v[++i];
            out += c == u's' ? QChar(u' ') : c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r') : c;
        } else {
            out += v[i];
        }
    }
    return out;
}

} // namespace

void XdgDesktopApps::defaultAudioPlayer(QObject *context, std::function<void(const QString &)> done)
{
    auto *process = new QProcess;
    QPointer<QObject> guard(context);
    auto finish = [process, guard, done](const QString &id) {
        process->deleteLater();
        if (guard)
            done(id);
    };
    QObject::connect(process, &QProcess::finished, process, [process, finish](int code, QProcess::ExitStatus status) {
        const QString id = QString::fromUtf8(process->readAllStandardOutput()).trimmed();
        finish(code == 0 && status == QProcess::NormalExit ? id : QString());
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) // no xdg-utils: no default we can ask for
            finish(QString());
    });
    process->start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("audio/flac")});
}

QString XdgDesktopApps::netEaseClient()
{
    for (const char *id : kNetEaseDesktopIds)
        if (!desktopEntryPath(QString::fromLatin1(id)).isEmpty())
            return QString::fromLatin1(id);
    for (const char *exe : kNetEaseExecutables)
        if (!QStandardPaths::findExecutable(QString::fromLatin1(exe)).isEmpty())
            return QString::fromLatin1(exe);
    return {};
}

QString XdgDesktopApps::desktopEntryPath(const QString &desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return {};
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
}

QStringList XdgDesktopApps::execCommand(const QString &text)
{
    bool inMainGroup = false;
    QString exec;
    for (const QString &raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[')) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inMainGroup && line.startsWith(QLatin1String("Exec"))) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
                exec = unescapeValue(line.mid(eq + 1).trimmed());
        }
    }
    QStringList args;
    for (QString arg : QProcess::splitCommand(exec)) {
        // Field codes stand for files and URLs we do not pass; "%%" is a percent sign.
        if (arg.size() == 2 && arg[0] == u'%' && arg[1] != u'%')
            continue;
        arg.replace(QLatin1String("%%"), QLatin1String("%"));
        args.append(arg);
    }
    return args;
}

bool XdgDesktopApps::launch(const QString &what)
{
    QStringList command;
    if (what.endsWith(QLatin1String(".desktop"))) {
        QFile entry(desktopEntryPath(what));
        if (!entry.open(QIODevice::ReadOnly))
            return false;
        command = execCommand(QString::fromUtf8(entry.readAll()));
    } else {
        command = {what};
    }
    if (command.isEmpty())
        return false;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}

} // namespace tessary::music
