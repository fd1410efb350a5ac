#include "ArchiveFactory.h"
#include "FileBytes.h"
#include "LogCapture.h"
#include "records/Persistence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace tessary;
using fakes::LogCapture;
using fakes::readFile;
using fakes::writeFile;

namespace {

class PersistenceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath(QStringLiteral("Tessary/focus-data.json")); }
    QStringList siblings() const
    {
        return QDir(dir.filePath(QStringLiteral("Tessary"))).entryList(QDir::Files, QDir::Name);
    }
};

} // namespace

// The document lives under the user's data directory. Before it exists: defaults, and nothing
// is created before the first save, which creates the directory and leaves only the document.
TEST_F(PersistenceTest, FirstLaunchHasDefaultsAndTheFirstSaveReadsBack)
{
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    EXPECT_EQ(Persistence::dataFilePath(), file());
    EXPECT_EQ(Persistence::userAmbientDirectory(), dir.path() + QStringLiteral("/Tessary/Ambient"));
    qunsetenv("XDG_DATA_HOME");
    const auto first = Persistence::load(file());
    EXPECT_EQ(first.outcome, Persistence::LoadOutcome::missing);
    EXPECT_EQ(first.data, PersistedData());
    EXPECT_TRUE(first.preservedCopyPath.isEmpty());
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("Tessary"))).exists());

    const auto sessions = fixtures::makeArchive(50);
    ASSERT_TRUE(Persistence::save(file(), fixtures::richSettings(), sessions));
    const auto r = Persistence::load(file());
    EXPECT_EQ(r.outcome, Persistence::LoadOutcome::loaded);
    EXPECT_EQ(r.data, (PersistedData{fixtures::richSettings(), sessions, std::nullopt}));
    EXPECT_EQ(siblings(), QStringList{QStringLiteral("focus-data.json")}); // no temporary left behind
    EXPECT_FALSE(readFile(file()).startsWith("\xEF\xBB\xBF"));
}

TEST_F(PersistenceTest, OpeningTheDocumentRemovesWhatInterruptedSavesLeftAndNothingElse)
{
    ASSERT_TRUE(Persistence::save(file(), AppSettings{}, {}));
    const QDir d(dir.filePath(QStringLiteral("Tessary")));
    const QStringList mine{u"focus-data.json.bak"_qs, u"focus-data.json.x1y2z3w"_qs, u"focus-data.json.ab-123"_qs,
                           u"focus-data.unreadable-20261207T010203Z.json"_qs, u"other.json.Ab12Cd"_qs};
    for (const QString &name : mine + QStringList{u"focus-data.json.Ab12Cd"_qs, u"focus-data.json.QWERTY"_qs})
        writeFile(d.filePath(name), "{\"half\": ");
    EXPECT_EQ(Persistence::load(file()).outcome, Persistence::LoadOutcome::loaded);
    QStringList expected = mine + QStringList{QStringLiteral("focus-data.json")};
    expected.sort();
    EXPECT_EQ(siblings(), expected);
}

TEST_F(PersistenceTest, AnUndecodableDocumentIsKeptBeforeAnythingCanOverwriteIt)
{
    QDir().mkpath(dir.filePath(QStringLiteral("Tessary")));
    const QByteArray damaged = "{\"settings\": {\"selectedDurationMinutes\": 50}, \"sessions\": [";
    writeFile(file(), damaged);

    LogCapture log;
    const auto r = Persistence::load(file());
    EXPECT_EQ(r.outcome, Persistence::LoadOutcome::unreadable);
    EXPECT_EQ(r.data, PersistedData());
    ASSERT_FALSE(r.preservedCopyPath.isEmpty());
    EXPECT_EQ(readFile(r.preservedCopyPath), damaged);
    const QRegularExpression name(QStringLiteral("^focus-data\\.unreadable-\\d{8}T\\d{6}Z\\.json$"));
    EXPECT_TRUE(name.match(QFileInfo(r.preservedCopyPath).fileName()).hasMatch()) << qPrintable(r.preservedCopyPath);
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines.front().contains(r.preservedCopyPath));

    // The next save replaces the original; the copy stays.
    ASSERT_TRUE(Persistence::save(file(), fixtures::richSettings(), fixtures::makeArchive(3)));
    EXPECT_EQ(readFile(r.preservedCopyPath), damaged);

    // A second unreadable launch in the same second does not overwrite the first copy. A
    // document missing one required member is unreadable as a whole: none of it is taken.
    QByteArray partial = readFile(file());
    partial.replace("\"autoPlayMusic\": true,", "");
    writeFile(file(), partial);
    const auto again = Persistence::load(file());
    EXPECT_EQ(again.outcome, Persistence::LoadOutcome::unreadable);
    EXPECT_EQ(again.data, PersistedData());
    EXPECT_NE(again.preservedCopyPath, r.preservedCopyPath);
    EXPECT_EQ(readFile(again.preservedCopyPath), partial);
    EXPECT_EQ(readFile(r.preservedCopyPath), damaged);
}

