#include "HistoryModel.h"

#include "ArchiveText.h"
#include "engine/AppStore.h"
#include "insights/Insights.h"
#include "records/TextRules.h"

namespace tessary::ui {

namespace {

// Where `after` differs from `before` by exactly one element at one index, that index.
// `longer` is the list with the extra element.
qsizetype singleDifference(const QList<StudySession> &longer, const QList<StudySession> &shorter)
{
    if (longer.size() != shorter.size() + 1)
        return -1;
    qsizetype i = 0;
    while (i < shorter.size() && longer[i].id == shorter[i].id)
        ++i;
    for (qsizetype j = i; j < shorter.size(); ++j)
        if (longer[j + 1].id != shorter[j].id)
            return -1;
    return i;
}

bool sameIds(const QList<StudySession> &a, const QList<StudySession> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].id != b[i].id)
            return false;
    return true;
}

} // namespace

HistoryModel::HistoryModel(AppStore *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store), m_zone(store->calendar().zone)
{
    m_rows = store->sessions();
    const auto totals = insights::archiveTotals(m_rows);
    m_totalMinutes = totals.minutes;
    m_averageRating = totals.averageRating;
    connect(store, &AppStore::sessionsChanged, this, [this] { follow(m_store->sessions()); });
}

void HistoryModel::follow(const QList<StudySession> &sessions)
{
    if (qsizetype at = singleDifference(m_rows, sessions); at >= 0) {
        beginRemoveRows({}, int(at), int(at));
        m_rows = sessions;
        endRemoveRows();
    } else if (qsizetype at = singleDifference(sessions, m_rows); at >= 0) {
        beginInsertRows({}, int(at), int(at));
        m_rows = sessions;
        endInsertRows();
    } else if (sameIds(m_rows, sessions)) {
        m_rows = sessions;
        if (!m_rows.isEmpty())
            emit dataChanged(index(0), index(int(m_rows.size()) - 1));
    } else {
        beginResetModel();
        m_rows = sessions;
        endResetModel();
    }
    const auto totals = insights::archiveTotals(m_rows);
    m_totalMinutes = totals.minutes;
    m_averageRating = totals.averageRating;
    emit summaryChanged();
}

int HistoryModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return {};
    const StudySession &s = m_rows[index.row()];
    switch (role) {
    case SessionIdRole: return s.id.toString();
    case DayRole: return dayOfMonthText(s.startedAt.toDateTime().toTimeZone(m_zone));
    case MonthRole: return monthText(s.startedAt.toDateTime().toTimeZone(m_zone));
    case TimeRole: return startTimeText(s.startedAt.toDateTime().toTimeZone(m_zone));
    case MinutesRole: return sessionMinutesText(s.focusedSeconds);
    case CompletedRole: return s.completed;
    case TaskRole: return s.displayTaskName();
    case UntaggedRole: return s.displayTaskName() == text::uncategorizedTaskName();
    case RatingRole: return ratingOutOfFiveText(s.focusRating);
    case WanderRole: return QString::number(s.mindWanderCount());
    case EnergyRole: return energyChangeText(s.startEnergy, s.endEnergy);
    case RemindersRole: return reminderRangeText(s.reminderMinimumMinutes, s.reminderMaximumMinutes);
    case NoteRole: return noteLineText(s.note);
    case HasNoteRole: return !s.note.isEmpty();
    default: return {};
    }
}

QHash<int, QByteArray> HistoryModel::roleNames() const
{
    return {{SessionIdRole, "sessionId"}, {DayRole, "day"},           {MonthRole, "month"},
            {MinutesRole, "minutesText"}, {CompletedRole, "completed"}, {TaskRole, "task"},
            {UntaggedRole, "untagged"},   {TimeRole, "time"},         {RatingRole, "rating"},
            {WanderRole, "wander"},       {EnergyRole, "energy"},     {RemindersRole, "reminders"},
            {NoteRole, "note"},           {HasNoteRole, "hasNote"}};
}

QString HistoryModel::sessionIdAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row].id.toString() : QString();
}

QString HistoryModel::totalMinutesText() const { return QString::number(m_totalMinutes); }
QString HistoryModel::averageRatingText() const { return oneDecimalText(m_averageRating); }

} // namespace tessary::ui
