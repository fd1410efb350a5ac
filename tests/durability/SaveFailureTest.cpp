#include "ArchiveFactory.h"
#include "DurabilitySupport.h"
#include "FileBytes.h"
#include "LogCapture.h"
#include "StoreHarness.h"
#include "records/Persistence.h"
#include "ui/QuitGuard.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <sys/stat.h>

using namespace tessary;
using namespace tessary::durability;
using fakes::LogCapture;
using fakes::StoreHarness;

namespace {

const QString kFullDisk = QStringLiteral("没能保存记录：磁盘空间不足。汀禾把记录留在内存里，会继续尝试保存。");
const QString kStored = QStringLiteral("这一轮已存入你的专注档案。");

// Runs a short round to its review and saves the review with `note`.
void reviewARound(StoreHarness &h, const QString &note)
{
    h.store->startSession();
    h.advance(120);
    h.store->finishSession(false);
    h.store->saveCompletion(4, 3, note);
}

QStringList notesOf(const QList<StudySession> &sessions)
{
    QStringList notes;
    for (const auto &s : sessions)
        notes << s.note;
    return notes;
}

// The data folder's place taken by a regular file: no save can create it.
void blockDataFolder(StoreHarness &h)
{
    QDir(h.dir.filePath(QStringLiteral("Tessary"))).removeRecursively();
    QFile blocker(h.dir.filePath(QStringLiteral("Tessary")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
}

void unblockDataFolder(StoreHarness &h) { QFile::remove(h.dir.filePath(QStringLiteral("Tessary"))); }

} // namespace

// The write reports the cause the user is told, the log names the system's own words, and a
// failed write leaves the old document and no temporary file.
TEST(AtomicFile, AFailedSaveSaysWhyAndLeavesTheOldDocument)
{
    // A folder that cannot be made: SaveFailure.AFolderThatCannotBeMadeIsReportedForEverySaveAndRecovers.
    QTemporaryDir dir;
    SmallDisk disk(dir.filePath(QStringLiteral("small")));
    if (!disk.mounted())
        GTEST_SKIP() << "no full disk to test: " << disk.whyNot.toStdString();
    const QString path = disk.path + QStringLiteral("/focus-data.json");
    ASSERT_TRUE(Persistence::save(path, {}, fixtures::makeArchive(2)));
    const QByteArray before = fakes::readFile(path);
    disk.fill();
    LogCapture log;
    const WriteResult full = Persistence::save(path, {}, fixtures::makeArchive(300));
    EXPECT_EQ(full.problem, WriteProblem::noSpace);
    EXPECT_TRUE(LogCapture::mentions(path + QStringLiteral(": No space left on device")))
        << log.lines.join('\n').toStdString();
    EXPECT_EQ(fakes::readFile(path), before);
    EXPECT_EQ(QDir(disk.path).entryList(QDir::Files | QDir::Hidden).size(), 2); // the document and the filler

    SmallDisk readOnly(dir.filePath(QStringLiteral("readonly")), 64, ",ro");
    ASSERT_TRUE(readOnly.mounted());
    EXPECT_EQ(Persistence::save(readOnly.path + QStringLiteral("/focus-data.json"), {}, {}).problem,
              WriteProblem::noPermission);
}

// On a full disk the review is not called stored: a banner says why and stays, the round stays
// in memory, retries wait 30 s (one at a time), and once space is freed the retry saves it.
TEST(SaveFailure, AFullDiskKeepsTheReviewedRoundUntilARetrySavesIt)
{
    StoreHarness h;
    SmallDisk disk(h.dir.filePath(QStringLiteral("Tessary")));
    if (!disk.mounted())
        GTEST_SKIP() << "no full disk to test: " << disk.whyNot.toStdString();
    AppStore &store = h.openWith(25);
    reviewARound(h, QStringLiteral("第一轮"));
    ASSERT_EQ(store.toastMessage(), kStored);
    h.advance(4);

    disk.fill();
    QSignalSpy banner(&store, &AppStore::saveStateChanged);
    reviewARound(h, QStringLiteral("满盘的一轮"));
    EXPECT_FALSE(store.toastMessage().has_value());
    EXPECT_EQ(store.saveProblemText(), kFullDisk);
    EXPECT_TRUE(store.hasUnsavedChanges());
    EXPECT_EQ(notesOf(store.sessions()), (QStringList{QStringLiteral("满盘的一轮"), QStringLiteral("第一轮")}));
    EXPECT_EQ(notesOf(h.onDisk().sessions), QStringList{QStringLiteral("第一轮")});

    h.advance(31); // the timer's retry, still full: the banner stays, one retry waits
    EXPECT_EQ(store.saveProblemText(), kFullDisk);
    EXPECT_EQ(banner.count(), 1);
    EXPECT_EQ(h.scheduler.pendingCount(), 1u);

    disk.free();
    h.advance(30);
    EXPECT_EQ(store.saveProblemText(), QString());
    EXPECT_FALSE(store.hasUnsavedChanges());
    EXPECT_EQ(store.toastMessage(), QStringLiteral("记录已保存。"));
    EXPECT_EQ(notesOf(h.onDisk().sessions), notesOf(store.sessions()));
    h.advance(60);
    EXPECT_FALSE(h.scheduler.hasPending()); // nothing left waking up
}

// A data folder that cannot be created: every kind of save (settings, a deleted round,
// clear-all) shows the banner instead of its success, the button's retry answers, and the next
// change saves everything once the folder can be made.
TEST(SaveFailure, AFolderThatCannotBeMadeIsReportedForEverySaveAndRecovers)
{
    StoreHarness h;
    AppStore &store = h.openWith(25);
    reviewARound(h, QStringLiteral("甲"));
    reviewARound(h, QStringLiteral("乙"));
    h.advance(4);
    blockDataFolder(h);

    h.edit([](AppSettings &s) { s.selectedDurationMinutes = 40; });
    h.advance(0.3); // the settings' debounce
    EXPECT_EQ(store.saveProblemText(),
              QStringLiteral("没能保存记录：数据文件夹不可用。汀禾把记录留在内存里，会继续尝试保存。"));
    store.retrySave();
    EXPECT_EQ(store.toastMessage(), QStringLiteral("还是没能保存：数据文件夹不可用。"));
    h.advance(4);
    EXPECT_EQ(h.scheduler.pendingCount(), 1u); // failures do not pile up retries

    store.removeSession(store.sessions().front());
    EXPECT_EQ(store.sessions().size(), 1);
    store.clearHistory(); // its backup cannot be written either: nothing is cleared
    EXPECT_EQ(store.toastMessage(), QStringLiteral("没能先备份当前记录（数据文件夹不可用），记录没有清空。"));
    EXPECT_EQ(store.sessions().size(), 1);

    unblockDataFolder(h);
    store.retrySave();
    EXPECT_EQ(store.saveProblemText(), QString());
    const PersistedData disk = h.onDisk();
    EXPECT_EQ(notesOf(disk.sessions), QStringList{QStringLiteral("甲")});
    EXPECT_EQ(disk.settings.selectedDurationMinutes, 40);
}

// Quitting with records the disk refuses: the guard stops the quit and asks once the window is
// up; quitting anyway writes a user-only emergency copy apart from the document; the next start
// merges it back by round id and removes it only after the merged document is saved.
TEST(EmergencyCopy, AQuitWhileUnsavedIsAskedKeptInACopyAndMergedBackOnce)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    StoreHarness h;
    h.openWith(25);
    reviewARound(h, QStringLiteral("已保存"));
    const QByteArray savedDocument = fakes::readFile(h.dataPath());
    blockDataFolder(h);
    reviewARound(h, QStringLiteral("只在内存里"));
    h.edit([](AppSettings &s) { s.selectedDurationMinutes = 50; });

    ui::QuitGuard guard(*h.store);
    QSignalSpy asked(&guard, &ui::QuitGuard::confirmationRequested);
    const auto requestQuit = [&app] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(&app, &quit); // what QCoreApplication::quit() does
    };
    requestQuit();
    EXPECT_EQ(asked.count(), 0); // no window to ask in: straight on to the copy
    int shown = 0;
    guard.setShowWindow([&shown] { ++shown; });
    requestQuit();
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(shown, 1);
    guard.retry(); // still refused: asked again, and told so
    EXPECT_EQ(asked.count(), 2);
    EXPECT_EQ(h.store->toastMessage(), QStringLiteral("还是没能保存：数据文件夹不可用。"));
    guard.quitAnyway();
    requestQuit();
    EXPECT_EQ(asked.count(), 2); // let through now

