#include "AppStore.h"

#include "records/LocalTime.h"
#include "records/Persistence.h"

#include <QPointer>

#include <algorithm>

namespace tessary {

namespace {
constexpr int kSaveDebounceMs = 250;
constexpr int kTickIntervalMs = 250;
// With no countdown running only the calendar day moves; noticing it half a minute late costs
// nothing, and an app open all day then wakes twice a minute instead of four times a second.
constexpr int kQuietTickIntervalMs = 30000;
} // namespace

AppStore::AppStore(StoreServices services, QObject *parent) : QObject(parent), m_services(std::move(services))
{
    Q_ASSERT(m_services.clock && m_services.random && m_services.scheduler && m_services.sounds
             && m_services.ambient && m_services.music);

    // 1–3. Load the document (defaults when missing or unreadable), newest first.
    auto loaded = Persistence::load(m_services.dataFilePath);
    m_settings = std::move(loaded.data.settings);
    m_sessions = std::move(loaded.data.sessions);
    m_sync = std::move(loaded.data.sync);
    std::stable_sort(m_sessions.begin(), m_sessions.end(),
                     [](const StudySession &a, const StudySession &b) { return a.startedAt > b.startedAt; });
    // A day's first backup is of the document as it was found; one that could not be read
    // is already kept aside and backing up the defaults would only push good backups out.
    if (loaded.outcome == Persistence::LoadOutcome::loaded)
        takeDailyBackup();
    recoverEmergencyCopies();

    // 4–5. Settings changes are debounced into saves and mapped to the mixer's levels;
    // the levels of the loaded settings go to the mixer right away.
    connect(this, &AppStore::settingsChanged, this, &AppStore::onSettingsChanged);
    m_lastLevels = m_settings.ambientLevels();
    m_services.ambient->setLevels(*m_lastLevels);

    // 6. Bring the loaded settings within bounds (a change is saved through the debounce).
    normalizeSettings();

    // 7. The display tick runs for the store's whole life, fast only while a countdown runs;
    // tick() decides what is due.
    m_lastTickDay = LocalTime(m_services.zone).dayIndex(now());
    m_tickTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &AppStore::tick);
    fitTickToPhase();
    m_tickTimer.start();
}

void AppStore::fitTickToPhase()
{
    const bool counting = m_phase == SessionPhase::focusing || m_phase == SessionPhase::microBreak;
    const int interval = counting ? kTickIntervalMs : kQuietTickIntervalMs;
    if (m_tickTimer.interval() != interval)
        m_tickTimer.setInterval(interval); // restarts a running timer: the first fast tick is 0.25 s away
}

AppStore::~AppStore() { flushPendingSave(); }

// --- Settings and their saving ----------------------------------------------------

void AppStore::setSettings(const AppSettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    emit settingsChanged();
}

void AppStore::onSettingsChanged()
{
    const AmbientLevels levels = m_settings.ambientLevels();
    if (levels != m_lastLevels) {
        m_lastLevels = levels;
        m_services.ambient->setLevels(levels);
    }
    // Debounce: only the last change of a burst is delivered, 250 ms after it.
    const quint64 generation = ++m_debounceGeneration;
    m_savePending = true;
    m_services.scheduler->after(kSaveDebounceMs, this, [this, generation] { deliverDebouncedSettings(generation); });
}

void AppStore::deliverDebouncedSettings(quint64 generation)
{
    if (generation != m_debounceGeneration || !m_savePending)
        return;
    m_savePending = false;
    const AppSettings normalized = normalizedSettings(m_settings);
    if (normalized == m_settings)
        saveDocument();
    else
        setSettings(normalized); // itself a change: saved 250 ms later
}

void AppStore::flushPendingSave()
{
    if (!m_savePending)
        return;
    m_savePending = false;
    ++m_debounceGeneration;
    m_settings = normalizedSettings(m_settings);
    saveDocument();
}

void AppStore::normalizeSettings() { setSettings(normalizedSettings(m_settings)); }


void AppStore::setSessions(QList<StudySession> sessions)
{
    m_sessions = std::move(sessions);
    emit sessionsChanged();
    emit statisticsChanged();
}

// --- Small published values --------------------------------------------------------

void AppStore::setSelectedSection(int section)
{
    if (section < 0 || section > static_cast<int>(AppSection::settings))
        return;
    const auto value = static_cast<AppSection>(section);
    if (value == m_selectedSection)
        return;
    m_selectedSection = value;
    emit selectedSectionChanged();
}

void AppStore::setCurrentStartEnergy(qint64 energy)
{
    if (energy == m_currentStartEnergy)
        return;
    m_currentStartEnergy = energy;
    emit currentStartEnergyChanged();
}

void AppStore::setShowSessionEndDialog(bool show)
{
    if (show == m_showSessionEndDialog)
        return;
    m_showSessionEndDialog = show;
    emit showSessionEndDialogChanged();
}

void AppStore::setMusicMessage(std::optional<QString> message)
{
    if (message == m_musicMessage)
        return;
    m_musicMessage = std::move(message);
    emit musicMessageChanged();
}

int AppStore::countCurrent(FocusEventKind kind) const
{
    return int(std::count_if(m_currentEvents.cbegin(), m_currentEvents.cend(), [kind](const FocusEvent &e) { return e.kind == kind; }));
}

void AppStore::setCurrentEvents(QList<FocusEvent> events)
{
    m_currentEvents = std::move(events);
    if (m_draft)
        m_draft->events = m_currentEvents;
    emit currentEventsChanged();
}

void AppStore::testMusic()
{
    MusicRequest request;
    request.service = m_settings.effectiveMusicService();
    request.source = m_settings.musicSource;
    request.playlistName = m_settings.playlistName;
    const bool netEase = request.service == MusicService::netEase;
    setMusicMessage(QStringLiteral("正在连接“") + (netEase ? QStringLiteral("网易云音乐") : QStringLiteral("音乐播放器"))
                    + QStringLiteral("”…"));
    // Each answer overwrites the line; one arriving after the store is gone does nothing.
    m_services.music->playRandom(request, [store = QPointer<AppStore>(this)](bool ok, const QString &text) {
        if (store)
            store->setMusicMessage((ok ? QStringLiteral("正在播放：") : QStringLiteral("播放失败：")) + text);
    });
}

// --- Statistics ---------------------------------------------------------------------

insights::Calendar AppStore::calendar() const { return insights::Calendar{now(), m_services.zone}; }
QList<StudySession> AppStore::todaySessions() const { return insights::todaySessions(m_sessions, calendar()); }
qint64 AppStore::todayMinutes() const { return insights::todayMinutes(m_sessions, calendar()); }
qint64 AppStore::todayWanderCount() const { return insights::todayWanderCount(m_sessions, calendar()); }
qint64 AppStore::streakDays() const { return insights::streakDays(m_sessions, calendar()); }
QList<insights::DaySummary> AppStore::weeklySummaries() const { return insights::weeklySummaries(m_sessions, calendar()); }
QList<insights::TaskSummary> AppStore::taskSummaries() const { return insights::taskSummaries(m_sessions); }
qint64 AppStore::attentionCapacityMinutes() const { return insights::attentionCapacityMinutes(m_sessions); }
qint64 AppStore::recommendedMinutes() const { return insights::recommendedMinutes(m_sessions); }
qint64 AppStore::completedSessionCount() const { return insights::completedSessionCount(m_sessions); }
QString AppStore::wanderRateText() const { return insights::wanderRateText(m_sessions); }
QString AppStore::energyDropText() const { return insights::energyDropText(m_sessions); }

} // namespace tessary
