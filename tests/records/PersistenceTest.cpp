#include "ArchiveFactory.h"
#include "records/Persistence.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace tessary;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Collects what the application logs while alive.
struct LogCapture {
    static inline QStringList lines;
    QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &msg) { lines.append(msg); });
    LogCapture() { lines.clear(); }
    ~LogCapture() { qInstallMessageHandler(previous); }
};

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

TEST_F(PersistenceTest, TheDataFileLivesUnderTheUsersDataDirectory)
{
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    EXPECT_EQ(Persistence::dataFilePath(), dir.path() + QStringLiteral("/Tessary/focus-data.json"));
    EXPECT_EQ(Persistence::userAmbientDirectory(), dir.path() + QStringLiteral("/Tessary/Ambient"));
    qunsetenv("XDG_DATA_HOME");
}

TEST_F(PersistenceTest, FirstLaunchHasDefaultsAndMakesNoCopy)
{
    const auto r = Persistence::load(file());
    EXPECT_EQ(r.outcome, Persistence::LoadOutcome::missing);
    EXPECT_EQ(r.data, PersistedData());
    EXPECT_TRUE(r.preservedCopyPath.isEmpty());
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("Tessary"))).exists());
}

TEST_F(PersistenceTest, SaveCreatesTheDirectoryAndLoadReadsItBack)
{
    const auto sessions = fixtures::makeArchive(50);
    ASSERT_TRUE(Persistence::save(file(), fixtures::richSettings(), sessions));
    const auto r = Persistence::load(file());
    EXPECT_EQ(r.outcome, Persistence::LoadOutcome::loaded);
    EXPECT_EQ(r.data.settings, fixtures::richSettings());
    EXPECT_EQ(r.data.sessions, sessions);
    EXPECT_EQ(siblings(), QStringList{QStringLiteral("focus-data.json")}); // no temporary left behind
    EXPECT_FALSE(readAll(file()).startsWith("\xEF\xBB\xBF"));
}

TEST_F(PersistenceTest, OpeningTheDocumentRemovesWhatInterruptedSavesLeftAndNothingElse)
{
    ASSERT_TRUE(Persistence::save(file(), AppSettings{}, {}));
    const QDir d(dir.filePath(QStringLiteral("Tessary")));
    const QStringList mine{QStringLiteral("focus-data.json.bak"), QStringLiteral("focus-data.json.x1y2z3w"),
                           QStringLiteral("focus-data.json.ab-123"), QStringLiteral("focus-data.unreadable-20261207T010203Z.json"),
                           QStringLiteral("other.json.Ab12Cd")};
    for (const QString &name : mine + QStringList{QStringLiteral("focus-data.json.Ab12Cd"), QStringLiteral("focus-data.json.QWERTY")}) {
        QFile f(d.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("{\"half\": ");
    }
    EXPECT_EQ(Persistence::load(file()).outcome, Persistence::LoadOutcome::loaded);
    QStringList expected = mine;
    expected.append(QStringLiteral("focus-data.json"));
    expected.sort();
    EXPECT_EQ(siblings(), expected);
}

TEST_F(PersistenceTest, AnUndecodableDocumentIsKeptBeforeAnythingCanOverwriteIt)
{
    QDir().mkpath(dir.filePath(QStringLiteral("Tessary")));
    const QByteArray damaged = "{\"settings\": {\"selectedDurationMinutes\": 50}, \"sessions\": [";
    writeAll(file(), damaged);

    LogCapture log;
    const auto r = Persistence::load(file());
    EXPECT_EQ(r.outcome, Persistence::LoadOutcome::unreadable);
    EXPECT_EQ(r.data, PersistedData());
    ASSERT_FALSE(r.preservedCopyPath.isEmpty());
    EXPECT_EQ(readAll(r.preservedCopyPath), damaged);
    EXPECT_TRUE(QFileInfo(r.preservedCopyPath)
                    .fileName()
                    .contains(QRegularExpression(QStringLiteral("^focus-data\\.unreadable-\\d{8}T\\d{6}Z\\.json$"))));
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines.front().contains(r.preservedCopyPath));

    // The next save replaces the original; the copy stays.
    ASSERT_TRUE(Persistence::save(file(), fixtures::richSettings(), fixtures::makeArchive(3)));
    EXPECT_EQ(readAll(r.preservedCopyPath), damaged);

    // A second unreadable launch in the same second does not overwrite the first copy. A
    // document missing one required member is unreadable as a whole: none of it is taken.
    QByteArray partial = readAll(file());
    partial.replace("\"autoPlayMusic\": true,", "");
    writeAll(file(), partial);
    const auto again = Persistence::load(file());
    EXPECT_EQ(again.outcome, Persistence::LoadOutcome::unreadable);
    EXPECT_EQ(again.data, PersistedData());
    EXPECT_NE(again.preservedCopyPath, r.preservedCopyPath);
    EXPECT_EQ(readAll(again.preservedCopyPath), partial);
    EXPECT_EQ(readAll(r.preservedCopyPath), damaged);
}

