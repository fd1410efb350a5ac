// The review of an ended round, the task list and selection, history edits, appearance.

#include "AppStore.h"

#include "records/TextRules.h"

#include <algorithm>

namespace tessary {

namespace {
bool listContainsExactly(const std::optional<QStringList> &list, const QString &name)
{
    if (!list)
        return false;
    return std::any_of(list->cbegin(), list->cend(), [&](const QString &t) { return text::canonicallyEqual(t, name); });
}
} // namespace

void AppStore::saveCompletion(qint64 focusRating, qint64 endEnergy, const QString &note)
{
    // Only an ended round's review archives anything; a draft alone also exists while a
    // round runs, and archiving that would leave the round's deadlines behind.
    if (!m_draft || m_phase != SessionPhase::completed)
        return;
    StudySession s;
    s.id = Uuid::createRandom();
    s.startedAt = m_draft->startedAt;
    s.endedAt = now();
    s.taskName = m_draft->taskName;
    s.plannedMinutes = m_draft->plannedMinutes;
    s.focusedSeconds = m_focusedElapsedSeconds;
    s.reminderMinimumMinutes = m_settings.reminderMinimumMinutes;
    s.reminderMaximumMinutes = m_settings.reminderMaximumMinutes;
    s.microBreakSeconds = m_settings.microBreakSeconds;
    s.events = m_currentEvents;
    s.startEnergy = m_draft->startEnergy;
    s.endEnergy = endEnergy;
    s.focusRating = focusRating;
    s.completed = m_pendingCompleted;
    s.note = note;

    QList<StudySession> sessions = m_sessions;
    sessions.prepend(std::move(s));
    m_draft.reset();
    setPhase(SessionPhase::idle);
    setShowCompletionSheet(false);
    setSessions(std::move(sessions));
    // When the disk refuses, the banner says so instead: never a success that did not happen.
    if (saveDocument())
        toast(QStringLiteral("这一轮已存入你的专注档案。"));
}

std::optional<QString> AppStore::selectedTaskName() const
{
    if (!m_settings.selectedTaskName)
        return std::nullopt;
    const QString name = text::trimmed(*m_settings.selectedTaskName);
    if (name.isEmpty() || !listContainsExactly(m_settings.taskNames, name))
        return std::nullopt;
    return name;
}

void AppStore::selectTask(const std::optional<QString> &name)
{
    if (isSessionActive())
        return;
    AppSettings s = m_settings;
    if (!name) {
        s.selectedTaskName.reset();
    } else {
        const QString cleaned = text::cleanTaskName(*name);
        s.selectedTaskName = listContainsExactly(s.taskNames, cleaned) ? std::optional<QString>(cleaned) : std::nullopt;
    }
    setSettings(s);
}

bool AppStore::addTask(const QString &named)
{
    if (isSessionActive())
        return false;
    const QString cleaned = text::cleanTaskName(named);
    if (cleaned.isEmpty())
        return false;
    AppSettings s = m_settings;
    const QStringList tasks = s.taskNames.value_or(QStringList());
    for (const QString &existing : tasks) {
        if (text::equalIgnoringCaseAndDiacritics(existing, cleaned)) {
            s.selectedTaskName = existing;
            setSettings(s);
            toast(QStringLiteral("已选择任务“") + existing + QStringLiteral("”。"));
            return true;
        }
    }
    s.taskNames = tasks + QStringList{cleaned};
    s.selectedTaskName = cleaned;
    setSettings(s);
    toast(QStringLiteral("已新增并选择任务“") + cleaned + QStringLiteral("”。"));
    return true;
}

void AppStore::removeTask(const QString &named)
{
    AppSettings s = m_settings;
    QStringList tasks = s.taskNames.value_or(QStringList());
    tasks.removeIf([&](const QString &t) { return text::canonicallyEqual(t, named); });
    s.taskNames = tasks;
    if (s.selectedTaskName && text::canonicallyEqual(*s.selectedTaskName, named))
        s.selectedTaskName.reset();
    setSettings(s);
    toast(QStringLiteral("已从任务列表移除“") + named + QStringLiteral("”，历史记录仍保留。"));
}

qint64 AppStore::taskSessionCount(const QString &named) const
{
    return std::count_if(m_sessions.cbegin(), m_sessions.cend(),
                         [&](const StudySession &s) { return text::canonicallyEqual(s.displayTaskName(), named); });
}

void AppStore::removeSession(const StudySession &session)
{
    QList<StudySession> sessions = m_sessions;
    if (sessions.removeIf([&](const StudySession &s) { return s.id == session.id; }) == 0)
        return;
    setSessions(std::move(sessions));
    emit sessionRemoved(session.id);
    saveDocument();
}

void AppStore::removeSessionById(const QString &id)
{
    const auto uuid = Uuid::parse(id);
    if (!uuid)
        return;
    StudySession probe;
    probe.id = *uuid;
    removeSession(probe);
}

void AppStore::clearHistory()
{
    // Years of training end here only with a copy kept; without one, nothing is cleared.
    if (!takeBackup(backups::Kind::beforeClear)) {
        warn(QStringLiteral("没能先备份当前记录（") + saveProblemReasonFor(m_backupFailure)
             + QStringLiteral("），记录没有清空。"));
        return;
    }
    setSessions({});
    emit historyCleared();
    if (saveDocument())
        toast(QStringLiteral("专注记录已清空。"));
}

QVariantMap AppStore::sessionForEditing(const QString &id) const
{
    const auto uuid = Uuid::parse(id);
    const auto found = std::find_if(m_sessions.cbegin(), m_sessions.cend(),
                                    [&](const StudySession &s) { return uuid && s.id == *uuid; });
    if (found == m_sessions.cend())
        return {};
    const QString task = found->taskName ? text::trimmed(*found->taskName) : QString();
    QStringList tasks = m_settings.taskNames.value_or(QStringList());
    if (!task.isEmpty() && !listContainsExactly(tasks, task))
        tasks.prepend(task);
    return {{QStringLiteral("task"), task},
            {QStringLiteral("tasks"), tasks},
            {QStringLiteral("focusRating"), qint64(found->focusRating)},
            {QStringLiteral("startEnergy"), qint64(found->startEnergy)},
            {QStringLiteral("endEnergy"), qint64(found->endEnergy)},
            {QStringLiteral("note"), found->note}};
}

bool AppStore::editSession(const QString &id, const QString &task, qint64 focusRating, qint64 startEnergy,
                           qint64 endEnergy, const QString &note)
{
    const auto uuid = Uuid::parse(id);
    QList<StudySession> sessions = m_sessions;
    const auto found = std::find_if(sessions.begin(), sessions.end(),
                                    [&](const StudySession &s) { return uuid && s.id == *uuid; });
    if (found == sessions.end())
        return false;
    const QString cleaned = text::cleanTaskName(task);
    found->taskName = cleaned.isEmpty() ? std::nullopt : std::optional<QString>(cleaned);
    // The scales of the review sheet; the measured times and events stay as recorded.
    found->focusRating = std::clamp<qint64>(focusRating, 1, 5);
    found->startEnergy = std::clamp<qint64>(startEnergy, 1, 5);
    found->endEnergy = std::clamp<qint64>(endEnergy, 1, 5);
    found->note = note;
    setSessions(std::move(sessions));
    emit sessionEdited(*uuid);
    if (saveDocument())
        toast(QStringLiteral("已保存修改。"));
    return true;
}

void AppStore::toggleAppearance()
{
    AppSettings s = m_settings;
    s.appearanceMode = s.effectiveAppearanceMode() == AppearanceMode::light ? AppearanceMode::dark : AppearanceMode::light;
    setSettings(s);
}

} // namespace tessary
