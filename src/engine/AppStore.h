#pragma once

#include "Services.h"
#include "insights/Insights.h"
#include "records/AtomicFile.h"
#include "records/Backups.h"
#include "records/SessionRecords.h"
#include "records/Settings.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

#include <optional>

namespace tessary {

// A failed write's cause in the user's words ("磁盘空间不足").
QString saveProblemReasonFor(const WriteResult &result);

// The one observable object at the centre of the application: it owns the settings,
// the archive, the current round and the ambient mix's on/off state. Views read its
// properties and call its operations; they keep no round logic of their own.
//
// The implementation is split by concern: AppStore.cpp (construction, settings and
// their saving, the statistics), RoundLifecycle.cpp (start, tick, pause, finish,
// abandon), Reminders.cpp (micro-breaks, signals, sounds, the toast), Review.cpp
// (the review, tasks, history edits, appearance), Ambient.cpp (the ambient mix) and
// Safekeeping.cpp (failed saves and their retries, the emergency copy, backups, restoring).
//
// Main thread only. Every time-dependent rule reads the injected clock, so a late
// tick (or a machine that slept) loses no time.
class AppStore : public QObject {
    Q_OBJECT

public:
    // Mirrors SessionPhase for QML.
    enum Phase { Idle, Focusing, Paused, MicroBreak, Completed };
    Q_ENUM(Phase)

    Q_PROPERTY(int selectedSection READ selectedSection WRITE setSelectedSection NOTIFY selectedSectionChanged)
    Q_PROPERTY(Phase phase READ phaseValue NOTIFY phaseChanged)
    Q_PROPERTY(bool isSessionActive READ isSessionActive NOTIFY phaseChanged)
    Q_PROPERTY(qint64 remainingSeconds READ remainingSeconds NOTIFY remainingSecondsChanged)
    Q_PROPERTY(qint64 breakRemainingSeconds READ breakRemainingSeconds NOTIFY breakRemainingSecondsChanged)
    Q_PROPERTY(qint64 focusedElapsedSeconds READ focusedElapsedSeconds NOTIFY focusedElapsedSecondsChanged)
    Q_PROPERTY(qint64 currentStartEnergy READ currentStartEnergy WRITE setCurrentStartEnergy NOTIFY currentStartEnergyChanged)
    Q_PROPERTY(bool showCompletionSheet READ showCompletionSheet NOTIFY showCompletionSheetChanged)
    Q_PROPERTY(bool showSessionEndDialog READ showSessionEndDialog WRITE setShowSessionEndDialog NOTIFY showSessionEndDialogChanged)
    Q_PROPERTY(QString musicMessage READ musicMessageText NOTIFY musicMessageChanged)
    Q_PROPERTY(QString toastMessage READ toastMessageText NOTIFY toastMessageChanged)
    Q_PROPERTY(bool toastIsWarning READ toastIsWarning NOTIFY toastMessageChanged)
    Q_PROPERTY(bool isAmbientPlaying READ isAmbientPlaying NOTIFY isAmbientPlayingChanged)
    Q_PROPERTY(QString nextReminderDescription READ nextReminderDescription NOTIFY nextReminderDescriptionChanged)
    Q_PROPERTY(QString selectedTaskName READ selectedTaskNameText NOTIFY settingsChanged)
    Q_PROPERTY(QString draftTaskName READ draftTaskNameText NOTIFY phaseChanged)
    Q_PROPERTY(qint64 plannedSeconds READ plannedSeconds NOTIFY phaseChanged)
    Q_PROPERTY(int currentMindWanderCount READ currentMindWanderCount NOTIFY currentEventsChanged)
    Q_PROPERTY(int currentFatigueCount READ currentFatigueCount NOTIFY currentEventsChanged)
    Q_PROPERTY(int currentReminderCount READ currentReminderCount NOTIFY currentEventsChanged)

    Q_PROPERTY(qint64 todayMinutes READ todayMinutes NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 todayWanderCount READ todayWanderCount NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 todaySessionCount READ todaySessionCount NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 streakDays READ streakDays NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 attentionCapacityMinutes READ attentionCapacityMinutes NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 recommendedMinutes READ recommendedMinutes NOTIFY statisticsChanged)
    Q_PROPERTY(qint64 completedSessionCount READ completedSessionCount NOTIFY statisticsChanged)
    Q_PROPERTY(QString wanderRateText READ wanderRateText NOTIFY statisticsChanged)
    Q_PROPERTY(QString energyDropText READ energyDropText NOTIFY statisticsChanged)
    // What the banner says while the disk is behind memory; empty when everything is saved.
    Q_PROPERTY(QString saveProblemText READ saveProblemText NOTIFY saveStateChanged)
    Q_PROPERTY(QString saveProblemReason READ saveProblemReason NOTIFY saveStateChanged)

