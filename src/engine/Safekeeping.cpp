// Nothing recorded is lost: failed saves are kept in memory, reported and retried; what cannot
// be saved at quit goes to an emergency copy that the next start merges back; dated backups.

#include "AppStore.h"

#include "records/LocalTime.h"
#include "records/Log.h"
#include "records/Persistence.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <unordered_set>

namespace tessary {

namespace {
// Often enough that freed space is noticed soon, rarely enough to cost nothing while idle.
constexpr int kSaveRetryMs = 30000;

void sortNewestFirst(QList<StudySession> &sessions)
{
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const StudySession &a, const StudySession &b) { return a.startedAt > b.startedAt; });
}
} // namespace

QString saveProblemReasonFor(const WriteResult &result)
{
    switch (result.problem) {
    case WriteProblem::none:
        return {};
    case WriteProblem::noSpace:
        return QStringLiteral("磁盘空间不足");
    case WriteProblem::noPermission:
        return QStringLiteral("没有写入权限");
    case WriteProblem::folderUnavailable:
        return QStringLiteral("数据文件夹不可用");
    case WriteProblem::other:
        break;
    }
    return QStringLiteral("写入出错：") + result.detail;
}

QString AppStore::saveProblemReason() const { return saveProblemReasonFor(m_saveFailure); }

QString AppStore::saveProblemText() const
{
    if (m_saveFailure.ok())
        return {};
    return QStringLiteral("没能保存记录：") + saveProblemReason()
           + QStringLiteral("。汀禾把记录留在内存里，会继续尝试保存。");
}

bool AppStore::saveDocument()
{
    const bool wasFailing = !m_saveFailure.ok();
    const WriteResult result = Persistence::writeDocument(m_services.dataFilePath, document());
    if (!result) {
        const bool changed = result.problem != m_saveFailure.problem || result.detail != m_saveFailure.detail;
        m_saveFailure = result;
        if (changed)
            emit saveStateChanged();
        scheduleSaveRetry();
        return false;
    }
    // What the copies held is in the document now.
    for (const QString &copy : std::as_const(m_recoveredCopies))
        QFile::remove(copy);
    m_recoveredCopies.clear();
    if (wasFailing) {
        m_saveFailure = {};
        emit saveStateChanged();
        toast(QStringLiteral("记录已保存。"));
    }
    return true;
}

void AppStore::scheduleSaveRetry()
{
    if (m_saveRetryScheduled)
        return;
    m_saveRetryScheduled = true;
    m_services.scheduler->after(kSaveRetryMs, this, [this] {
        m_saveRetryScheduled = false;
        if (!m_saveFailure.ok())
            saveDocument(); // schedules the next try itself while it fails
    });
}

bool AppStore::trySaveNow()
{
    if (m_savePending)
        flushPendingSave();
    else if (!m_saveFailure.ok())
        saveDocument();
    return m_saveFailure.ok();
}

void AppStore::retrySave()
{
    if (!trySaveNow())
        warn(QStringLiteral("还是没能保存：") + saveProblemReason() + QStringLiteral("。"));
}

bool AppStore::saveBeforeQuit()
{
    if (trySaveNow())
        return true;
    QString copyPath;
    const WriteResult copy = backups::writeEmergencyCopy(m_services.emergencyDirectories, m_services.dataFilePath,
                                                         floorDiv(now().msecsSinceEpoch(), 1000),
                                                         document(), &copyPath);
    QString message;
    if (copy) {
        message = QStringLiteral("汀禾没能保存记录（%1），已把它们另存到 %2，下次启动时会合并回来。")
                      .arg(saveProblemReason(), copyPath);
        qCWarning(lcTessary).noquote() << "Tessary could not save" << m_services.dataFilePath
                                       << "and wrote an emergency copy to" << copyPath;
    } else {
        message = QStringLiteral("汀禾没能保存记录（%1），应急副本也没能写入（%2）。")
                      .arg(saveProblemReason(), copy.detail);
        qCWarning(lcTessary).noquote() << "Tessary could not save" << m_services.dataFilePath
                                       << "nor write an emergency copy:" << copy.detail;
    }
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    return false;
}

// --- The emergency copy, merged back at start ----------------------------------------

