#include "Persistence.h"

#include "AtomicFile.h"
#include "LocalTime.h"
#include "Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <sys/mman.h>

#include <algorithm>
#include <charconv>

namespace tessary::Persistence {

namespace {

// Larger than any real archive by two orders of magnitude; past it the file is
// treated as unreadable (and kept) instead of being pulled into memory whole.
constexpr qint64 kMaxDocumentBytes = qint64(1) << 30;

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tessary");
}

QString preservedName(const QFileInfo &original, int attempt)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString name = original.completeBaseName() + QStringLiteral(".unreadable-") + stamp;
    if (attempt > 1)
        name += QLatin1Char('-') + QString::number(attempt);
    return original.dir().filePath(name + QStringLiteral(".json"));
}

// Keeps an unreadable document beside the original so that the next save cannot
// destroy what the user stored. Returns the copy's path, or empty when nothing could be kept.
QString preserveUnreadable(const QString &filePath, const QString &reason)
{
    const QFileInfo original(filePath);
    QString target;
    for (int attempt = 1; attempt < 100; ++attempt) {
        target = preservedName(original, attempt);
        if (!QFileInfo::exists(target))
            break;
    }
    // A copy leaves the original where it was; when even reading it fails, moving it
    // aside still keeps it.
    if (QFile::copy(filePath, target) || QFile::rename(filePath, target)) {
        qCWarning(lcTessary).noquote() << "Tessary data document could not be read (" + reason
                                                  + "); kept it as " + target;
        return target;
    }
    qCWarning(lcTessary).noquote() << "Tessary data document could not be read (" + reason
                                              + ") and could not be kept as " + target;
    return {};
}

// A save that keeps failing the same way (retried every 30 s) is logged once, until it
// succeeds or fails otherwise. Main thread only, like every save.
QHash<QString, QString> &lastFailures()
{
    static QHash<QString, QString> failures;
    return failures;
}

void logSaveFailure(const QString &filePath, const QString &detail)
{
    QString &last = lastFailures()[filePath];
    if (last == detail)
        return;
    last = detail;
    qCWarning(lcTessary).noquote() << QStringLiteral("Tessary save failed: %1: %2").arg(filePath, detail);
}

} // namespace

QString dataFilePath() { return dataDirectory() + QStringLiteral("/focus-data.json"); }

QString userAmbientDirectory() { return dataDirectory() + QStringLiteral("/Ambient"); }

QString canonicalDocumentPath(const QString &filePath)
{
    QString existing = QDir::cleanPath(QFileInfo(filePath).absoluteFilePath());
    QString rest;
    // The document or its folders may not exist yet: resolve the longest part that does.
    while (!QFileInfo::exists(existing) && existing != QStringLiteral("/")) {
        const QFileInfo info(existing);
        rest = QLatin1Char('/') + info.fileName() + rest;
        existing = info.absolutePath();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return QDir::cleanPath((canonical.isEmpty() ? existing : canonical) + rest);
}

WriteResult save(const QString &filePath, const AppSettings &settings, const QList<StudySession> &sessions)
{
    return writeDocument(filePath, PersistedData{settings, sessions, std::nullopt});
}

WriteResult writeDocument(const QString &filePath, const PersistedData &data)
{
    // Encoded straight into the new file in 1 MB pieces: no 20 MB text in memory.
    AtomicFile out(filePath);
    if (out.open()) {
        std::string encodeError;
        const bool encoded = encodeDocument(
            data, [&](std::string_view piece) { return out.write(piece); }, &encodeError);
        if (!encoded && out.result().ok())
            out.fail(QString::fromStdString(encodeError));
        if (encoded)
            out.commit();
    }
    if (!out.result().ok())
        logSaveFailure(filePath, out.result().detail);
    else
        lastFailures().remove(filePath);
    return out.result();
}

namespace {
// QSaveFile writes into "<name>.XXXXXX" where the filesystem has no unnamed temporary files; a
// save killed midway leaves that behind. Only one instance uses the document, and it loads
// before it saves, so any such file found now is a leftover.
void removeInterruptedSaves(const QString &filePath)
{
    const QFileInfo info(filePath);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QStringList candidates = info.dir().entryList({prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    for (const QString &name : candidates) {
        const QStringView suffix = QStringView(name).mid(prefix.size());
        if (std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isLetterOrNumber() && c.unicode() < 128; }))
            QFile::remove(info.dir().filePath(name));
    }
}
} // namespace

ReadResult read(const QString &filePath)
{
    ReadResult result;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size > kMaxDocumentBytes) {
        result.error = QStringLiteral("larger than 1 GiB");
        return result;
    }
    // Map the file rather than copy it: a 20 MB archive then costs no second buffer.
    // MAP_POPULATE maps it in one go instead of one page fault per page.
    DecodeResult decoded;
    if (size == 0) {
        decoded = decodeDocument({});
    } else if (void *mapped = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.handle(), 0);
               mapped != MAP_FAILED) {
        decoded = decodeDocument(std::string_view(static_cast<const char *>(mapped), size_t(size)));
        ::munmap(mapped, size_t(size));
    } else {
        const QByteArray bytes = file.readAll();
        if (bytes.size() != size) {
            result.error = file.errorString();
            return result;
        }
        decoded = decodeDocument(std::string_view(bytes.constData(), size_t(bytes.size())));
    }
    if (!decoded.data) {
        result.error = QString::fromStdString(decoded.error);
        return result;
    }
    result.data = std::move(*decoded.data);
    return result;
}