// A save that cannot happen logs one line and leaves the old document and the caller's state
// alone: a directory where the file should be, a file where the directory should be, and a
// directory the user may not write to.
TEST_F(PersistenceTest, AFailedSaveLogsAndLeavesTheOldDocument)
{
    ASSERT_TRUE(Persistence::save(file(), AppSettings(), fixtures::makeArchive(2)));
    const QByteArray before = readAll(file());
    const auto sessions = fixtures::makeArchive(5);
    const auto failsLoggingOnce = [&](const QString &path) {
        LogCapture log;
        const bool saved = Persistence::save(path, AppSettings(), sessions);
        return !saved && log.lines.size() == 1
               && log.lines.front().startsWith(QStringLiteral("Tessary save failed: "));
    };
    QDir().mkpath(dir.filePath(QStringLiteral("blocked/focus-data.json")));
    EXPECT_TRUE(failsLoggingOnce(dir.filePath(QStringLiteral("blocked/focus-data.json"))));
    writeAll(dir.filePath(QStringLiteral("plainfile")), "x");
    EXPECT_TRUE(failsLoggingOnce(dir.filePath(QStringLiteral("plainfile/Tessary/focus-data.json"))));

    const QString folder = dir.filePath(QStringLiteral("Tessary"));
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther | QFileDevice::ExeOther;
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
    QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner);
    QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    EXPECT_TRUE(failedAsExpected);
    EXPECT_EQ(readAll(file()), before);
    EXPECT_EQ(sessions, fixtures::makeArchive(5)); // the caller's state is untouched
}

// ---------------------------------------------------------------------------
// CSV

namespace {
StudySession csvSession(const char *startedUtc, std::int64_t focusedSeconds)
{
    StudySession s;
    s.id = Uuid::createRandom();
    s.startedAt = *Timestamp::parseIso8601(startedUtc);
    s.endedAt = s.startedAt;
    s.plannedMinutes = 25;
    s.focusedSeconds = focusedSeconds;
    s.focusRating = 4;
    s.startEnergy = 5;
    s.endEnergy = 2;
    return s;
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
    const QList<QByteArray> rows = csv.split('\n');
    ASSERT_EQ(rows.size(), 5);
    EXPECT_TRUE(rows[1].startsWith("2026-07-01 14:00:00,"));
    EXPECT_TRUE(rows[2].startsWith("2026-10-25 02:30:00,"));
    EXPECT_TRUE(rows[3].startsWith("2026-10-25 02:30:00,")); // the repeated hour
    EXPECT_TRUE(rows[4].startsWith("2027-01-01 13:00:00,"));
}

TEST_F(PersistenceTest, CsvIsWrittenAtomicallyAndReportsFailure)
{
    const QString path = dir.filePath(QStringLiteral("export.csv"));
    writeAll(path, "old contents");
    EXPECT_TRUE(Persistence::writeCsv(path, fixtures::makeArchive(3)));
    const QByteArray written = readAll(path);
    EXPECT_TRUE(written.startsWith(kHeader));
    EXPECT_EQ(written.count('\n'), 3);
    EXPECT_FALSE(Persistence::writeCsv(dir.filePath(QStringLiteral("no/such/dir/export.csv")), {}));
}
