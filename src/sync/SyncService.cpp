#include "SyncService.h"

#include "engine/AppStore.h"
#include "records/AtomicFile.h"
#include "records/DocumentCodec.h"
#include "records/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>

#include <algorithm>
#include <unordered_set>

namespace tessary::sync {

namespace {
// Sync tools replace a file in several steps; reading once they have settled costs one read.
constexpr int kReadDelayMs = 700;
// A watcher misses what some sync tools do; a rescan compares names, sizes and times…
constexpr int kRescanMs = 60 * 1000;
// …and every tenth reads everything anyway, since times travel with synced files.
constexpr int kFullReadEvery = 10;
constexpr qint64 kMaxDeviceFileBytes = qint64(1) << 30;

// Exactly "<uuid>.json": temporary files, conflict copies and anything else are not ours.
const QRegularExpression &deviceFileName()
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\.json$"));
    return pattern;
}

QString fileSignature(const QFileInfo &info)
{
    return QStringLiteral("%1:%2:%3")
        .arg(info.fileName())
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}
} // namespace

SyncService::SyncService(AppStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    m_readSoon.setSingleShot(true);
    m_readSoon.setInterval(kReadDelayMs);
    connect(&m_readSoon, &QTimer::timeout, this, &SyncService::readAndMerge);
    m_writeSoon.setSingleShot(true);
    m_writeSoon.setInterval(0);
    connect(&m_writeSoon, &QTimer::timeout, this, &SyncService::writeOwnFile);
    m_rescan.setInterval(kRescanMs);
    m_rescan.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_rescan, &QTimer::timeout, this, &SyncService::rescan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SyncService::scheduleRead);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SyncService::scheduleRead);

    connect(&store, &AppStore::sessionsChanged, this, &SyncService::onSessionsChanged);
    connect(&store, &AppStore::settingsChanged, this, &SyncService::onTaskNamesMaybeChanged);
    connect(&store, &AppStore::sessionRemoved, this, &SyncService::onSessionRemoved);
    connect(&store, &AppStore::historyCleared, this, &SyncService::onHistoryCleared);
    connect(&store, &AppStore::sessionEdited, this, &SyncService::onSessionEdited);
    m_lastTaskNames = store.settings().taskNames.value_or(QStringList());
    if (enabled())
        start();
}

SyncState SyncService::state() const { return m_store.syncState().value_or(SyncState{}); }

void SyncService::saveState(const SyncState &state) { m_store.setSyncState(state); }

bool SyncService::enabled() const
{
    const auto &s = m_store.syncState();
    return s && s->enabled && !s->folder.isEmpty();
}

QString SyncService::folder() const { return state().folder; }

QString SyncService::deviceName() const
{
    const QString set = state().deviceName.trimmed();
    return set.isEmpty() ? QSysInfo::machineHostName() : set;
}

QString SyncService::devicesDirectory() const
{
    return QDir(folder()).filePath(QStringLiteral("Tessary/devices"));
}

QString SyncService::statusText() const
{
    if (!enabled())
        return QStringLiteral("未开启");
    if (!m_problem.isEmpty())
        return m_problem;
    QString text = QStringLiteral("已同步 · %1 台电脑").arg(std::max(m_deviceCount, 1));
    if (m_lastMerge.isValid())
        text += QStringLiteral(" · 最近合并 ") + m_lastMerge.toString(QStringLiteral("HH:mm"));
    if (!m_notice.isEmpty())
        text += QStringLiteral(" · ") + m_notice;
    return text;
}

void SyncService::setProblem(const QString &problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit changed();
}

void SyncService::setEnabled(bool on)
{
    SyncState s = state();
    if (s.enabled == on && m_store.syncState())
        return;
    s.enabled = on;
    saveState(s);
    if (enabled())
        start();
    else
        stop();
    emit changed();
}

void SyncService::setFolder(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    const QString path = url.isLocalFile() ? url.toLocalFile() : pathOrUrl;
    SyncState s = state();
    if (path.trimmed().isEmpty()) {
        s.enabled = false;
    } else {
        s.folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
        s.enabled = true;
    }
    stop();
    saveState(s);
    if (enabled())
        start();
    emit changed();
}

