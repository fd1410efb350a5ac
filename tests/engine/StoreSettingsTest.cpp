#include "StoreHarness.h"

#include <gtest/gtest.h>

using namespace tessary;
using tessary::fakes::StoreHarness;

namespace {
// A store on defaults: 50-minute rounds, reminders from 3 to 5 minutes, nothing selected.
class StoreSettings : public ::testing::Test {
protected:
    StoreHarness h;
    AppStore &store = h.open();
};
using StoreTasks = StoreSettings;
using StoreHistory = StoreSettings;
using StoreAmbient = StoreSettings;
using StoreMusic = StoreSettings;
} // namespace

// Saved once, 250 ms after the last change of a burst; a value that normalisation changes is
// written back first and saved 250 ms after that; a save still pending is written on quitting.
TEST_F(StoreSettings, ChangesAreSavedOnce250msAfterABurstAndWhenTheStoreGoes)
{
    for (int minutes : {30, 35, 40}) {
        h.edit([&](AppSettings &s) { s.selectedDurationMinutes = minutes; });
        h.advance(0.2, false);
        EXPECT_FALSE(h.savedYet());
    }
    h.advance(0.05, false);
    ASSERT_TRUE(h.savedYet());
    EXPECT_EQ(h.onDisk().settings.selectedDurationMinutes, 40);
    QFile::remove(h.dataPath());
    h.advance(5, false);
    EXPECT_FALSE(h.savedYet()); // one save for the burst

    h.edit([](AppSettings &s) { s.reminderMaximumMinutes = 200; });
    h.advance(0.25, false);
    EXPECT_EQ(store.settings().reminderMaximumMinutes, 90);
    EXPECT_FALSE(h.savedYet());
    h.advance(0.25, false);
    EXPECT_EQ(h.onDisk().settings.reminderMaximumMinutes, 90);

    h.edit([](AppSettings &s) { s.playlistName = QStringLiteral("晚间"); });
    h.advance(0.1, false);
    h.store.reset(); // quitting 100 ms after the change
    EXPECT_EQ(h.onDisk().settings.playlistName, QStringLiteral("晚间"));
}

TEST_F(StoreSettings, LoadingSortsNewestFirstAndNormalisesTheDocument)
{
    AppSettings stored;
    stored.reminderMinimumMinutes = 0;
    stored.taskNames = QStringList{QStringLiteral("Math"), QStringLiteral("math")};
    QList<StudySession> sessions(3);
    for (int i = 0; i < 3; ++i)
        sessions[i].startedAt = Timestamp::fromSecsSinceEpoch(1700000000 + i * 1000);
    StoreHarness g; // a store that finds this document
    ASSERT_TRUE(Persistence::save(g.dataPath(), stored, sessions)); // oldest first on disk
    AppStore &loaded = g.open();
    EXPECT_EQ(loaded.sessions().front().startedAt, sessions.back().startedAt);
    EXPECT_EQ(loaded.settings().reminderMinimumMinutes, 1);
    EXPECT_EQ(*loaded.settings().taskNames, QStringList{QStringLiteral("Math")});
    g.advance(0.25, false);
    EXPECT_EQ(g.onDisk().settings.reminderMinimumMinutes, 1);
}

