#include "StoreHarness.h"

#include <gtest/gtest.h>

using namespace tessary;
using tessary::fakes::StoreHarness;

namespace {
// A store whose rounds last 25 minutes, with reminders drawn from 3 to 5 minutes.
class Reminders : public ::testing::Test {
protected:
    StoreHarness h;
    AppStore &store = h.openWith(25, 3, 5);
};
} // namespace

// The draw is in whole seconds over the interval; the line counts down in minutes and seconds
// and shows a dash while no reminder is due.
TEST_F(Reminders, DrawsWithinTheIntervalAndCountsDownToTheDraw)
{
    h.random.queued = {200};
    store.startSession();
    ASSERT_FALSE(h.random.requests.empty());
    EXPECT_EQ(h.random.requests.back(), std::make_pair(std::int64_t(180), std::int64_t(300)));
    EXPECT_EQ(store.nextReminderDescription(), QStringLiteral("03:20"));
    h.advance(124.5);
    EXPECT_EQ(store.nextReminderDescription(), QStringLiteral("01:15"));
    store.togglePause();
    EXPECT_EQ(store.nextReminderDescription(), QStringLiteral("—"));
}

TEST_F(Reminders, AMicroBreakFreezesTheCountdownAndResumesFromIt)
{
    h.random.queued = {200};
    store.startSession();
    h.advance(200.3);
    ASSERT_EQ(store.phase(), SessionPhase::microBreak);
    EXPECT_EQ(h.sounds.played.last(), QStringLiteral("Glass"));
    EXPECT_EQ(store.currentEvents().back().kind, FocusEventKind::reminder);
    const auto frozen = store.remainingSeconds();
    EXPECT_EQ(frozen, 1300);
    EXPECT_EQ(store.breakRemainingSeconds(), 10);

    h.advance(1);
    EXPECT_EQ(store.breakRemainingSeconds(), 9);
    store.recordMindWander(); // refused during a break
    EXPECT_EQ(store.currentEvents().size(), 1);
    store.togglePause(); // also refused
    EXPECT_EQ(store.phase(), SessionPhase::microBreak);

    h.advance(9);
    EXPECT_EQ(store.phase(), SessionPhase::focusing);
    EXPECT_EQ(store.breakRemainingSeconds(), 0);
    EXPECT_EQ(store.remainingSeconds(), frozen);
    h.advance(1.7); // 1299.7 - 1.7 s: the break did not count
    EXPECT_EQ(store.remainingSeconds(), 1298);
}

// A reminder is due only when its draw falls before the end of the focusing stretch: of the
// round at its start, of what is left after a break.
TEST_F(Reminders, NoReminderWhenTheDrawDoesNotFallBeforeTheEndOfTheStretch)
{
    store.startSession(3); // 180 is not less than 180
    EXPECT_EQ(store.nextReminderDescription(), QStringLiteral("—"));
    h.advance(179);
    EXPECT_EQ(store.phase(), SessionPhase::focusing);

    // A 5-minute round, reminded after 99 s and skipped by the user: 200.7 s are left.
    const auto nextAfterBreak = [](std::int64_t draw) {
        StoreHarness g;
        AppStore &s = g.openWith(5, 1, 5);
        g.random.queued = {99, draw};
        s.startSession();
        g.advance(99.3);
        EXPECT_EQ(s.phase(), SessionPhase::microBreak);
        s.resumeAfterMicroBreak();
        return s.nextReminderDescription();
    };
    EXPECT_EQ(nextAfterBreak(200), QStringLiteral("—"));
    EXPECT_EQ(nextAfterBreak(199), QStringLiteral("03:19"));
}

TEST_F(Reminders, SignalsAreRecordedOnlyWhileFocusingOrPaused)
{
    store.recordMindWander();
    store.recordFatigue();
    EXPECT_TRUE(store.currentEvents().isEmpty());
    EXPECT_FALSE(store.toastMessage());

    store.startSession();
    h.advance(42);
    store.recordMindWander();
    EXPECT_EQ(store.toastMessage(), QStringLiteral("记下了。发现走神，本身就是注意力回来了。"));
    store.togglePause();
    store.recordFatigue();
    EXPECT_EQ(store.toastMessage(), QStringLiteral("已记录疲劳信号。必要时提前结束比硬撑更有价值。"));
    ASSERT_EQ(store.currentEvents().size(), 3);
    EXPECT_EQ(store.currentEvents()[0].elapsedSeconds, 42);
    EXPECT_EQ(store.draft()->events, store.currentEvents());

    store.togglePause();
    store.finishSession(false);
    store.recordMindWander(); // after the end
    EXPECT_EQ(store.currentEvents().size(), 4); // mindWander, pause, fatigue, resume
}

TEST_F(Reminders, ToastsLastThreeSecondsEach)
{
    store.toast(QStringLiteral("一"));
    h.advance(1, false);
    store.toast(QStringLiteral("二"));
    h.advance(2, false); // the first one's timer has run out
    EXPECT_EQ(store.toastMessage(), QStringLiteral("二"));
    h.advance(1, false);
    EXPECT_FALSE(store.toastMessage());

    // The same text again keeps its own full three seconds.
    store.toast(QStringLiteral("三"));
    h.advance(2.5, false);
    store.toast(QStringLiteral("三"));
    h.advance(1, false);
    EXPECT_EQ(store.toastMessage(), QStringLiteral("三"));
    h.advance(2, false);
    EXPECT_FALSE(store.toastMessage());
}

TEST_F(Reminders, RandomSoundPicksFromTheSevenAndNamesPassThrough)
{
    h.random.queued = {6};
    store.playSound(QStringLiteral("随机"));
    store.playSound(QStringLiteral("Nonexistent"));
    EXPECT_EQ(h.sounds.played, (QStringList{QStringLiteral("Morse"), QStringLiteral("Nonexistent")}));
    EXPECT_EQ(h.random.requests.back(), std::make_pair(std::int64_t(0), std::int64_t(6)));
}