// A save that cannot happen logs one line and leaves the old document and the caller's state
// alone: a directory where the file should be, a file where the directory should be, and a
// directory the user may not write to.
TEST_F(PersistenceTest, AFailedSaveLogsAndLeavesTheOldDocument)
{
    ASSERT_TRUE(Persistence::save(file(), AppSettings(), fixtures::makeArchive(2)));
    const QByteArray before = readFile(file());
    const auto sessions = fixtures::makeArchive(5);
    const auto failsLoggingOnce = [&](const QString &path) {
        LogCapture log;
        return !Persistence::save(path, AppSettings(), sessions) && log.lines.size() == 1
               && log.lines.front().startsWith(QStringLiteral("Tessary save failed: "));
    };
    QDir().mkpath(dir.filePath(QStringLiteral("blocked/focus-data.json")));
    EXPECT_TRUE(failsLoggingOnce(dir.filePath(QStringLiteral("blocked/focus-data.json"))));
    writeFile(dir.filePath(QStringLiteral("plainfile")), "x");
    EXPECT_TRUE(failsLoggingOnce(dir.filePath(QStringLiteral("plainfile/Tessary/focus-data.json"))));

    const QString folder = dir.filePath(QStringLiteral("Tessary"));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(dir.path(), readOnly);
    QFile::setPermissions(folder, readOnly);
    // Root writes anywhere, so as root the save runs in a child process as "nobody".
    bool failedAsExpected = false;
    if (geteuid() == 0) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(setgid(65534) == 0 && setuid(65534) == 0 && failsLoggingOnce(file()) ? 0 : 1);
        int status = 0;
        waitpid(child, &status, 0);
        failedAsExpected = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
        failedAsExpected = failsLoggingOnce(file());
    }
    QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
    QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner);
    EXPECT_TRUE(failedAsExpected);
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(sessions, fixtures::makeArchive(5)); // the caller's state is untouched
}

namespace {
StudySession csvSession(const char *startedUtc, std::int64_t focusedSeconds)
{
    const Timestamp at = *Timestamp::parseIso8601(startedUtc);
    return {.id = Uuid::createRandom(), .startedAt = at, .endedAt = at, .taskName = {}, .plannedMinutes = 25,
            .focusedSeconds = focusedSeconds, .events = {}, .startEnergy = 5, .endEnergy = 2, .focusRating = 4,
            .note = {}, .origin = {}, .edited = {}};
}

const QByteArray kHeader = "开始时间,任务,计划分钟,专注分钟,完成,专注评分,开始精力,结束精力,走神次数,疲劳次数,提示次数,备注\n";
} // namespace

// Oldest first, no line feed after the last row, quoted texts, minutes rounded half up (90 s
// is 2), counts that leave pauses out, and nothing but the header for an empty archive.
TEST(Csv, RowsRunOldestFirstWithoutATrailingLineFeed)
{
    EXPECT_EQ(Persistence::csvText({}, QTimeZone::utc()), kHeader);
    StudySession newer = csvSession("2026-12-06T13:00:00Z", 1500);
    newer.taskName = QStringLiteral(" 数学 ");
    newer.completed = true;
    newer.events = {FocusEvent{{}, {}, 0, FocusEventKind::mindWander}, FocusEvent{{}, {}, 0, FocusEventKind::fatigue},
                    FocusEvent{{}, {}, 0, FocusEventKind::reminder}, FocusEvent{{}, {}, 0, FocusEventKind::pause},
                    FocusEvent{{}, {}, 0, FocusEventKind::mindWander}};
    StudySession older = csvSession("2026-12-05T23:59:59Z", 90);
    older.taskName = QStringLiteral(" \n ");
    older.note = QStringLiteral("a, \"b\"\nc");
    const QByteArray csv = Persistence::csvText({newer, older}, QTimeZone("Asia/Shanghai"));
    EXPECT_EQ(csv, kHeader
                       + "2026-12-06 07:59:59,\"未分类\",25,2,否,4,5,2,0,0,0,\"a, \"\"b\"\"\nc\"\n"
                         "2026-12-06 21:00:00,\"数学\",25,25,是,4,5,2,2,1,1,\"\"");
}

TEST(Csv, StartTimesFollowTheZoneAcrossDaylightSavingChanges)
{
    // Europe/Berlin leaves summer time at 01:00 UTC on 2026-10-25.
    const QByteArray csv = Persistence::csvText(
        {csvSession("2026-10-25T00:30:00Z", 60), csvSession("2026-10-25T01:30:00Z", 60),
         csvSession("2026-07-01T12:00:00Z", 60), csvSession("2027-01-01T12:00:00Z", 60)},
        QTimeZone("Europe/Berlin"));
    QStringList starts;
    for (const QByteArray &row : csv.split('\n').mid(1))
        starts << QString::fromUtf8(row.left(19));
    EXPECT_EQ(starts.join(u'|'), u"2026-07-01 14:00:00|2026-10-25 02:30:00|2026-10-25 02:30:00|2027-01-01 13:00:00"_qs);
}