void SyncService::setDeviceName(const QString &name)
{
    SyncState s = state();
    const QString trimmed = name.trimmed();
    if (s.deviceName == trimmed)
        return;
    s.deviceName = trimmed;
    saveState(s);
    if (enabled())
        m_writeSoon.start();
    emit changed();
}

std::int64_t SyncService::nextClock(SyncState &s) const { return ++s.clock; }

void SyncService::start()
{
    SyncState s = state();
    if (s.deviceId.isNull())
        s.deviceId = Uuid::createRandom();
    if (!s.tasks)
        s.tasks = TaskListClock{nextClock(s), s.deviceId};
    saveState(s);
    adoptNewRounds();
    noteHeldRounds();
    m_problem.clear();
    m_filesSignature.clear();
    writeOwnFile();
    readAndMerge();
    m_rescan.start();
}

void SyncService::stop()
{
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    m_rescan.stop();
    m_readSoon.stop();
    m_writeSoon.stop();
    m_problem.clear();
    m_deviceCount = 0;
}

void SyncService::adoptNewRounds()
{
    const SyncState s = state();
    QList<StudySession> sessions = m_store.sessions();
    bool any = false;
    for (StudySession &round : sessions) {
        if (!round.origin) {
            round.origin = SyncOrigin{s.deviceId, s.sequence + 1}; // published by the next write
            any = true;
        }
    }
    if (!any)
        return;
    m_applying = true;
    m_store.applySync(std::move(sessions), std::nullopt, s);
    m_applying = false;
}

// A clear-all hides what this computer has seen. Its archive counts too: another computer's file
// may be gone from the folder, or not read since start, while its rounds are held here.
void SyncService::noteHeldRounds()
{
    const Uuid own = state().deviceId;
    for (const StudySession &round : m_store.sessions()) {
        if (round.origin && round.origin->device != own) {
            std::int64_t &seen = m_seenSequences[round.origin->device];
            seen = std::max(seen, round.origin->added);
        }
    }
}

DeviceFile SyncService::ownFile() const
{
    const SyncState s = state();
    DeviceFile f;
    f.deviceId = s.deviceId;
    f.deviceName = deviceName();
    f.sequence = s.sequence;
    f.clock = s.clock;
    // Its own rounds, and the rounds it edited last: an edit travels in the editor's file.
    for (const StudySession &round : m_store.sessions())
        if ((round.origin && round.origin->device == s.deviceId)
            || (round.edited && round.edited->device == s.deviceId))
            f.sessions.append(round);
    f.tombstones = s.tombstones;
    f.clears = s.clears;
    f.tasksClock = s.tasks;
    f.taskNames = m_store.settings().taskNames.value_or(QStringList());
    return f;
}

void SyncService::writeOwnFile()
{
    m_writeSoon.stop();
    if (!enabled())
        return;
    // Raised whether or not the file gets written: a clear-all mark must cover every round
    // given this sequence, and the rounds recorded after it need a higher one.
    SyncState s = state();
    ++s.sequence;
    saveState(s);
    if (!QFileInfo(folder()).isDir()) {
        setProblem(QStringLiteral("找不到同步文件夹：") + folder());
        return;
    }
    if (const WriteResult made = makeDirectories(devicesDirectory()); !made) {
        setProblem(QStringLiteral("同步文件夹不能写入：") + saveProblemReasonFor(made));
        return;
    }
    AtomicFile out(QDir(devicesDirectory()).filePath(s.deviceId.toString() + QStringLiteral(".json")), 0644);
    const bool written = out.open()
                         && encodeDeviceFile(ownFile(), [&](std::string_view piece) { return out.write(piece); })
                         && out.commit();
    if (written) {
        m_ownSignature = fileSignature(QFileInfo(out.path()));
    } else {
        qCWarning(lcTessary).noquote() << "Tessary sync could not write its device file:" << out.result().detail;
        setProblem(QStringLiteral("同步文件夹不能写入：") + saveProblemReasonFor(out.result()));
        return;
    }
    setProblem({});
}

void SyncService::scheduleRead()
{
    if (enabled())
        m_readSoon.start();
}