TEST_F(StoreTasks, AddSelectAndRemoveFollowTheNameRulesAndWaitWhileARoundRuns)
{
    EXPECT_FALSE(store.addTask(QStringLiteral("   ")));
    EXPECT_FALSE(store.toastMessage());
    EXPECT_TRUE(store.addTask(QStringLiteral(" Éclair ")));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("已新增并选择任务“Éclair”。"));
    EXPECT_TRUE(store.addTask(QStringLiteral("ECLAIR")));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("已选择任务“Éclair”。"));
    EXPECT_EQ(store.settings().taskNames->size(), 1);

    const QString sixty(60, QLatin1Char('x'));
    EXPECT_TRUE(store.addTask(sixty));
    EXPECT_EQ(store.settings().taskNames->last(), sixty.left(40));
    EXPECT_EQ(store.selectedTaskName(), sixty.left(40));

    store.selectTask(QStringLiteral("éclair")); // selection is exact
    EXPECT_FALSE(store.selectedTaskName());
    store.selectTask(QStringLiteral("Éclair"));
    EXPECT_EQ(store.selectedTaskName(), QStringLiteral("Éclair"));

    store.removeTask(QStringLiteral("Éclair"));
    EXPECT_FALSE(store.selectedTaskName());
    EXPECT_EQ(store.settings().taskNames->size(), 1);
    store.removeTask(QStringLiteral("不存在"));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("已从任务列表移除“不存在”，历史记录仍保留。"));

    // While a round runs, the list and the selection stay as they are.
    store.selectTask(sixty.left(40));
    store.startSession();
    EXPECT_FALSE(store.addTask(QStringLiteral("写作")));
    store.selectTask(std::nullopt);
    EXPECT_EQ(store.selectedTaskName(), sixty.left(40));
    EXPECT_EQ(store.settings().taskNames->size(), 1);
}

// Deleting one round is checked with the history list; clearing all is saved at once too.
TEST_F(StoreHistory, EditsAreSavedAtOnceAndKeepTheTaskList)
{
    store.addTask(QStringLiteral("阅读"));
    for (int i = 0; i < 2; ++i) {
        store.startSession();
        h.advance(60);
        store.finishSession(false);
        store.saveCompletion(4, 3, QString());
    }
    EXPECT_EQ(store.taskSessionCount(QStringLiteral("阅读")), 2);
    EXPECT_EQ(store.taskSessionCount(QStringLiteral("未分类")), 0);
    store.clearHistory();
    EXPECT_TRUE(h.onDisk().sessions.isEmpty());
    EXPECT_EQ(store.toastMessage(), QStringLiteral("专注记录已清空。"));
    EXPECT_EQ(store.settings().taskNames->size(), 1);
}

TEST_F(StoreHistory, ToggleAppearanceFromAnAbsentModeGivesLight)
{
    h.edit([](AppSettings &s) { s.appearanceMode.reset(); });
    store.toggleAppearance();
    EXPECT_EQ(store.settings().appearanceMode, AppearanceMode::light);
    store.toggleAppearance();
    EXPECT_EQ(store.settings().appearanceMode, AppearanceMode::dark);
}

// Absent (as older documents have it) means on.
TEST_F(StoreAmbient, FollowFocusStartsAndStopsTheMixWithTheRound)
{
    h.edit([](AppSettings &s) {
        s.ambientFollowsFocus.reset();
        s.ambientSounds = QStringList{QStringLiteral("rain")};
    });
    store.startSession();
    EXPECT_TRUE(store.isAmbientPlaying());
    store.togglePause();
    EXPECT_FALSE(store.isAmbientPlaying());
    store.togglePause();
    EXPECT_TRUE(store.isAmbientPlaying());
    store.finishSession(false);
    EXPECT_FALSE(store.isAmbientPlaying());
}

TEST_F(StoreAmbient, WithFollowFocusOffAndNoMusicTheMixPlaysIntoTheReview)
{
    h.edit([](AppSettings &s) { s.ambientFollowsFocus = false; });
    store.toggleAmbientPlayback(); // selects rain and plays
    EXPECT_EQ(store.settings().selectedAmbientSounds(), QList<AmbientSound>{AmbientSound::rain});
    store.startSession();
    store.togglePause();
    EXPECT_TRUE(store.isAmbientPlaying());
    store.finishSession(false);
    EXPECT_TRUE(store.isAmbientPlaying());
    EXPECT_EQ(h.music.calls, 0);

    h.edit([](AppSettings &s) { s.autoPlayMusic = true; });
    store.abandonSession();
    store.startSession();
    store.finishSession(false);
    EXPECT_FALSE(store.isAmbientPlaying()); // music takes over
    EXPECT_EQ(h.music.calls, 1);
}