    EXPECT_FALSE(h.store->saveBeforeQuit());
    const QStringList copies = backups::emergencyCopies({h.emergencyDir()}, h.dataPath());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_FALSE(copies.front().startsWith(QFileInfo(h.dataPath()).absolutePath()));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(copies.front()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    h.store.reset();

    // The next start, with the folder back as it was.
    unblockDataFolder(h);
    QDir().mkpath(h.dir.filePath(QStringLiteral("Tessary")));
    fakes::writeFile(h.dataPath(), savedDocument);
    AppStore &next = h.open();
    EXPECT_EQ(notesOf(next.sessions()), (QStringList{QStringLiteral("只在内存里"), QStringLiteral("已保存")}));
    EXPECT_EQ(next.settings().selectedDurationMinutes, 50);
    EXPECT_EQ(next.toastMessage(), QStringLiteral("找回了上次没能保存的 1 轮记录。"));
    EXPECT_EQ(notesOf(h.onDisk().sessions), notesOf(next.sessions()));
    EXPECT_TRUE(backups::emergencyCopies({h.emergencyDir()}, h.dataPath()).isEmpty());
}

// A copy that cannot be merged into a saved document stays until a save takes it in.
TEST(EmergencyCopy, StaysUntilTheMergedDocumentIsSaved)
{
    StoreHarness h;
    h.openWith(25);
    blockDataFolder(h);
    reviewARound(h, QStringLiteral("一"));
    ASSERT_FALSE(h.store->saveBeforeQuit());
    h.store.reset();

    AppStore &next = h.open(); // the folder is still blocked
    EXPECT_EQ(next.sessions().size(), 1);
    EXPECT_EQ(backups::emergencyCopies({h.emergencyDir()}, h.dataPath()).size(), 1);
    unblockDataFolder(h);
    h.advance(30);
    EXPECT_EQ(h.onDisk().sessions.size(), 1);
    EXPECT_TRUE(backups::emergencyCopies({h.emergencyDir()}, h.dataPath()).isEmpty());
}
