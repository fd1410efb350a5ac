#include "Autostart.h"

#include "records/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tessary::desktop {

namespace {
constexpr char kFileName[] = TESSARY_APP_ID ".desktop";
// The name before the application id was a reverse domain name.
constexpr char kLegacyFileName[] = "tessary.desktop";

QByteArray readEntry(const QString &path, bool *found = nullptr)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (found)
        *found = opened;
    return opened ? file.read(64 * 1024) : QByteArray();
}

QString desktopValue(const QByteArray &text, QByteArrayView key)
{
    bool inMainGroup = false;
    for (QByteArrayView line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup || !line.startsWith(key))
            continue;
        QByteArrayView rest = line.sliced(key.size()).trimmed();
        if (rest.startsWith('='))
            return QString::fromUtf8(rest.sliced(1).trimmed());
    }
    return {};
}
} // namespace

Autostart::Autostart(QString directory, QString program, Toast toast, QObject *parent)
    : QObject(parent), m_directory(std::move(directory)), m_program(std::move(program)), m_toast(std::move(toast))
{
    takeOverLegacyEntry();
    m_enabled = readState();
}

void Autostart::takeOverLegacyEntry()
{
    bool found = false;
    const QByteArray legacy = readEntry(legacyFilePath(), &found);
    if (!found)
        return;
    // Ours is written only where the old one would start the application and none of ours is
    // there yet; an old entry switched off leaves nothing behind. Where ours cannot be written
    // the old one stays, and still counts (readState()).
    if (entryStartsApplication(legacy) && !QFile::exists(filePath())) {
        QSaveFile file(filePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(entryText(m_program)) < 0 || !file.commit()) {
            qCWarning(lcTessary).noquote() << "Tessary autostart: cannot replace" << legacyFilePath() << "with"
                                           << filePath() << file.errorString();
            return;
        }
    }
    if (QFile old(legacyFilePath()); !old.remove())
        qCWarning(lcTessary).noquote() << "Tessary autostart: cannot remove" << legacyFilePath() << old.errorString();
}

QString Autostart::defaultDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString Autostart::programFor(const QString &applicationFilePath, const QString &foundOnPath)
{
    if (!foundOnPath.isEmpty()
        && QFileInfo(foundOnPath).canonicalFilePath() == QFileInfo(applicationFilePath).canonicalFilePath())
        return QStringLiteral("tessary");
    return applicationFilePath;
}

QString Autostart::quoteExecArgument(const QString &argument)
{
    // Reserved characters force quoting; inside quotes ", `, $ and \ are escaped. A literal
    // % is always doubled (field codes).
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool needsQuotes = text.isEmpty() || std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return reserved.contains(c);
    });
    if (!needsQuotes)
        return text;
    QString quoted;
    for (QChar c : text) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    // The file format's own escaping comes on top: a backslash is written as "\\".
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray Autostart::entryText(const QString &program)
{
    const QString exec = quoteExecArgument(program) + QStringLiteral(" --background");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=汀禾\n"
                          "Name[en]=Tessary\n"
                          "Comment=登录后在托盘中启动汀禾\n"
                          "Comment[en]=Start Tessary in the tray at login\n"
                          "Icon=" TESSARY_APP_ID "\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n"
                          // After the panel, so the tray is there when it starts.
                          "X-KDE-autostart-phase=2\n")
        .arg(exec)
        .toUtf8();
}

bool Autostart::entryStartsApplication(const QByteArray &text)
{
    return desktopValue(text, "Hidden").compare(QLatin1String("true"), Qt::CaseInsensitive) != 0
        && desktopValue(text, "X-GNOME-Autostart-enabled").compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

QString Autostart::filePath() const { return m_directory + QLatin1Char('/') + QLatin1String(kFileName); }

QString Autostart::legacyFilePath() const { return m_directory + QLatin1Char('/') + QLatin1String(kLegacyFileName); }

bool Autostart::readState() const
{
    bool found = false;
    const QByteArray text = readEntry(filePath(), &found);
    if (found)
        return entryStartsApplication(text);
    // An old entry that could not be taken over still starts the application at login.
    const QByteArray legacy = readEntry(legacyFilePath(), &found);
    return found && entryStartsApplication(legacy);
}

void Autostart::refresh()
{
    const bool enabled = readState();
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit enabledChanged();
}

bool Autostart::setEnabled(bool on)
{
    QString error;
    if (on) {
        QSaveFile file(filePath());
        if (!QDir().mkpath(m_directory))
            error = QStringLiteral("cannot create %1").arg(m_directory);
        else if (!file.open(QIODevice::WriteOnly) || file.write(entryText(m_program)) < 0 || !file.commit())
            error = file.errorString();
    } else if (QFile file(filePath()); file.exists() && !file.remove()) {
        error = file.errorString();
    }
    // An old entry that could not be taken over at start goes with the first change.
    if (QFile old(legacyFilePath()); error.isEmpty() && old.exists() && !old.remove())
        error = old.errorString();
    if (!error.isEmpty()) {
        qCWarning(lcTessary).noquote() << "Tessary autostart failed:" << filePath() << error;
        if (m_toast)
            m_toast(on ? QStringLiteral("无法开启登录后自动启动：%1 无法写入").arg(QDir::toNativeSeparators(m_directory))
                       : QStringLiteral("无法关闭登录后自动启动：%1 无法删除").arg(QDir::toNativeSeparators(filePath())));
    }
    // The switch shows what is on disk, whatever happened.
    m_enabled = readState();
    emit enabledChanged();
    return error.isEmpty();
}

} // namespace tessary::desktop