    explicit AppStore(StoreServices services, QObject *parent = nullptr);
    // Writes a pending debounced settings save before going.
    ~AppStore() override;

    // --- Published state -------------------------------------------------------
    int selectedSection() const { return static_cast<int>(m_selectedSection); }
    void setSelectedSection(int section);
    const AppSettings &settings() const { return m_settings; }
    // Every change is mapped to the ambient levels at once and saved after 250 ms
    // without further changes (normalised first).
    void setSettings(const AppSettings &settings);
    const QList<StudySession> &sessions() const { return m_sessions; }
    SessionPhase phase() const { return m_phase; }
    Phase phaseValue() const { return static_cast<Phase>(m_phase); }
    bool isSessionActive() const { return isActivePhase(m_phase); }
    qint64 remainingSeconds() const { return m_remainingSeconds; }
    qint64 breakRemainingSeconds() const { return m_breakRemainingSeconds; }
    qint64 focusedElapsedSeconds() const { return m_focusedElapsedSeconds; }
    const QList<FocusEvent> &currentEvents() const { return m_currentEvents; }
    int currentMindWanderCount() const { return countCurrent(FocusEventKind::mindWander); }
    int currentFatigueCount() const { return countCurrent(FocusEventKind::fatigue); }
    int currentReminderCount() const { return countCurrent(FocusEventKind::reminder); }
    qint64 plannedSeconds() const { return m_plannedSeconds; }
    qint64 currentStartEnergy() const { return m_currentStartEnergy; }
    void setCurrentStartEnergy(qint64 energy);
    bool showCompletionSheet() const { return m_showCompletionSheet; }
    bool showSessionEndDialog() const { return m_showSessionEndDialog; }
    void setShowSessionEndDialog(bool show);
    const std::optional<QString> &musicMessage() const { return m_musicMessage; }
    QString musicMessageText() const { return m_musicMessage.value_or(QString()); }
    void setMusicMessage(std::optional<QString> message);
    const std::optional<QString> &toastMessage() const { return m_toastMessage; }
    QString toastMessageText() const { return m_toastMessage.value_or(QString()); }
    bool isAmbientPlaying() const { return m_isAmbientPlaying; }
    const std::optional<SessionDraft> &draft() const { return m_draft; }
    QString draftTaskNameText() const { return m_draft && m_draft->taskName ? *m_draft->taskName : QString(); }

    // --- Round lifecycle -------------------------------------------------------
    Q_INVOKABLE void startSession() { startSession(std::nullopt); }
    void startSession(std::optional<std::int64_t> minutes);
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void finishSession(bool completed);
    Q_INVOKABLE void abandonSession();
    // The 0.25 s timer's work: recomputes the countdown from the clock and fires what is due.
    void tick();

    // --- Reminders, micro-breaks, signals --------------------------------------
    Q_INVOKABLE void resumeAfterMicroBreak();
    Q_INVOKABLE void recordMindWander();
    Q_INVOKABLE void recordFatigue();
    Q_INVOKABLE void playSound(const QString &name);
    Q_INVOKABLE void toast(const QString &text);
    // A toast that says something did not happen (shown with a warning sign, not a check mark).
    void warn(const QString &text);
    bool toastIsWarning() const { return m_toastIsWarning; }
    QString nextReminderDescription() const;

