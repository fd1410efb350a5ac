#include "records/Persistence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

using namespace tessary;

namespace {
constexpr int kSessions = 1500; // about 4 MB on disk: a save takes a while, so kills land inside it
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// A sanitized round costs seven times as much; there the point is the save path's memory, which
// fifty kills walk as well as two hundred.
constexpr int kKills = 50;
#else
constexpr int kKills = 200;
#endif

bool holdsOldOrNew(const PersistedData &data)
{
    const auto minutes = data.settings.selectedDurationMinutes;
    return (minutes == 50 && data.sessions.size() == kSessions) || (minutes == 51 && data.sessions.size() == kSessions - 1);
}
} // namespace

// A process saving the archive over and over is killed at random moments. Each time the
// document must read whole as one of the two archives, and nothing may be left beside it.
TEST(KillSafety, ADocumentKilledMidSaveIsTheOldOrTheNewOneAndNothingPilesUp)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("focus-data.json"));
    QRandomGenerator random(20261207);
    int kills = 0, seenOld = 0, seenNew = 0;
    for (int round = 0; round < kKills; ++round) {
        QProcess child;
        child.start(QStringLiteral(TESSARY_SAVE_LOOP), {path, QString::number(kSessions)});
        ASSERT_TRUE(child.waitForStarted(5000));
        while (!child.canReadLine())
            ASSERT_TRUE(child.waitForReadyRead(30000)) << "the child never got ready";
        const QList<QByteArray> ready = child.readLine().trimmed().split(' ');
        ASSERT_EQ(ready.size(), 2);
        const unsigned saveMs = ready[1].toUInt();
        ASSERT_GT(saveMs, 0u);
        QThread::usleep(random.bounded(saveMs * 3000u)); // anywhere in the next three saves
        ::kill(pid_t(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(5000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped by itself: " << child.exitCode();
        ++kills;

        const Persistence::LoadResult loaded = Persistence::load(path);
        ASSERT_EQ(loaded.outcome, Persistence::LoadOutcome::loaded) << "after kill " << kills;
        ASSERT_TRUE(holdsOldOrNew(loaded.data)) << "after kill " << kills;
        (loaded.data.settings.selectedDurationMinutes == 50 ? seenOld : seenNew)++;
        const QStringList beside = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        ASSERT_EQ(beside, QStringList{QStringLiteral("focus-data.json")}) << "after kill " << kills;
    }
    EXPECT_EQ(kills, kKills);
    // Both archives were caught on disk, so the kills landed at varied moments.
    EXPECT_GT(seenOld, 0);
    EXPECT_GT(seenNew, 0);
}
