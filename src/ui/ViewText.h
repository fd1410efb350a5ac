#pragma once

#include "records/SessionRecords.h"

#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>

#include <array>

#include <cstdint>
#include <optional>

// Texts and small rules the screens derive from store state, kept out of QML so
// tests can hold them to their exact words.
namespace tessary::ui {

// "05:00"-style countdown; during a micro-break the seconds alone ("7").
QString timerText(SessionPhase phase, std::int64_t selectedMinutes, std::int64_t remainingSeconds,
                  std::int64_t breakRemainingSeconds);
// The line under the countdown: "<task> · 净专注剩余" and the like, or "准备开始".
QString timerCaption(SessionPhase phase, const QString &taskLabel);
// The task shown for the round: the draft's task, else the selection, else "未分类".
QString taskLabel(const std::optional<QString> &draftTask, const std::optional<QString> &selectedTask);
// How much of the ring is drawn, 0.01…1 during a round, 1 outside one.
double ringProgress(bool active, std::int64_t focusedElapsedSeconds, std::int64_t plannedSeconds);
QString dayGreeting(int hour);
// "很低" … "充沛" for an energy score; scores outside 1…5 take the nearest label.
QString energyLabel(std::int64_t energy);
QString phaseSymbol(SessionPhase phase);
// The menu-bar popover's time: "%02d:%02d", never below 00:00.
QString menuTimeText(std::int64_t remainingSeconds);
// What the tray offers: "start" (no round), "review" (a review is pending: never a
// new round under it), "running" (focusing or paused) or "break".
QString menuBarMode(SessionPhase phase);
// Whether the floating countdown belongs on screen.
bool floatingTimerVisible(bool mainWindowMinimised, bool sessionActive, std::optional<bool> floatingTimerOnMinimize,
                          std::optional<bool> floatingSignalButtons);

// The floating countdown panel.
namespace floating {
// "%02d:%02d" of the remaining time, never below 00:00; during a micro-break "<seconds> 秒".
QString timerText(SessionPhase phase, std::int64_t remainingSeconds, std::int64_t breakRemainingSeconds);
// Full during a micro-break; otherwise the share of the round done, never below 0.02 so the
// arc is always visible.
double ringProgress(SessionPhase phase, std::int64_t focusedElapsedSeconds, std::int64_t plannedSeconds);
// A theme colour name: amber while paused, blue during a micro-break, mint otherwise.
const char *statusTint(SessionPhase phase);
QString statusText(SessionPhase phase);
QString statusSymbol(SessionPhase phase);
// The panel's size for the sections shown; empty when neither is.
QSize panelSize(bool timerShown, bool signalsShown);
} // namespace floating

// The ambient card's status line for the selected sounds (in selection order).
QString ambientStatusText(const QStringList &selectedTitles, bool playing);

// One ambient sound as its tile shows it.
struct AmbientSoundInfo {
    const char *id; // the sound's string form
    QString title;
    QString description;
    const char *symbol;
    const char *tint; // a theme colour name
};
const std::array<AmbientSoundInfo, 8> &ambientSoundCatalog();

} // namespace tessary::ui

namespace tessary {
class AppStore;
}

namespace tessary::ui {

// The same rules for QML. Times come from the store's clock and zone.
class ViewText : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariantList ambientSounds READ ambientSounds CONSTANT)
    // Follows the clock while the window stays open: looked at once a minute.
    Q_PROPERTY(QString dayGreeting READ dayGreeting NOTIFY dayGreetingChanged)
public:
    explicit ViewText(const AppStore *store, QObject *parent = nullptr);
    Q_INVOKABLE QString taskLabel(const QString &draftTask, const QString &selectedTask) const;
    Q_INVOKABLE QString ambientStatusText(const QStringList &selectedIds, bool playing) const;
    QVariantList ambientSounds() const;
    Q_INVOKABLE QString timerText(int phase, qint64 selectedMinutes, qint64 remaining, qint64 breakRemaining) const;
    Q_INVOKABLE QString timerCaption(int phase, const QString &taskLabel) const;
    Q_INVOKABLE double ringProgress(bool active, qint64 elapsed, qint64 planned) const;
    QString dayGreeting() const;
    Q_INVOKABLE QString energyLabel(qint64 energy) const;
    Q_INVOKABLE QString phaseSymbol(int phase) const;
    Q_INVOKABLE QString menuTimeText(qint64 remaining) const;
    Q_INVOKABLE QString menuBarMode(int phase) const;
    Q_INVOKABLE QString clockText(qint64 seconds) const;
    Q_INVOKABLE QString floatingTimerText(int phase, qint64 remaining, qint64 breakRemaining) const;
    Q_INVOKABLE double floatingRingProgress(int phase, qint64 elapsed, qint64 planned) const;
    Q_INVOKABLE QString floatingStatusTint(int phase) const;
    Q_INVOKABLE QString floatingStatusText(int phase) const;
    Q_INVOKABLE QString floatingStatusSymbol(int phase) const;
    Q_INVOKABLE QSize floatingPanelSize(bool timerShown, bool signalsShown) const;

signals:
    void dayGreetingChanged();

private:
    const AppStore *m_store;
    QString m_shownGreeting;
    QTimer m_greetingTimer;
};

} // namespace tessary::ui
