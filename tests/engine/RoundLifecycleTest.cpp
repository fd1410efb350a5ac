#include "StoreHarness.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using namespace tessary;
using tessary::fakes::StoreHarness;

namespace {
// Every signal an object emits, by name; take() hands over the counts so far and starts again.
struct SignalCounter {
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    explicit SignalCounter(const QObject &object)
    {
        const QMetaObject *meta = object.metaObject();
        for (int i = 0; i < meta->methodCount(); ++i)
            if (meta->method(i).methodType() == QMetaMethod::Signal)
                spies.push_back(std::make_unique<QSignalSpy>(&object, meta->method(i)));
    }
    std::map<QByteArray, qsizetype> take()
    {
        std::map<QByteArray, qsizetype> counts;
        for (const auto &spy : spies) {
            if (!spy->isEmpty())
                counts[spy->signal()] = spy->count();
            spy->clear();
        }
        return counts;
    }
};

// A store whose rounds last 25 minutes, with reminders drawn from 3 to 5 minutes.
class RoundLifecycle : public ::testing::Test {
protected:
    StoreHarness h;
    AppStore &store = h.openWith(25);
};
} // namespace

// Views redraw on change signals, so an idle tick must emit none and a running one only what
// the countdown moved: once a second, whatever the tick rate.
TEST_F(RoundLifecycle, TicksNotifyOnlyWhatChanged)
{
    h.advance(0.25);
    SignalCounter counter(store);
    for (int i = 0; i < 40; ++i)
        h.advance(0.25);
    EXPECT_TRUE(counter.take().empty());

    // The views take their time to follow the start; the reminder's seconds still turn over on
    // the countdown's tick, or the window would redraw twice a second.
    QObject::connect(&store, &AppStore::phaseChanged, [&] { h.clock.t = h.clock.t.addMSecs(300); });
    store.startSession();
    h.advance(3.5); // the start toast comes and goes
    counter.take();
    const std::map<QByteArray, qsizetype> aSecond{{"focusedElapsedSecondsChanged()", 1},
                                                  {"nextReminderDescriptionChanged()", 1},
                                                  {"remainingSecondsChanged()", 1}};
    int changes = 0;
    for (int i = 0; i < 8; ++i) {
        h.advance(0.25);
        const auto counts = counter.take();
        if (!counts.empty()) {
            EXPECT_EQ(counts, aSecond) << "tick " << i;
            ++changes;
        }
    }
    EXPECT_EQ(changes, 2);

    store.togglePause();
    counter.take();
    for (int i = 0; i < 40; ++i)
        h.advance(0.25);
    EXPECT_TRUE(counter.take().empty());
}

// The draft takes the plan, the valid selected task and the start energy; the countdown shows
// the remaining seconds rounded up and the elapsed ones rounded down.
TEST_F(RoundLifecycle, AStartTakesThePlanAndCountsRemainingUpAndElapsedDown)
{
    ASSERT_TRUE(store.addTask(QStringLiteral("  阅读 ")));
    store.setCurrentStartEnergy(2);
    store.startSession();
    EXPECT_EQ(store.phase(), SessionPhase::focusing);
    EXPECT_EQ(store.draft()->taskName, QStringLiteral("阅读"));
    EXPECT_EQ(store.draft()->startEnergy, 2);
    EXPECT_EQ(store.draft()->plannedMinutes, 25);
    // Remaining and elapsed seconds, as the countdown shows them.
    auto countdown = [&] { return std::pair(store.remainingSeconds(), store.focusedElapsedSeconds()); };
    EXPECT_EQ(countdown(), std::pair(1500LL, 0LL));
    h.advance(0.3);
    EXPECT_EQ(countdown(), std::pair(1500LL, 0LL));
    h.advance(0.8);
    EXPECT_EQ(countdown(), std::pair(1499LL, 1LL));
}

// The store's own timer ticks slowly while nothing counts down; a start or a resume must
// bring the quick tick back at once, or the countdown would stand still for half a minute.
TEST_F(RoundLifecycle, TheTimerTicksQuicklyAgainAsSoonAsACountdownRuns)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    StoreHarness timed; // a store of its own: its timer needs the application to exist first
    AppStore &s = timed.openWith(25, 60, 60);
    s.startSession();
    timed.clock.t = timed.clock.t.addSecs(2); // moved on without the harness's tick
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.remainingSeconds() == 25 * 60 - 2; }, 2000));
    s.togglePause();
    timed.clock.t = timed.clock.t.addSecs(60);
    s.togglePause();
    timed.clock.t = timed.clock.t.addSecs(3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.remainingSeconds() == 25 * 60 - 5; }, 2000));
}

