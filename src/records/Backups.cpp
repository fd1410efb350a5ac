#include "Backups.h"

#include "Log.h"
#include "Persistence.h"
#include "Timestamp.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <map>

namespace tessary::backups {

namespace {

constexpr int kDaysKept = 7;
constexpr int kWeeksKept = 4;
constexpr int kMostPerDay = 10;

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::daily:
        return QStringLiteral("daily");
    case Kind::beforeClear:
        return QStringLiteral("before-clear");
    case Kind::beforeRestore:
        return QStringLiteral("before-restore");
    }
    return {};
}

QString baseName(const QString &dataFilePath) { return QFileInfo(dataFilePath).completeBaseName(); }

QString documentKey(const QString &dataFilePath)
{
    const QByteArray path = Persistence::canonicalDocumentPath(dataFilePath).toUtf8();
    return QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha256).toHex().left(12));
}

} // namespace

std::int64_t Backup::day() const { return floorDiv(localSeconds, 86400); }

// 1970-01-01 was a Thursday: day 0 is the fourth day of its Monday week.
std::int64_t Backup::week() const { return floorDiv(day() + 3, 7); }

QString directoryFor(const QString &dataFilePath)
{
    return QFileInfo(dataFilePath).absoluteDir().filePath(QStringLiteral("backups"));
}

QList<Backup> list(const QString &directory, const QString &dataFilePath)
{
    const QRegularExpression pattern(QStringLiteral("^") + QRegularExpression::escape(baseName(dataFilePath))
                                     + QStringLiteral(R"(-(\d{4})-(\d{2})-(\d{2})-(\d{2})(\d{2})(\d{2}))")
                                     + QStringLiteral(R"(-(daily|before-clear|before-restore)-(\d{1,9})\.json$)"));
    QList<Backup> found;
    const QDir dir(directory);
    for (const QString &name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (!m.hasMatch())
            continue;
        const auto n = [&](int i) { return m.capturedView(i).toInt(); };
        if (n(2) < 1 || n(2) > 12 || n(3) < 1 || n(3) > 31 || n(4) > 23 || n(5) > 59 || n(6) > 59)
            continue;
        Backup b;
        b.path = dir.filePath(name);
        b.localSeconds = daysFromCivil(n(1), unsigned(n(2)), unsigned(n(3))) * 86400 + n(4) * 3600 + n(5) * 60 + n(6);
        const QStringView kind = m.capturedView(7);
        b.kind = kind == u"daily" ? Kind::daily : kind == u"before-clear" ? Kind::beforeClear : Kind::beforeRestore;
        b.rounds = m.capturedView(8).toLongLong();
        found.append(b);
    }
    std::sort(found.begin(), found.end(), [](const Backup &a, const Backup &b) {
        return a.localSeconds != b.localSeconds ? a.localSeconds > b.localSeconds : a.path > b.path;
    });
    return found;
}

WriteResult write(const QString &directory, const QString &dataFilePath, Kind kind, std::int64_t localSeconds,
                  const PersistedData &data, QString *writtenPath)
{
    const std::int64_t days = floorDiv(localSeconds, 86400);
    const std::int64_t secs = localSeconds - days * 86400;
    std::int64_t y;
    unsigned mo, d;
    civilFromDays(days, y, mo, d);
    const QString name = QStringLiteral("%1-%2-%3-%4-%5%6%7-%8-%9.json")
                             .arg(baseName(dataFilePath))
                             .arg(y, 4, 10, QLatin1Char('0'))
                             .arg(mo, 2, 10, QLatin1Char('0'))
                             .arg(d, 2, 10, QLatin1Char('0'))
                             .arg(secs / 3600, 2, 10, QLatin1Char('0'))
                             .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(secs % 60, 2, 10, QLatin1Char('0'))
                             .arg(kindName(kind))
                             .arg(data.sessions.size());
    const QString path = QDir(directory).filePath(name);
    const WriteResult result = Persistence::writeDocument(path, data);
    if (result && writtenPath)
        *writtenPath = path;
    return result;
}

QList<Backup> toKeep(const QList<Backup> &backups)
{
    QList<Backup> sorted = backups;
    std::sort(sorted.begin(), sorted.end(),
              [](const Backup &a, const Backup &b) { return a.localSeconds > b.localSeconds; });
    QList<Backup> kept;
    std::map<std::int64_t, int, std::greater<>> perDay;
    std::map<std::int64_t, bool, std::greater<>> weeks;
    for (const Backup &b : sorted) {
        const auto day = perDay.find(b.day());
        if (day != perDay.end() || int(perDay.size()) < kDaysKept) {
            if (perDay[b.day()]++ < kMostPerDay)
                kept.append(b);
            continue;
        }
        // Older than the daily window: the newest of each week, for a few weeks.
        if (!weeks.contains(b.week()) && int(weeks.size()) < kWeeksKept) {
            weeks[b.week()] = true;
            kept.append(b);
        }
    }
    return kept;
}

void rotate(const QString &directory, const QString &dataFilePath)
{
    const QList<Backup> all = list(directory, dataFilePath);
    const QList<Backup> kept = toKeep(all);
    for (const Backup &b : all) {
        const bool keep = std::any_of(kept.cbegin(), kept.cend(), [&](const Backup &k) { return k.path == b.path; });
        if (!keep && !QFile::remove(b.path))
            qCWarning(lcTessary).noquote() << "Tessary could not remove the old backup" << b.path;
    }
}

QStringList emergencyDirectories()
{
    QStringList dirs;
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    dirs << state + QStringLiteral("/Tessary");
    dirs << QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Tessary");
    if (const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation); !runtime.isEmpty())
        dirs << runtime + QStringLiteral("/Tessary");
    dirs.removeDuplicates();
    return dirs;
}

WriteResult writeEmergencyCopy(const QStringList &directories, const QString &dataFilePath, std::int64_t utcSeconds,
                               const PersistedData &data, QString *writtenPath)
{
    const QString stamp =
        QDateTime::fromSecsSinceEpoch(utcSeconds, Qt::UTC).toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString name = QStringLiteral("unsaved-%1-%2.json").arg(documentKey(dataFilePath), stamp);
    WriteResult last{WriteProblem::folderUnavailable, QStringLiteral("no folder for an emergency copy")};
    for (const QString &dir : directories) {
        const QString path = QDir(dir).filePath(name);
        last = Persistence::writeDocument(path, data);
        if (last) {
            if (writtenPath)
                *writtenPath = path;
            return last;
        }
    }
    return last;
}

QStringList emergencyCopies(const QStringList &directories, const QString &dataFilePath)
{
    const QString prefix = QStringLiteral("unsaved-") + documentKey(dataFilePath) + QLatin1Char('-');
    QStringList copies;
    for (const QString &dir : directories) {
        const QDir d(dir);
        for (const QString &name : d.entryList({prefix + QStringLiteral("*.json")}, QDir::Files))
            copies << d.filePath(name);
    }
    // The UTC stamp orders them whatever folder each landed in.
    std::sort(copies.begin(), copies.end(),
              [](const QString &a, const QString &b) { return QFileInfo(a).fileName() < QFileInfo(b).fileName(); });
    return copies;
}

} // namespace tessary::backups
