#pragma once

#include "records/SessionRecords.h"

#include <QAbstractListModel>
#include <QTimeZone>

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// The archive as the history screen lists it: one row per session, newest first,
// each row's texts made only when a delegate asks for them (a ListView creates
// delegates for the rows on screen). The summary figures are properties.
//
// It follows the store's archive: a single round removed or added becomes a row
// removal or insertion, so the list keeps its place; anything else resets it.
// Main thread only.
class HistoryModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(bool empty READ empty NOTIFY summaryChanged)
    Q_PROPERTY(int count READ count NOTIFY summaryChanged)
    Q_PROPERTY(QString sessionCountText READ sessionCountText NOTIFY summaryChanged)
    Q_PROPERTY(QString totalMinutesText READ totalMinutesText NOTIFY summaryChanged)
    Q_PROPERTY(QString averageRatingText READ averageRatingText NOTIFY summaryChanged)

public:
    enum Role {
        SessionIdRole = Qt::UserRole + 1,
        DayRole,        // "06"
        MonthRole,      // "12月"
        MinutesRole,    // "25 分钟专注"
        CompletedRole,  // bool
        TaskRole,       // display task name
        UntaggedRole,   // bool: the task is "未分类"
        TimeRole,       // "15:30"
        RatingRole,     // "4/5"
        WanderRole,     // "2"
        EnergyRole,     // "3→2"
        RemindersRole,  // "3–5"
        NoteRole,       // the note on one line, or "没有写本轮备注"
        HasNoteRole,    // bool
    };
    Q_ENUM(Role)

    explicit HistoryModel(AppStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool empty() const { return m_rows.isEmpty(); }
    int count() const { return int(m_rows.size()); }
    QString sessionCountText() const { return QString::number(m_rows.size()); }
    QString totalMinutesText() const;
    QString averageRatingText() const;
    // The id of the round in a row ("" outside the list), for the delete confirmation.
    Q_INVOKABLE QString sessionIdAt(int row) const;

signals:
    void summaryChanged();

private:
    void follow(const QList<StudySession> &sessions);

    AppStore *m_store;
    QList<StudySession> m_rows; // shares the store's list until the store replaces it
    QTimeZone m_zone;
    std::int64_t m_totalMinutes = 0;
    double m_averageRating = 0.0;
};

} // namespace tessary::ui