// A pause keeps the exact remaining time, its fraction included; ending the round while paused
// archives the time up to the pause and none of the pause, once, and at once.
TEST_F(RoundLifecycle, PauseKeepsTheFractionalRemainingTimeAndAnEarlyEndArchivesIt)
{
    h.edit([](AppSettings &s) { s.reminderMinimumMinutes = s.reminderMaximumMinutes = 60; }); // no reminder here
    store.startSession();
    h.advance(899.6); // 600.4 s left
    store.togglePause();
    h.advance(60);
    EXPECT_EQ(store.remainingSeconds(), 601); // nothing moves while paused
    store.togglePause();
    h.advance(0.0);
    EXPECT_EQ(store.remainingSeconds(), 601);
    h.advance(0.5);
    EXPECT_EQ(store.remainingSeconds(), 600); // 599.9 left
    ASSERT_EQ(store.currentEvents().size(), 2);
    EXPECT_EQ(store.currentEvents()[0].kind, FocusEventKind::pause);
    EXPECT_EQ(store.currentEvents()[1].kind, FocusEventKind::resume);
    EXPECT_EQ(store.currentEvents()[0].elapsedSeconds, store.currentEvents()[1].elapsedSeconds);

    store.togglePause();
    h.advance(500);
    store.setShowSessionEndDialog(true);
    store.setShowSessionEndDialog(false);
    store.finishSession(false);
    store.saveCompletion(3, 2, QStringLiteral("提前结束"));
    store.saveCompletion(3, 2, QStringLiteral("again")); // a review is archived once
    ASSERT_EQ(store.sessions().size(), 1);
    EXPECT_EQ(h.onDisk().sessions.value(0).id, store.sessions().front().id); // written at once, not debounced
    EXPECT_EQ(store.toastMessage(), QStringLiteral("这一轮已存入你的专注档案。"));
    EXPECT_FALSE(store.sessions().front().completed);
    EXPECT_EQ(store.sessions().front().focusedSeconds, 900); // 1500 s less the 599.9 s left
    EXPECT_EQ(store.phase(), SessionPhase::idle);
}

// A tick long after the end (a machine that slept) completes the round with the whole planned
// time instead of beginning the reminder it also passed, and closes an open end dialog.
TEST_F(RoundLifecycle, ALateTickAfterSleepCompletesWithTheWholePlannedTime)
{
    h.random.queued = {10000}; // clamped to 300 s; the sleep passes it too
    store.startSession();
    store.setShowSessionEndDialog(true);
    h.advance(3 * 3600);
    EXPECT_EQ(store.phase(), SessionPhase::completed);
    EXPECT_FALSE(store.showSessionEndDialog());
    EXPECT_TRUE(store.showCompletionSheet());
    EXPECT_EQ(store.focusedElapsedSeconds(), 1500);
    store.saveCompletion(4, 3, QString());
    ASSERT_EQ(store.sessions().size(), 1);
    EXPECT_TRUE(store.sessions().front().completed);
    EXPECT_EQ(store.sessions().front().focusedSeconds, 1500);
    EXPECT_EQ(h.sounds.played.last(), QStringLiteral("Hero"));
}

// Out of their phase the operations do nothing; a start over a waiting review replaces the draft
// and keeps the sheet; abandoning discards everything of the round.
TEST_F(RoundLifecycle, OperationsOutsideTheirPhaseDoNothingAndAbandonDiscardsTheRound)
{
    store.abandonSession(); // idle, no draft: no message
    EXPECT_FALSE(store.toastMessage());
    store.togglePause();
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    store.finishSession(false); // nothing to end: no review opens
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_FALSE(store.showCompletionSheet());

    store.startSession();
    const auto started = store.draft()->startedAt;
    h.advance(1);
    store.startSession(); // already active
    EXPECT_EQ(store.draft()->startedAt, started);
    store.saveCompletion(5, 5, QString()); // a running round is not archived
    EXPECT_TRUE(store.sessions().isEmpty());
    EXPECT_EQ(store.phase(), SessionPhase::focusing);

    // A start while a review waits replaces the draft but leaves the review sheet up.
    store.finishSession(false);
    h.advance(5);
    store.startSession();
    EXPECT_EQ(store.draft()->startedAt, h.clock.t);
    EXPECT_TRUE(store.showCompletionSheet());
    EXPECT_EQ(store.remainingSeconds(), 1500);

    // Abandoning discards everything of the round.
    store.recordMindWander();
    store.abandonSession();
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_FALSE(store.draft());
    EXPECT_TRUE(store.currentEvents().isEmpty());
    EXPECT_EQ(store.remainingSeconds(), 0);
    EXPECT_TRUE(store.sessions().isEmpty());
    EXPECT_EQ(store.toastMessage(), QStringLiteral("这轮已放弃，不会计入任何专注数据。"));
}
