#include "ArchiveFactory.h"
#include "FileBytes.h"
#include "StoreHarness.h"
#include "records/Backups.h"
#include "records/Persistence.h"
#include "ui/SettingsBridge.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace tessary;
using fakes::StoreHarness;

namespace {

QList<backups::Backup> backupsOf(const StoreHarness &h)
{
    return backups::list(backups::directoryFor(h.dataPath()), h.dataPath());
}

// A store over a saved document of `rounds` rounds.
AppStore &openOver(StoreHarness &h, int rounds)
{
    const auto archive = fixtures::makeArchive(rounds, 10, h.clock.t.addSecs(-3600));
    EXPECT_TRUE(Persistence::save(h.dataPath(), AppSettings{}, archive));
    return h.open();
}

} // namespace

// One backup on the first start of a day and on each new day while running; over two months the
// folder holds the 7 latest days and, before them, the newest backup of each of 4 weeks.
TEST(Backups, DailyBackupsRotateToSevenDaysAndFourWeeks)
{
    StoreHarness h;
    openOver(h, 3);
    ASSERT_EQ(backupsOf(h).size(), 1);
    h.store.reset();
    openOver(h, 3); // a second start the same day adds none
    ASSERT_EQ(backupsOf(h).size(), 1);

    for (int day = 1; day <= 60; ++day)
        h.advance(86400);
    const QList<backups::Backup> kept = backupsOf(h);
    ASSERT_EQ(kept.size(), 11);
    const std::int64_t today = kept.front().day();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(kept[i].day(), today - i);
    // The week the daily window cuts keeps its last day before the window; the three before
    // it their Sundays (every day had a backup).
    EXPECT_EQ(kept[7].day(), today - 7);
    for (int i = 8; i < 11; ++i) {
        EXPECT_EQ(kept[i].week(), kept[i - 1].week() - 1);
        EXPECT_EQ((kept[i].day() + 3) % 7, 6) << "not a Sunday: day " << kept[i].day();
    }
}

// The rule itself: a day keeps at most its 10 newest; a week before the daily window keeps its
// newest; what lies beyond goes.
TEST(Backups, TheKeepRuleCapsDaysAndTakesTheNewestOfAWeek)
{
    QList<backups::Backup> all;
    const auto at = [&](std::int64_t day, int second, backups::Kind kind = backups::Kind::daily) {
        backups::Backup b;
        b.localSeconds = day * 86400 + 3600 + second;
        b.kind = kind;
        b.path = QString::number(b.localSeconds);
        all.append(b);
    };
    const std::int64_t monday = 20794; // 2026-12-07
    for (int i = 0; i < 12; ++i)
        at(monday, i, backups::Kind::beforeRestore); // 12 on one day
    for (int d = 1; d <= 40; ++d)
        at(monday - d, 0);
    const QList<backups::Backup> kept = backups::toKeep(all);
    EXPECT_EQ(std::count_if(kept.cbegin(), kept.cend(), [&](const auto &b) { return b.day() == monday; }), 10);
    EXPECT_EQ(kept.front().localSeconds, monday * 86400 + 3600 + 11); // the newest of the day survive
    // Days monday-1 … monday-6 fill the daily window; then the newest of the week the window cuts
    // (its Monday) and the Sundays of the three weeks before.
    QList<std::int64_t> older;
    for (const auto &b : kept)
        if (b.day() < monday - 6)
            older.append(b.day());
    EXPECT_EQ(older, (QList<std::int64_t>{monday - 7, monday - 8, monday - 15, monday - 22}));
}

// Clear-all keeps a copy first; a restore brings it back after keeping a copy of the present;
// a broken backup or a running round is refused with nothing replaced. The restore list names
// each backup in Chinese.
TEST(Backups, ClearAllIsBackedUpAndRestoresWhileBrokenBackupsAreRefused)
{
    StoreHarness h;
    AppStore &store = openOver(h, 2);
    h.advance(1);
    store.clearHistory();
    EXPECT_EQ(store.toastMessage(), QStringLiteral("专注记录已清空。"));
    ASSERT_TRUE(store.sessions().isEmpty());
    const QList<backups::Backup> afterClear = backupsOf(h);
    ASSERT_EQ(afterClear.size(), 2);
    EXPECT_EQ(afterClear.front().kind, backups::Kind::beforeClear);
    EXPECT_EQ(afterClear.front().rounds, 2);

    ui::SettingsBridge bridge(&store);
    const QVariantMap row = bridge.backups().value(0).toMap();
    EXPECT_EQ(row.value(QStringLiteral("title")).toString(), QStringLiteral("2026年12月6日 周日 13:35"));
    EXPECT_EQ(row.value(QStringLiteral("detail")).toString(), QStringLiteral("清空前的备份 · 2 轮记录"));

    const QString broken =
        backups::directoryFor(h.dataPath()) + QStringLiteral("/focus-data-2026-12-01-080000-daily-5.json");
    fakes::writeFile(broken, "{\"sessions\": [");
    EXPECT_FALSE(store.restoreBackup(broken));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("这个备份无法读取，当前记录没有改动。"));
    EXPECT_TRUE(store.sessions().isEmpty());
    EXPECT_EQ(backupsOf(h).size(), 3); // no backup taken for a refused restore

    store.startSession();
    EXPECT_FALSE(store.restoreBackup(afterClear.front().path));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("请先结束这一轮，再从备份恢复。"));
    store.abandonSession();

    h.advance(1);
    ASSERT_TRUE(store.restoreBackup(afterClear.front().path));
    EXPECT_EQ(store.toastMessage(), QStringLiteral("已从备份恢复 2 轮记录。"));
    EXPECT_EQ(store.sessions().size(), 2);
    EXPECT_EQ(h.onDisk().sessions.size(), 2);
    EXPECT_EQ(backupsOf(h).front().kind, backups::Kind::beforeRestore);
    EXPECT_EQ(backupsOf(h).front().rounds, 0);
}