void SyncService::rescan()
{
    if (!enabled())
        return;
    QStringList parts;
    const QFileInfoList infos = QDir(devicesDirectory()).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &info : infos)
        if (deviceFileName().match(info.fileName()).hasMatch())
            parts << fileSignature(info);
    const QString signature = parts.join(QLatin1Char('|'));
    if (signature != m_filesSignature || ++m_quietRescans >= kFullReadEvery)
        readAndMerge();
}

void SyncService::syncNow()
{
    if (!enabled())
        return;
    if (m_writeSoon.isActive())
        writeOwnFile();
    readAndMerge();
}

void SyncService::readAndMerge()
{
    m_readSoon.stop();
    m_quietRescans = 0;
    if (!enabled())
        return;
    if (!QFileInfo(folder()).isDir()) {
        setProblem(QStringLiteral("找不到同步文件夹：") + folder());
        return;
    }
    const QDir dir(devicesDirectory());
    if (dir.exists() && !m_watcher.directories().contains(dir.path()))
        m_watcher.addPath(dir.path());

    // Read every file first: when their contents and the archive are as at the last merge,
    // there is nothing to decode (times travel with synced files; contents are compared).
    SyncState s = state();
    struct Candidate {
        QFileInfo info;
        QByteArray bytes;
    };
    QList<Candidate> candidates;
    QStringList statParts, contentParts;
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        if (!deviceFileName().match(info.fileName()).hasMatch())
            continue;
        statParts << fileSignature(info);
        if (info.completeBaseName().compare(s.deviceId.toString(), Qt::CaseInsensitive) == 0
            && fileSignature(info) == m_ownSignature)
            continue; // ours, as we wrote it
        QFile file(info.filePath());
        Candidate c{info, {}};
        if (info.size() <= kMaxDeviceFileBytes && file.open(QIODevice::ReadOnly))
            c.bytes = file.readAll();
        contentParts << info.fileName() + QLatin1Char(':') + QString::number(qHash(c.bytes), 16);
        candidates.append(std::move(c));
    }
    m_filesSignature = statParts.join(QLatin1Char('|'));
    const QString contentKey = contentParts.join(QLatin1Char('|'));
    if (contentKey == m_lastContentKey && m_store.sessions().isSharedWith(m_lastMergedSessions)
        && m_store.syncState() == m_lastMergedState)
        return;

    QList<DeviceFile> files;
    QString notice;
    for (const Candidate &c : std::as_const(candidates)) {
        const QString signature = fileSignature(c.info);
        const auto named = Uuid::parse(c.info.completeBaseName());
        DeviceFileResult decoded = decodeDeviceFile(std::string_view(c.bytes.constData(), size_t(c.bytes.size())));
        if (decoded.file && (!named || decoded.file->deviceId != *named)) {
            decoded.file.reset();
            decoded.error = "its id is not its name";
        }
        if (!decoded.file) {
            // Perhaps still arriving: tried again when it changes, logged once per state.
            if (m_skipped.value(c.info.filePath()) != signature)
                qCWarning(lcTessary).noquote() << "Tessary sync skipped" << c.info.filePath() << "("
                                                      + QString::fromStdString(decoded.error) + ")";
            m_skipped.insert(c.info.filePath(), signature);
            continue;
        }
        m_skipped.remove(c.info.filePath());
        DeviceFile &f = *decoded.file;
        if (f.deviceId == s.deviceId) {
            if (f.sequence <= s.sequence)
                continue; // our own, as we wrote it
            // Written by another computer with our id (a copied home folder): ours gets a new
            // id, and our rounds that file does not hold go with it.
            std::unordered_set<Uuid> theirs;
            for (const StudySession &round : f.sessions)
                theirs.insert(round.id);
            const Uuid old = s.deviceId;
            s.deviceId = Uuid::createRandom();
            QList<StudySession> sessions = m_store.sessions();
            for (StudySession &round : sessions)
                if (round.origin && round.origin->device == old && !theirs.count(round.id))
                    round.origin = SyncOrigin{s.deviceId, s.sequence + 1};
            m_applying = true;
            m_store.applySync(std::move(sessions), std::nullopt, s);
            m_applying = false;
            notice = QStringLiteral("另一台电脑用了相同的设备标识，这台电脑已换用新的标识");
            qCWarning(lcTessary).noquote() << "Tessary sync: another computer writes as" << old.toString()
                                           << "; this one is now" << s.deviceId.toString();
        }
        m_deviceNames.insert(f.deviceId, f.deviceName);
        std::int64_t &seen = m_seenSequences[f.deviceId];
        seen = std::max(seen, f.sequence);
        files.append(std::move(f));
    }
    if (!notice.isEmpty()) {
        m_notice = notice;
        m_writeSoon.start();
    }

    files.append(ownFile());
    const Merged merged = merge(m_store.sessions(), files);
    s.clock = std::max(s.clock, merged.highestClock);
    std::optional<QStringList> taskNames;
    if (merged.tasksClock && (!s.tasks || *s.tasks < *merged.tasksClock)) {
        taskNames = merged.taskNames;
        s.tasks = merged.tasksClock;
    }
    // What arrived, by the computer it was recorded on, for the toast.
    std::unordered_set<Uuid> held;
    for (const StudySession &round : m_store.sessions())
        held.insert(round.id);
    QMap<QString, int> arrived;
    for (const StudySession &round : merged.sessions)
        if (!held.count(round.id) && round.origin && round.origin->device != s.deviceId)
            ++arrived[m_deviceNames.value(round.origin->device, QStringLiteral("另一台电脑"))];

    m_deviceCount = int(files.size());
    if (merged.sessions != m_store.sessions() || taskNames || !(m_store.syncState() && *m_store.syncState() == s)) {
        m_applying = true;
        m_store.applySync(merged.sessions, taskNames, s);
        m_applying = false;
        m_lastTaskNames = m_store.settings().taskNames.value_or(QStringList());
    }
    m_lastContentKey = contentKey;
    m_lastMergedSessions = m_store.sessions();
    m_lastMergedState = m_store.syncState();
    m_lastMerge = QDateTime::currentDateTime();
    if (!arrived.isEmpty()) {
        int total = 0;
        for (int n : std::as_const(arrived))
            total += n;
        m_store.toast(QStringLiteral("从%1合并了 %2 轮").arg(arrived.keys().join(QStringLiteral("、"))).arg(total));
    }
    emit changed();
}