    // --- Review, tasks, history ------------------------------------------------
    Q_INVOKABLE void saveCompletion(qint64 focusRating, qint64 endEnergy, const QString &note);
    std::optional<QString> selectedTaskName() const;
    QString selectedTaskNameText() const { return selectedTaskName().value_or(QString()); }
    void selectTask(const std::optional<QString> &name);
    Q_INVOKABLE void selectTask(const QString &name) { selectTask(std::optional<QString>(name)); }
    Q_INVOKABLE void clearTaskSelection() { selectTask(std::nullopt); }
    Q_INVOKABLE bool addTask(const QString &named);
    Q_INVOKABLE void removeTask(const QString &named);
    Q_INVOKABLE qint64 taskSessionCount(const QString &named) const;
    void removeSession(const StudySession &session);
    Q_INVOKABLE void removeSessionById(const QString &id);
    Q_INVOKABLE void clearHistory();
    // An archived round's review as the edit sheet starts from: {task ("" for none), tasks (the
    // task list and the round's own name), focusRating, startEnergy, endEnergy, note}; empty
    // for an id the archive does not hold.
    Q_INVOKABLE QVariantMap sessionForEditing(const QString &id) const;
    // Replaces what a review recorded (task, ratings, note; never the measured times and events),
    // saves at once and toasts "已保存修改。". False for an unknown id.
    Q_INVOKABLE bool editSession(const QString &id, const QString &task, qint64 focusRating, qint64 startEnergy,
                                 qint64 endEnergy, const QString &note);
    Q_INVOKABLE void toggleAppearance();

    // --- Ambient sounds --------------------------------------------------------
    Q_INVOKABLE void toggleAmbientPlayback();
    bool isAmbientSelected(AmbientSound sound) const;
    void toggleAmbientSound(AmbientSound sound);
    void setAmbientVolume(double value, AmbientSound sound);
    // The same for QML, by the sound's string form ("rain"); unknown names do nothing.
    Q_INVOKABLE bool isAmbientSelected(const QString &sound) const;
    Q_INVOKABLE void toggleAmbientSound(const QString &sound);
    Q_INVOKABLE void setAmbientVolume(double value, const QString &sound);
    void playAmbient();

    // --- Music -----------------------------------------------------------------
    Q_INVOKABLE void testMusic();

    // --- Statistics (recomputed on every read) ---------------------------------
    insights::Calendar calendar() const;
    QList<StudySession> todaySessions() const;
    qint64 todayMinutes() const;
    qint64 todayWanderCount() const;
    qint64 todaySessionCount() const { return todaySessions().size(); }
    qint64 streakDays() const;
    QList<insights::DaySummary> weeklySummaries() const;
    QList<insights::TaskSummary> taskSummaries() const;
    qint64 attentionCapacityMinutes() const;
    qint64 recommendedMinutes() const;
    qint64 completedSessionCount() const;
    QString wanderRateText() const;
    QString energyDropText() const;

    // Writes a pending debounced settings save now (used on quit).
    void flushPendingSave();

    // --- Safekeeping (Safekeeping.cpp) -----------------------------------------
    // True while memory holds something the document on disk does not.
    bool hasUnsavedChanges() const { return m_savePending || !m_saveFailure.ok(); }
    const WriteResult &saveFailure() const { return m_saveFailure; }
    QString saveProblemText() const;
    // The cause of the last failed save in plain words ("磁盘空间不足"); empty when saved.
    QString saveProblemReason() const;
    // Writes what memory holds that the disk does not; true when nothing is left unsaved.
    bool trySaveNow();
    // The same for the banner's button: a failure toasts that it still failed, so the click is answered.
    Q_INVOKABLE void retrySave();
    // The last chance before quitting: saves what is pending; when the disk still refuses,
    // writes the emergency copy and says where on stderr and in the log. True when nothing is lost.
    bool saveBeforeQuit();
    // Restores the archive and settings of a backup, after backing up what is there now. Refused
    // (with a toast, nothing replaced) while a round runs or awaits review, or when the backup
    // cannot be read.
    Q_INVOKABLE bool restoreBackup(const QString &path);
    QString backupDirectory() const;
    // Settings, archive and sync state as the document holds them.
    PersistedData document() const { return PersistedData{m_settings, m_sessions, m_sync}; }

