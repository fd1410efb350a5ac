#include "ArchiveFactory.h"
#include "FileBytes.h"
#include "LogCapture.h"
#include "StoreHarness.h"
#include "SyncTestSupport.h"
#include "records/Persistence.h"
#include "sync/SyncService.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <csignal>

using namespace tessary;
using fakes::Computer;
using fakes::LogCapture;
using fakes::StoreHarness;
using fakes::syncAll;

namespace {

class SyncService : public ::testing::Test {
protected:
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    QTemporaryDir shared;
};

} // namespace

// Rounds recorded on either computer reach the other with a toast naming where they came from;
// a delete on one removes the round on both; a task added on one appears on the other; the
// status counts the computers; both documents hold the one archive.
TEST_F(SyncService, TwoComputersKeepOneArchiveDeletesAndTaskList)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    Computer laptop(shared.path(), QStringLiteral("笔记本"));
    home.record(3);
    laptop.record(2);
    home.sync();
    laptop.sync();
    EXPECT_EQ(laptop.store().toastMessage(), QStringLiteral("从书房合并了 3 轮"));
    home.sync();
    EXPECT_EQ(home.ids().size(), 5);
    EXPECT_EQ(home.ids(), laptop.ids());
    EXPECT_TRUE(laptop.service->statusText().startsWith(QStringLiteral("已同步 · 2 台电脑 · 最近合并 ")))
        << laptop.service->statusText().toStdString();

    const Uuid fromHome = home.store().sessions().front().id;
    laptop.store().removeSessionById(fromHome.toString());
    home.store().addTask(QStringLiteral("写作"));
    syncAll({&laptop, &home});
    EXPECT_EQ(home.ids().size(), 4);
    EXPECT_FALSE(home.ids().contains(fromHome));
    EXPECT_EQ(home.ids(), laptop.ids());
    EXPECT_TRUE(laptop.store().settings().taskNames.value_or(QStringList()).contains(QStringLiteral("写作")));
    const auto onDisk = Persistence::load(laptop.h.dataPath()).data;
    EXPECT_EQ(onDisk.sessions.size(), 4);
    ASSERT_TRUE(onDisk.sync);
    EXPECT_EQ(onDisk.sync->tombstones.size(), 1);
}

// A clear-all hides what its computer had seen (also the rounds of a computer whose file has
// gone), not what the other recorded meanwhile offline.
TEST_F(SyncService, ClearAllKeepsWhatTheOtherRecordedAfterIt)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    Computer laptop(shared.path(), QStringLiteral("笔记本"));
    {
        Computer retired(shared.path(), QStringLiteral("旧电脑"));
        retired.record(1);
        syncAll({&retired, &home, &laptop});
        QFile::remove(QDir(retired.service->devicesDirectory())
                          .filePath(retired.store().syncState()->deviceId.toString() + QStringLiteral(".json")));
    } // both hold the retired computer's round, whose file is now gone
    home.service = std::make_unique<sync::SyncService>(*home.h.store); // a new start: never read that file
    home.record(2);
    laptop.record(2);
    syncAll({&home, &laptop});
    ASSERT_EQ(home.ids().size(), 5);

    home.record(1); // not yet written when the clear comes: cleared as well
    home.store().clearHistory();
    laptop.record(3); // before it has read the clear
    QCoreApplication::processEvents();
    syncAll({&home, &laptop});
    EXPECT_EQ(home.ids().size(), 3);
    EXPECT_EQ(home.ids(), laptop.ids());
    home.record(1); // and the clearing computer's own later rounds stay too
    syncAll({&home, &laptop});
    EXPECT_EQ(laptop.ids().size(), 4);
}

// A clear-all covers the other computer's rounds this one holds even when it has not read that
// computer's file since it started (the file deleted from the folder meanwhile): they do not
// come back when the other computer writes its file again.
TEST_F(SyncService, ClearAllCoversHeldRoundsWhoseFileWasNotReadSinceStart)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    Computer laptop(shared.path(), QStringLiteral("笔记本"));
    laptop.record(2);
    syncAll({&home, &laptop});
    ASSERT_EQ(home.ids().size(), 2);
    ASSERT_TRUE(QFile::remove(QDir(laptop.service->devicesDirectory())
                                  .filePath(laptop.store().syncState()->deviceId.toString() + QStringLiteral(".json"))));
    home.service = std::make_unique<sync::SyncService>(*home.h.store); // the app started again

    home.store().clearHistory();
    syncAll({&home, &laptop});
    const QList<Uuid> after = laptop.record(1);
    syncAll({&home, &laptop});
    EXPECT_EQ(home.ids(), after);
    EXPECT_EQ(laptop.ids(), after);
}

// Conflict copies, temporary files, a half-written file and a file under another's name are not
// read (one log line each, not one per scan), and never stop the good files from merging.
TEST_F(SyncService, ForeignAndBrokenFilesAreSkippedOnce)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    Computer laptop(shared.path(), QStringLiteral("笔记本"));
    home.record(2);
    home.sync();
    const QDir devices(home.service->devicesDirectory());
    const QString homeFile = devices.filePath(home.store().syncState()->deviceId.toString() + QStringLiteral(".json"));
    QFile::copy(homeFile, devices.filePath(QStringLiteral("x.sync-conflict-20261208-101010-ABCDEFG.json")));
    QFile::copy(homeFile, devices.filePath(QStringLiteral(".syncthing.x.json.tmp")));
    fakes::writeFile(devices.filePath(QStringLiteral("0F0F0F0F-0000-4000-8000-000000000003.json")),
                     "{\"clears\": [], \"clock\": 3, \"deviceId\": ");
    QFile::copy(homeFile, devices.filePath(QStringLiteral("1F0F0F0F-0000-4000-8000-000000000004.json")));

    LogCapture log;
    laptop.sync();
    laptop.sync();
    EXPECT_EQ(laptop.ids(), home.ids());
    EXPECT_EQ(std::count_if(LogCapture::lines.cbegin(), LogCapture::lines.cend(),
                            [](const QString &l) { return l.startsWith(QStringLiteral("Tessary sync skipped")); }),
              2) << LogCapture::lines.join('\n').toStdString();
    EXPECT_EQ(laptop.service->deviceCount(), 2);
}