LoadResult load(const QString &filePath)
{
    removeInterruptedSaves(filePath);
    LoadResult result;
    if (!QFileInfo::exists(filePath)) {
        result.outcome = LoadOutcome::missing;
        return result;
    }
    ReadResult read = Persistence::read(filePath);
    if (!read.data) {
        result.outcome = LoadOutcome::unreadable;
        result.preservedCopyPath = preserveUnreadable(filePath, read.error);
        return result;
    }
    result.data = std::move(*read.data);
    result.outcome = LoadOutcome::loaded;
    return result;
}

// ---------------------------------------------------------------------------
// CSV

namespace {

void appendQuoted(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.append('"');
    if (!utf8.contains('"')) {
        out.append(utf8);
    } else {
        for (char c : utf8) {
            if (c == '"')
                out.append('"');
            out.append(c);
        }
    }
    out.append('"');
}

void appendNumber(QByteArray &out, std::int64_t n)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, res.ptr - buf);
}

// "yyyy-MM-dd HH:mm:ss" of an instant in local wall-clock time.
void appendLocalTime(QByteArray &out, LocalTime &local, Timestamp t)
{
    const std::int64_t secs = local.localSeconds(t);
    std::int64_t days = secs / 86400;
    std::int64_t sod = secs % 86400;
    if (sod < 0)
        sod += 86400, --days;
    std::int64_t y;
    unsigned mo, d;
    civilFromDays(days, y, mo, d);
    char buf[48];
    const int n = std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", (long long)y, mo, d,
                                (long long)(sod / 3600), (long long)(sod / 60 % 60), (long long)(sod % 60));
    out.append(buf, n);
}

} // namespace

QByteArray csvText(const QList<StudySession> &sessions, const QTimeZone &zone)
{
    std::vector<const StudySession *> ordered;
    ordered.reserve(size_t(sessions.size()));
    for (const auto &s : sessions)
        ordered.push_back(&s);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const StudySession *a, const StudySession *b) { return a->startedAt < b->startedAt; });

    QByteArray out;
    out.reserve(128 + qsizetype(sessions.size()) * 96);
    out.append("开始时间,任务,计划分钟,专注分钟,完成,专注评分,开始精力,结束精力,走神次数,疲劳次数,提示次数,备注\n");
    LocalTime local(zone);
    bool first = true;
    for (const StudySession *s : ordered) {
        if (!first)
            out.append('\n');
        first = false;
        appendLocalTime(out, local, s->startedAt);
        out.append(',');
        appendQuoted(out, s->displayTaskName());
        out.append(',');
        appendNumber(out, s->plannedMinutes);
        out.append(',');
        appendNumber(out, roundedMinutes(s->focusedSeconds));
        out.append(s->completed ? ",是," : ",否,");
        appendNumber(out, s->focusRating);
        out.append(',');
        appendNumber(out, s->startEnergy);
        out.append(',');
        appendNumber(out, s->endEnergy);
        out.append(',');
        appendNumber(out, s->mindWanderCount());
        out.append(',');
        appendNumber(out, s->fatigueCount());
        out.append(',');
        appendNumber(out, s->reminderCount());
        out.append(',');
        appendQuoted(out, s->note);
    }
    return out;
}

bool writeCsv(const QString &filePath, const QList<StudySession> &sessions, const QTimeZone &zone)
{
    const QByteArray text = csvText(sessions, zone);
    // An exported file is the user's to share: the usual permissions, not the document's; and
    // into the folder the user chose, not one made up.
    AtomicFile out(filePath, 0666, false);
    return out.open() && out.write(std::string_view(text.constData(), size_t(text.size()))) && out.commit();
}

} // namespace tessary::Persistence