    // --- Sync (the archive shared through a synced folder) --------------------
    const std::optional<SyncState> &syncState() const { return m_sync; }
    // Keeps this computer's sync state and saves it with the document.
    void setSyncState(const SyncState &state);
    // Takes what a merge of the computers' files gave: the archive, the task list when it came
    // from elsewhere, and the state; one save. A running round and its review are untouched.
    void applySync(QList<StudySession> sessions, const std::optional<QStringList> &taskNames, const SyncState &state);
    const QString &dataFilePath() const { return m_services.dataFilePath; }

signals:
    void selectedSectionChanged();
    void settingsChanged();
    void sessionsChanged();
    void phaseChanged();
    // A round reached its planned length (not ended by hand); its review is now open.
    void roundRanOut();
    void remainingSecondsChanged();
    void breakRemainingSecondsChanged();
    void focusedElapsedSecondsChanged();
    void currentStartEnergyChanged();
    void showCompletionSheetChanged();
    void showSessionEndDialogChanged();
    void musicMessageChanged();
    void toastMessageChanged();
    void isAmbientPlayingChanged();
    void nextReminderDescriptionChanged();
    void currentEventsChanged();
    // The archive changed or a new calendar day began.
    void statisticsChanged();
    // A save failed, or the first save after failures succeeded.
    void saveStateChanged();
    // The user deleted a round / cleared the archive (not a merge): sync tells the other computers.
    void sessionRemoved(const Uuid &id);
    void sessionEdited(const Uuid &id);
    void historyCleared();

private:
    // RoundLifecycle.cpp
    void setPhase(SessionPhase phase);
    void setRemainingSeconds(qint64 v);
    void setBreakRemainingSeconds(qint64 v);
    void setFocusedElapsedSeconds(qint64 v);
    void setShowCompletionSheet(bool show);
    void setAmbientPlaying(bool playing);
    void stopAmbientIfPlaying();
    // Recomputes remaining and elapsed seconds; returns the exact seconds left.
    double updateCountdownFrom(Timestamp now);

    // Reminders.cpp
    // From the moment the focusing stretch began, the one its end is counted from: the views
    // that follow the phase change take time, and the reminder's seconds must turn over on
    // the same tick as the countdown's.
    void scheduleNextReminder(Timestamp stretchStart);
    void refreshNextReminderDescription();
    void fitTickToPhase();
    void beginMicroBreak();
    void appendEvent(FocusEventKind kind);
    void showToast(const QString &text, bool warning);

    // AppStore.cpp
    void onSettingsChanged();
    void deliverDebouncedSettings(quint64 generation);
    void normalizeSettings();
    // Saves settings and archive; on failure keeps the reason and schedules a retry.
    bool saveDocument();

    // Safekeeping.cpp
    void scheduleSaveRetry();
    void recoverEmergencyCopies();
    void takeDailyBackup();
    bool takeBackup(backups::Kind kind);
    void setSessions(QList<StudySession> sessions);
    Timestamp now() const { return m_services.clock->now(); }
    int countCurrent(FocusEventKind kind) const;
    void setCurrentEvents(QList<FocusEvent> events);

    StoreServices m_services;

    // Published state.
    AppSection m_selectedSection = AppSection::focus;
    AppSettings m_settings;
    QList<StudySession> m_sessions;
    SessionPhase m_phase = SessionPhase::idle;
    qint64 m_remainingSeconds = 0;
    qint64 m_breakRemainingSeconds = 0;
    qint64 m_focusedElapsedSeconds = 0;
    QList<FocusEvent> m_currentEvents;
    qint64 m_currentStartEnergy = 4;
    bool m_showCompletionSheet = false;
    bool m_showSessionEndDialog = false;
    std::optional<QString> m_musicMessage;
    std::optional<QString> m_toastMessage;
    bool m_isAmbientPlaying = false;

    // Private round state.
    std::optional<Timestamp> m_focusEndDate;
    std::optional<Timestamp> m_microBreakEndDate;
    std::optional<Timestamp> m_nextReminderDate;
    QString m_shownNextReminderDescription = QStringLiteral("—");
    double m_pausedRemaining = 0.0; // seconds, exact
    qint64 m_plannedSeconds = 0;
    std::optional<SessionDraft> m_draft;
    bool m_pendingCompleted = false;

    // Settings wiring.
    std::optional<AmbientLevels> m_lastLevels;
    quint64 m_debounceGeneration = 0;
    bool m_savePending = false;
    quint64 m_toastGeneration = 0;
    bool m_toastIsWarning = false;

    // Safekeeping.
    WriteResult m_saveFailure;
    WriteResult m_backupFailure;
    bool m_saveRetryScheduled = false;
    QStringList m_recoveredCopies; // removed once a save has taken them in
    std::optional<SyncState> m_sync;
    std::int64_t m_lastBackupDay = -1;
    std::int64_t m_lastTickDay = 0;

    QTimer m_tickTimer;
};

} // namespace tessary