// A computer started from a copy of another's home folder writes as the same device: the one
// that finds a newer file under its id takes a new one, says so, and nothing is lost.
TEST_F(SyncService, ACopiedHomeFolderGetsANewDeviceId)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    home.record(2);
    home.sync();
    Computer copy(shared.path(), QStringLiteral("书房")); // replaced below by home's document
    copy.service.reset();
    copy.h.store.reset();
    QFile::remove(copy.h.dataPath());
    ASSERT_TRUE(QFile::copy(home.h.dataPath(), copy.h.dataPath()));
    copy.h.open();
    copy.service = std::make_unique<sync::SyncService>(*copy.h.store); // writes as home's id
    copy.record(1);
    copy.sync();
    home.sync();
    EXPECT_NE(home.store().syncState()->deviceId, copy.store().syncState()->deviceId);
    EXPECT_TRUE(home.service->statusText().contains(QStringLiteral("另一台电脑用了相同的设备标识")));
    home.record(1);
    syncAll({&home, &copy});
    EXPECT_EQ(home.ids().size(), 4);
    EXPECT_EQ(home.ids(), copy.ids());
}

// The real binary: two instances with their own data, runtime and state folders, each with its
// own archive, both given one plain folder with --sync-folder; soon each document holds both.
TEST_F(SyncService, TwoRealInstancesMergeThroughAPlainFolder)
{
    struct Instance {
        QTemporaryDir home;
        QProcess process;
        QString document() const { return home.filePath(QStringLiteral("data/Tessary/focus-data.json")); }
    };
    Instance first, second;
    const QList<StudySession> archiveA = fixtures::makeArchive(3, 2, Timestamp::fromSecsSinceEpoch(1796000000), 11);
    const QList<StudySession> archiveB = fixtures::makeArchive(4, 2, Timestamp::fromSecsSinceEpoch(1796100000), 12);
    ASSERT_TRUE(Persistence::save(first.document(), {}, archiveA));
    ASSERT_TRUE(Persistence::save(second.document(), {}, archiveB));
    for (Instance *i : {&first, &second}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), i->home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_STATE_HOME"), i->home.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), i->home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), i->home.filePath(QStringLiteral("run")));
        QDir().mkpath(i->home.filePath(QStringLiteral("run")));
        QFile::setPermissions(i->home.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        i->process.setProcessEnvironment(env);
        i->process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        i->process.start(QStringLiteral(TESSARY_BINARY), {QStringLiteral("--sync-folder"), shared.path()});
        ASSERT_TRUE(i->process.waitForStarted(10000));
    }
    const auto rounds = [](const Instance &i) { return Persistence::load(i.document()).data.sessions.size(); };
    QElapsedTimer waited;
    waited.start();
    while ((rounds(first) != 7 || rounds(second) != 7) && waited.elapsed() < 30000)
        QThread::msleep(200);
    EXPECT_EQ(rounds(first), 7);
    EXPECT_EQ(rounds(second), 7);
    for (Instance *i : {&first, &second}) {
        ::kill(pid_t(i->process.processId()), SIGTERM);
        if (!i->process.waitForFinished(10000))
            i->process.kill();
        EXPECT_EQ(i->process.exitStatus(), QProcess::NormalExit);
    }
}

// An edit of a past round (on any computer, of any computer's round) reaches the others, and of
// two edits the later one wins everywhere; the measured times stay as recorded.
TEST_F(SyncService, TheLatestEditOfARoundWinsOnEveryComputer)
{
    Computer home(shared.path(), QStringLiteral("书房"));
    Computer laptop(shared.path(), QStringLiteral("笔记本"));
    home.record(1);
    syncAll({&home, &laptop});
    const StudySession before = home.store().sessions().front();
    const QString id = before.id.toString();

    ASSERT_TRUE(laptop.store().editSession(id, QStringLiteral("阅读"), 2, 5, 1, QStringLiteral("其实很累")));
    EXPECT_EQ(laptop.store().toastMessage(), QStringLiteral("已保存修改。"));
    EXPECT_EQ(Persistence::load(laptop.h.dataPath()).data.sessions.value(0).note, QStringLiteral("其实很累"));
    syncAll({&laptop, &home});
    StudySession onHome = home.store().sessions().front();
    EXPECT_EQ(onHome.taskName, QStringLiteral("阅读"));
    EXPECT_EQ(onHome.note, QStringLiteral("其实很累"));
    EXPECT_EQ(onHome.focusRating, 2);
    EXPECT_EQ(onHome.startedAt, before.startedAt);
    EXPECT_EQ(onHome.focusedSeconds, before.focusedSeconds);
    EXPECT_EQ(onHome.events, before.events);

    home.store().editSession(id, QString(), 4, 5, 1, QStringLiteral("书房改的"));
    syncAll({&home, &laptop});
    EXPECT_EQ(laptop.store().sessions().front().note, QStringLiteral("书房改的"));
    EXPECT_FALSE(laptop.store().sessions().front().taskName);
    EXPECT_EQ(home.store().sessions(), laptop.store().sessions());
    EXPECT_FALSE(home.store().editSession(QStringLiteral("not an id"), {}, 3, 3, 3, {}));
}
