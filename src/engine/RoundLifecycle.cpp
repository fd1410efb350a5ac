// Start, the timed countdown, pause and resume, the end of a round and abandoning it.

#include "AppStore.h"

#include "records/LocalTime.h"

#include <cmath>

namespace tessary {

namespace {
// Whole seconds left, rounded up, from an exact remainder.
qint64 ceilSeconds(double seconds) { return static_cast<qint64>(std::ceil(seconds)); }
} // namespace

void AppStore::setPhase(SessionPhase phase)
{
    if (phase == m_phase)
        return;
    m_phase = phase;
    fitTickToPhase();
    emit phaseChanged();
    refreshNextReminderDescription();
}

void AppStore::setRemainingSeconds(qint64 v)
{
    if (v == m_remainingSeconds)
        return;
    m_remainingSeconds = v;
    emit remainingSecondsChanged();
}

void AppStore::setBreakRemainingSeconds(qint64 v)
{
    if (v == m_breakRemainingSeconds)
        return;
    m_breakRemainingSeconds = v;
    emit breakRemainingSecondsChanged();
}

void AppStore::setFocusedElapsedSeconds(qint64 v)
{
    if (v == m_focusedElapsedSeconds)
        return;
    m_focusedElapsedSeconds = v;
    emit focusedElapsedSecondsChanged();
}

void AppStore::setShowCompletionSheet(bool show)
{
    if (show == m_showCompletionSheet)
        return;
    m_showCompletionSheet = show;
    emit showCompletionSheetChanged();
}

void AppStore::setAmbientPlaying(bool playing)
{
    if (playing == m_isAmbientPlaying)
        return;
    m_isAmbientPlaying = playing;
    emit isAmbientPlayingChanged();
}

void AppStore::stopAmbientIfPlaying()
{
    if (!m_isAmbientPlaying)
        return;
    m_services.ambient->stop();
    setAmbientPlaying(false);
}

void AppStore::startSession(std::optional<std::int64_t> minutes)
{
    if (isSessionActive())
        return;
    normalizeSettings();
    const std::int64_t m = minutes.value_or(m_settings.selectedDurationMinutes);
    AppSettings s = m_settings;
    s.selectedDurationMinutes = m;
    setSettings(s);

    const Timestamp start = now();
    SessionDraft draft;
    draft.startedAt = start;
    draft.plannedMinutes = m;
    draft.taskName = selectedTaskName();
    draft.startEnergy = m_currentStartEnergy;
    m_draft = draft; // an unreviewed earlier round is dropped
    setCurrentEvents({});

    m_plannedSeconds = m * 60;
    setRemainingSeconds(m_plannedSeconds);
    setFocusedElapsedSeconds(0);
    m_pausedRemaining = double(m_plannedSeconds);
    m_focusEndDate = start.addSecs(m_plannedSeconds);
    m_microBreakEndDate.reset();
    m_pendingCompleted = false;
    setPhase(SessionPhase::focusing);
    emit phaseChanged(); // the draft's task changed even when the phase did not
    scheduleNextReminder(start);
    if (m_settings.effectiveAmbientFollowsFocus())
        playAmbient();
    toast(QStringLiteral("开始这一轮。先只做好眼前的一小段。"));
}

double AppStore::updateCountdownFrom(Timestamp t)
{
    const double r = std::max(m_focusEndDate ? m_focusEndDate->secondsSince(t) : m_pausedRemaining, 0.0);
    setRemainingSeconds(ceilSeconds(r));
    setFocusedElapsedSeconds(std::max<qint64>(m_plannedSeconds - m_remainingSeconds, 0));
    return r;
}

void AppStore::tick()
{
    const Timestamp t = now();

    // A new calendar day changes "today" and the streak without any archive change.
    const std::int64_t day = LocalTime(m_services.zone).dayIndex(t);
    if (day != m_lastTickDay) {
        m_lastTickDay = day;
        emit statisticsChanged();
        takeDailyBackup(); // an instance that stays in the tray for days still backs up daily
    }

    switch (m_phase) {
    case SessionPhase::microBreak: {
        const double r = std::max(m_microBreakEndDate ? m_microBreakEndDate->secondsSince(t) : 0.0, 0.0);
        setBreakRemainingSeconds(ceilSeconds(r));
        if (r <= 0)
            resumeAfterMicroBreak();
        break;
    }
    case SessionPhase::focusing: {
        if (updateCountdownFrom(t) > 0) {
            if (m_nextReminderDate && t >= *m_nextReminderDate)
                beginMicroBreak();
        } else {
            finishSession(true);
            emit roundRanOut();
        }
        break;
    }
    default:
        break;
    }
    refreshNextReminderDescription();
}

void AppStore::togglePause()
{
    const Timestamp t = now();
    if (m_phase == SessionPhase::paused) {
        m_focusEndDate = t.addMSecs(std::llround(m_pausedRemaining * 1000.0));
        appendEvent(FocusEventKind::resume);
        setPhase(SessionPhase::focusing);
        scheduleNextReminder(t);
        if (m_settings.effectiveAmbientFollowsFocus())
            playAmbient();
    } else if (m_phase == SessionPhase::focusing) {
        m_pausedRemaining = m_focusEndDate ? std::max(m_focusEndDate->secondsSince(t), 0.0) : double(m_remainingSeconds);
        m_focusEndDate.reset();
        m_nextReminderDate.reset();
        appendEvent(FocusEventKind::pause);
        setPhase(SessionPhase::paused);
        if (m_settings.effectiveAmbientFollowsFocus())
            stopAmbientIfPlaying();
    }
}

void AppStore::finishSession(bool completed)
{
    // Only a running round can end; ending nothing would open a review with no round.
    if (!isSessionActive())
        return;
    if (m_phase == SessionPhase::focusing) {
        const double r = m_focusEndDate ? std::max(m_focusEndDate->secondsSince(now()), 0.0) : 0.0;
        setRemainingSeconds(ceilSeconds(r));
        setFocusedElapsedSeconds(std::max<qint64>(m_plannedSeconds - m_remainingSeconds, 0));
    }
    m_pendingCompleted = completed;
    m_focusEndDate.reset();
    m_nextReminderDate.reset();
    m_microBreakEndDate.reset();
    setPhase(SessionPhase::completed);
    setShowSessionEndDialog(false);
    playSound(m_settings.completionSound);
    setShowCompletionSheet(true);
    if (m_settings.effectiveAmbientFollowsFocus() || m_settings.autoPlayMusic)
        stopAmbientIfPlaying();
    if (m_settings.autoPlayMusic)
        testMusic();
}

void AppStore::abandonSession()
{
    if (!isSessionActive() && m_phase != SessionPhase::completed && !m_draft)
        return;
    m_focusEndDate.reset();
    m_microBreakEndDate.reset();
    m_nextReminderDate.reset();
    m_pausedRemaining = 0;
    m_plannedSeconds = 0;
    setRemainingSeconds(0);
    setBreakRemainingSeconds(0);
    setFocusedElapsedSeconds(0);
    m_draft.reset();
    setCurrentEvents({});
    m_pendingCompleted = false;
    setPhase(SessionPhase::idle);
    emit phaseChanged();
    setShowSessionEndDialog(false);
    setShowCompletionSheet(false);
    setMusicMessage(std::nullopt);
    if (m_settings.effectiveAmbientFollowsFocus())
        stopAmbientIfPlaying();
    toast(QStringLiteral("这轮已放弃，不会计入任何专注数据。"));
}

} // namespace tessary