void AppStore::recoverEmergencyCopies()
{
    const QStringList copies = backups::emergencyCopies(m_services.emergencyDirectories, m_services.dataFilePath);
    if (copies.isEmpty())
        return;
    std::unordered_set<Uuid> known;
    for (const StudySession &s : std::as_const(m_sessions))
        known.insert(s.id);
    qsizetype recovered = 0;
    for (const QString &path : copies) { // oldest first: the newest copy's settings win
        Persistence::ReadResult read = Persistence::read(path);
        if (!read.data) {
            qCWarning(lcTessary).noquote() << "Tessary could not read the emergency copy" << path << "(" + read.error
                                                  + "); left it in place";
            continue;
        }
        // By id: a round both places hold is taken once, a round only the copy holds is added.
        for (StudySession &s : read.data->sessions) {
            if (known.insert(s.id).second) {
                m_sessions.append(std::move(s));
                ++recovered;
            }
        }
        m_settings = std::move(read.data->settings);
        if (read.data->sync)
            m_sync = std::move(read.data->sync);
        m_recoveredCopies.append(path);
    }
    if (m_recoveredCopies.isEmpty())
        return;
    sortNewestFirst(m_sessions);
    qCInfo(lcTessary).noquote() << "Tessary merged emergency copies:" << m_recoveredCopies.size()
                                << "; rounds recovered:" << recovered;
    saveDocument(); // the copies go only once this has succeeded
    toast(recovered > 0 ? QStringLiteral("找回了上次没能保存的 %1 轮记录。").arg(recovered)
                        : QStringLiteral("找回了上次没能保存的设置。"));
}

// --- Backups -------------------------------------------------------------------------

QString AppStore::backupDirectory() const { return backups::directoryFor(m_services.dataFilePath); }

bool AppStore::takeBackup(backups::Kind kind)
{
    const std::int64_t local = LocalTime(m_services.zone).localSeconds(now());
    const WriteResult result = backups::write(backupDirectory(), m_services.dataFilePath, kind, local,
                                              document());
    m_backupFailure = result;
    if (!result)
        return false; // the write logged why
    backups::rotate(backupDirectory(), m_services.dataFilePath);
    return true;
}

void AppStore::takeDailyBackup()
{
    const std::int64_t today = LocalTime(m_services.zone).dayIndex(now());
    if (today == m_lastBackupDay)
        return;
    const QList<backups::Backup> existing = backups::list(backupDirectory(), m_services.dataFilePath);
    const bool haveToday = std::any_of(existing.cbegin(), existing.cend(), [&](const backups::Backup &b) {
        return b.kind == backups::Kind::daily && b.day() == today;
    });
    if (haveToday || takeBackup(backups::Kind::daily))
        m_lastBackupDay = today;
}

bool AppStore::restoreBackup(const QString &path)
{
    if (m_phase != SessionPhase::idle) {
        warn(QStringLiteral("请先结束这一轮，再从备份恢复。"));
        return false;
    }
    Persistence::ReadResult read = Persistence::read(path);
    if (!read.data) {
        qCWarning(lcTessary).noquote() << "Tessary could not read the backup" << path << "(" + read.error + ")";
        warn(QStringLiteral("这个备份无法读取，当前记录没有改动。"));
        return false;
    }
    if (!takeBackup(backups::Kind::beforeRestore)) {
        warn(QStringLiteral("没能先备份当前记录（") + saveProblemReasonFor(m_backupFailure)
             + QStringLiteral("），没有恢复。"));
        return false;
    }
    QList<StudySession> sessions = std::move(read.data->sessions);
    sortNewestFirst(sessions);
    const qsizetype rounds = sessions.size();
    setSessions(std::move(sessions));
    setSettings(normalizedSettings(read.data->settings));
    // Saved right below, not 250 ms later as well.
    m_savePending = false;
    ++m_debounceGeneration;
    if (saveDocument())
        toast(QStringLiteral("已从备份恢复 %1 轮记录。").arg(rounds));
    return true;
}

// --- Sync ------------------------------------------------------------------------------

void AppStore::setSyncState(const SyncState &state)
{
    if (m_sync == state)
        return;
    m_sync = state;
    saveDocument();
}

void AppStore::applySync(QList<StudySession> sessions, const std::optional<QStringList> &taskNames,
                         const SyncState &state)
{
    m_sync = state;
    if (sessions != m_sessions)
        setSessions(std::move(sessions));
    if (taskNames && *taskNames != m_settings.taskNames.value_or(QStringList())) {
        AppSettings s = m_settings;
        s.taskNames = *taskNames;
        setSettings(normalizedSettings(s));
        // Saved below with the rest, not 250 ms later as well.
        m_savePending = false;
        ++m_debounceGeneration;
    }
    saveDocument();
}

} // namespace tessary
