// Random reminders and micro-breaks, the one-click signals, sounds and the toast.

#include "AppStore.h"

#include "records/TextRules.h"


#include <array>
#include <cmath>

namespace tessary {

namespace {
constexpr int kToastMs = 3000;
// What "随机" picks from.
const std::array<QString, 7> kRandomSoundPool{
    QStringLiteral("Glass"), QStringLiteral("Ping"), QStringLiteral("Pop"),   QStringLiteral("Tink"),
    QStringLiteral("Submarine"), QStringLiteral("Purr"), QStringLiteral("Morse"),
};
} // namespace

void AppStore::scheduleNextReminder(Timestamp stretchStart)
{
    const std::int64_t lower = std::max<std::int64_t>(m_settings.reminderMinimumMinutes * 60, 1);
    const std::int64_t upper = std::max<std::int64_t>(m_settings.reminderMaximumMinutes * 60, lower);
    const std::int64_t d = m_services.random->uniform(lower, upper);
    // A reminder only when it falls before the end of this focusing stretch.
    if (double(d) < std::trunc(m_pausedRemaining))
        m_nextReminderDate = stretchStart.addSecs(d);
    else
        m_nextReminderDate.reset();
    refreshNextReminderDescription();
}

void AppStore::beginMicroBreak()
{
    const Timestamp t = now();
    m_pausedRemaining = m_focusEndDate ? std::max(m_focusEndDate->secondsSince(t), 0.0) : double(m_remainingSeconds);
    m_focusEndDate.reset();
    m_nextReminderDate.reset();
    setBreakRemainingSeconds(m_settings.microBreakSeconds);
    m_microBreakEndDate = t.addSecs(m_settings.microBreakSeconds);
    appendEvent(FocusEventKind::reminder);
    setPhase(SessionPhase::microBreak);
    playSound(m_settings.reminderSound);
}

void AppStore::resumeAfterMicroBreak()
{
    m_microBreakEndDate.reset();
    setBreakRemainingSeconds(0);
    const Timestamp t = now();
    m_focusEndDate = t.addMSecs(std::llround(m_pausedRemaining * 1000.0));
    setPhase(SessionPhase::focusing);
    scheduleNextReminder(t);
}

void AppStore::appendEvent(FocusEventKind kind)
{
    QList<FocusEvent> events = m_currentEvents;
    events.append(FocusEvent{Uuid::createRandom(), now(), m_focusedElapsedSeconds, kind});
    setCurrentEvents(std::move(events));
}

void AppStore::recordMindWander()
{
    if (m_phase != SessionPhase::focusing && m_phase != SessionPhase::paused)
        return;
    appendEvent(FocusEventKind::mindWander);
    toast(QStringLiteral("记下了。发现走神，本身就是注意力回来了。"));
}

void AppStore::recordFatigue()
{
    if (m_phase != SessionPhase::focusing && m_phase != SessionPhase::paused)
        return;
    appendEvent(FocusEventKind::fatigue);
    toast(QStringLiteral("已记录疲劳信号。必要时提前结束比硬撑更有价值。"));
}

void AppStore::playSound(const QString &name)
{
    if (name == QStringLiteral("随机")) {
        const auto i = m_services.random->uniform(0, std::int64_t(kRandomSoundPool.size()) - 1);
        m_services.sounds->play(kRandomSoundPool[size_t(i)]);
        return;
    }
    m_services.sounds->play(name);
}

void AppStore::warn(const QString &text) { showToast(text, true); }

void AppStore::toast(const QString &text) { showToast(text, false); }

void AppStore::showToast(const QString &text, bool warning)
{
    m_toastIsWarning = warning;
    m_toastMessage = text;
    emit toastMessageChanged();
    // Each message gets its full three seconds, also when the same text is shown
    // again before the first one's time is up.
    const quint64 generation = ++m_toastGeneration;
    m_services.scheduler->after(kToastMs, this, [this, generation] {
        if (generation != m_toastGeneration || !m_toastMessage)
            return;
        m_toastMessage.reset();
        emit toastMessageChanged();
    });
}

QString AppStore::nextReminderDescription() const
{
    if (m_phase != SessionPhase::focusing || !m_nextReminderDate)
        return QStringLiteral("—");
    const std::int64_t s = std::max<std::int64_t>((m_nextReminderDate->msecsSinceEpoch() - now().msecsSinceEpoch()) / 1000, 0);
    return text::clockText(s);
}

void AppStore::refreshNextReminderDescription()
{
    // Views bind to the text, so only a different text is a change: an idle tick wakes nothing.
    QString d = nextReminderDescription();
    if (d == m_shownNextReminderDescription)
        return;
    m_shownNextReminderDescription = std::move(d);
    emit nextReminderDescriptionChanged();
}

} // namespace tessary
