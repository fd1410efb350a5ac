#pragma once

#include "engine/AppStore.h"
#include "records/Persistence.h"

#include <QPointer>
#include <QTemporaryDir>

#include <deque>
#include <map>
#include <memory>

namespace tessary::fakes {

class ManualClock final : public Clock {
public:
    Timestamp t = Timestamp::fromSecsSinceEpoch(1796564114); // 2026-12-06T13:35:14Z
    Timestamp now() const override { return t; }
};

// Returns queued values (clamped into the asked range), else the lower bound; records each request.
class ScriptedRandom final : public RandomSource {
public:
    std::deque<std::int64_t> queued;
    std::vector<std::pair<std::int64_t, std::int64_t>> requests;
    std::int64_t uniform(std::int64_t lower, std::int64_t upper) override
    {
        requests.emplace_back(lower, upper);
        if (queued.empty())
            return lower;
        const auto v = queued.front();
        queued.pop_front();
        return std::clamp(v, lower, upper);
    }
};

// Delayed work that runs when the test moves the clock past its due time.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(ManualClock &clock) : m_clock(clock) {}
    void after(int ms, QObject *context, std::function<void()> work) override
    {
        m_tasks.emplace(std::make_pair(m_clock.t.addMSecs(ms), m_seq++),
                        std::make_pair(QPointer<QObject>(context), std::move(work)));
    }
    // Work waiting for its time (the code under test is idle until the clock moves).
    bool hasPending() const { return !m_tasks.empty(); }
    std::size_t pendingCount() const { return m_tasks.size(); }
    void runDue()
    {
        while (!m_tasks.empty() && m_tasks.begin()->first.first <= m_clock.t) {
            auto [context, work] = std::move(m_tasks.begin()->second);
            m_tasks.erase(m_tasks.begin());
            if (context)
                work();
        }
    }

private:
    ManualClock &m_clock;
    // Due time and order of arrival, to the context that must still exist and the work.
    std::map<std::pair<Timestamp, int>, std::pair<QPointer<QObject>, std::function<void()>>> m_tasks;
    int m_seq = 0;
};

class RecordingSounds final : public SoundPlayer {
public:
    QStringList played;
    void play(const QString &name) override { played.append(name); }
};

class FakeAmbient final : public AmbientOutput {
public:
    bool canPlay = true;
    bool playing = false;
    int stopCalls = 0;
    QList<AmbientLevels> levels;
    bool play() override { return playing = canPlay; }
    void stop() override { playing = false; ++stopCalls; }
    void setLevels(const AmbientLevels &l) override { levels.append(l); }
};

// Records each request; the test answers through `answer`.
class CountingMusic final : public MusicStarter {
public:
    int calls = 0;
    QList<MusicRequest> requests;
    std::function<void(bool, const QString &)> answer;
    void playRandom(const MusicRequest &request, std::function<void(bool, const QString &)> done) override
    {
        ++calls;
        requests.append(request);
        answer = std::move(done);
    }
};

// A store on a private data directory with every service faked.
struct StoreHarness {
    QTemporaryDir dir;
    ManualClock clock;
    ScriptedRandom random;
    ManualScheduler scheduler{clock};
    RecordingSounds sounds;
    FakeAmbient ambient;
    CountingMusic music;
    std::unique_ptr<AppStore> store;

    QString dataPath() const { return dir.filePath(QStringLiteral("Tessary/focus-data.json")); }
    // Stands in for the XDG state folder: a path apart from the document's.
    QString emergencyDir() const { return dir.filePath(QStringLiteral("state/Tessary")); }

    AppStore &open(QTimeZone zone = QTimeZone::utc())
    {
        store = std::make_unique<AppStore>(
            StoreServices{&clock, &random, &scheduler, &sounds, &ambient, &music, dataPath(), zone, {emergencyDir()}});
        return *store;
    }

    // A store whose next round lasts `minutes`, with reminders drawn from the given interval.
    AppStore &openWith(std::int64_t minutes, std::int64_t reminderMin = 3, std::int64_t reminderMax = 5)
    {
        open();
        edit([&](AppSettings &s) {
            s.selectedDurationMinutes = minutes;
            s.reminderMinimumMinutes = reminderMin;
            s.reminderMaximumMinutes = reminderMax;
        });
        return *store;
    }

    // Changes the settings the way the settings screen does: a copy, changed, handed back.
    void edit(const std::function<void(AppSettings &)> &change)
    {
        AppSettings s = store->settings();
        change(s);
        store->setSettings(s);
    }

    // Moves time on, runs delayed work that fell due, and ticks like the 0.25 s timer would.
    void advance(double seconds, bool tick = true)
    {
        clock.t = clock.t.addMSecs(std::llround(seconds * 1000));
        scheduler.runDue();
        if (tick && store)
            store->tick();
    }

    PersistedData onDisk() const { return Persistence::load(dataPath()).data; }
    bool savedYet() const { return QFileInfo::exists(dataPath()); }
};

} // namespace tessary::fakes