TEST_F(StoreAmbient, AFailedStartShowsItsMessageUntilTheRoundsOwn)
{
    h.ambient.canPlay = false;
    store.toggleAmbientPlayback();
    EXPECT_FALSE(store.isAmbientPlaying());
    EXPECT_EQ(store.toastMessage(), QStringLiteral("环境音无法播放，请检查声音输出设备。"));
    store.startSession();
    EXPECT_EQ(store.toastMessage(), QStringLiteral("开始这一轮。先只做好眼前的一小段。"));
}

// The mixer holds the current levels from the start; the mix plays while any sound is selected.
TEST_F(StoreAmbient, TheMixerHoldsTheLevelsAndTheLastSoundDeselectedStopsIt)
{
    ASSERT_EQ(h.ambient.levels.size(), 1); // at construction
    EXPECT_FLOAT_EQ(h.ambient.levels.back().master, 0.49f);
    store.setAmbientVolume(0.5, AmbientSound::rain); // rain not selected: levels unchanged
    EXPECT_EQ(h.ambient.levels.size(), 1);
    store.toggleAmbientSound(AmbientSound::rain);
    EXPECT_FLOAT_EQ(h.ambient.levels.back().level(AmbientSound::rain), 0.25f);
    EXPECT_TRUE(store.isAmbientPlaying());
    store.toggleAmbientSound(AmbientSound::brownNoise);
    store.toggleAmbientSound(AmbientSound::rain);
    EXPECT_TRUE(store.isAmbientPlaying()); // brown noise remains
    store.toggleAmbientSound(AmbientSound::brownNoise);
    EXPECT_FALSE(store.isAmbientPlaying());
    EXPECT_EQ(h.ambient.stopCalls, 1);
}

TEST_F(StoreMusic, TestMusicSaysItConnectsThenWhatPlaysOrWhy)
{
    store.testMusic();
    EXPECT_EQ(store.musicMessageText(), QStringLiteral("正在连接“音乐播放器”…"));
    ASSERT_EQ(h.music.requests.size(), 1);
    EXPECT_EQ(h.music.requests[0].service, MusicService::appleMusic); // absent means the music player
    h.music.answer(true, QStringLiteral("晴天 — 周杰伦"));
    EXPECT_EQ(store.musicMessageText(), QStringLiteral("正在播放：晴天 — 周杰伦"));

    h.edit([](AppSettings &s) {
        s.musicService = MusicService::netEase;
        s.musicSource = MusicSource::playlist;
        s.playlistName = QStringLiteral("深夜");
    });
    store.testMusic();
    EXPECT_EQ(store.musicMessageText(), QStringLiteral("正在连接“网易云音乐”…"));
    EXPECT_EQ(h.music.requests.back().playlistName, QStringLiteral("深夜"));
    EXPECT_EQ(h.music.requests.back().source, MusicSource::playlist);
    h.music.answer(false, QStringLiteral("没有找到网易云音乐客户端"));
    EXPECT_EQ(store.musicMessageText(), QStringLiteral("播放失败：没有找到网易云音乐客户端"));

    // A round ended early with auto-play asks again; abandoning its review clears the line.
    h.edit([](AppSettings &s) { s.autoPlayMusic = true; });
    store.startSession();
    h.advance(30);
    store.finishSession(false);
    EXPECT_EQ(h.music.calls, 3);
    EXPECT_EQ(store.musicMessageText(), QStringLiteral("正在连接“网易云音乐”…"));
    store.abandonSession();
    EXPECT_TRUE(store.musicMessageText().isEmpty());

    // A round that runs out asks too.
    h.random.queued = {240};
    store.startSession(1);
    h.advance(61);
    EXPECT_EQ(store.phase(), SessionPhase::completed);
    EXPECT_EQ(h.music.calls, 4);

    // An answer that arrives after the store is gone touches nothing.
    auto late = h.music.answer;
    h.store.reset();
    late(true, QStringLiteral("稻香 — 周杰伦"));
}