void SyncService::onSessionsChanged()
{
    noteHeldRounds(); // also what a merge or a restored backup brought
    if (m_applying || !enabled())
        return;
    adoptNewRounds();
    m_writeSoon.start();
}

void SyncService::onTaskNamesMaybeChanged()
{
    const QStringList names = m_store.settings().taskNames.value_or(QStringList());
    if (names == m_lastTaskNames)
        return;
    m_lastTaskNames = names;
    if (m_applying || !enabled())
        return;
    SyncState s = state();
    s.tasks = TaskListClock{nextClock(s), s.deviceId};
    saveState(s);
    m_writeSoon.start();
}

void SyncService::onSessionEdited(const Uuid &id)
{
    if (!enabled())
        return;
    SyncState s = state();
    QList<StudySession> sessions = m_store.sessions();
    for (StudySession &round : sessions)
        if (round.id == id)
            round.edited = EditStamp{nextClock(s), s.deviceId};
    m_applying = true;
    m_store.applySync(std::move(sessions), std::nullopt, s);
    m_applying = false;
    m_writeSoon.start();
}

void SyncService::onSessionRemoved(const Uuid &id)
{
    if (!enabled())
        return;
    SyncState s = state();
    s.tombstones.append(Tombstone{id, nextClock(s)});
    saveState(s);
    m_writeSoon.start();
}

void SyncService::onHistoryCleared()
{
    if (!enabled())
        return;
    SyncState s = state();
    ClearMark mark;
    mark.device = s.deviceId;
    mark.clock = nextClock(s);
    // Ours up to the write that will carry the mark; the others' as far as read or held here.
    QHash<Uuid, std::int64_t> seen = m_seenSequences;
    seen[s.deviceId] = s.sequence + 1;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        mark.seen.append(SeenSequence{it.key(), it.value()});

    std::sort(mark.seen.begin(), mark.seen.end(),
              [](const SeenSequence &a, const SeenSequence &b) { return a.device < b.device; });
    s.clears.append(mark);
    saveState(s);
    m_writeSoon.start();
}

} // namespace tessary::sync
