#include "ArchiveFactory.h"
#include "sync/Merge.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessary;

namespace {

const Uuid kA = *Uuid::parse(std::string_view("AAAAAAAA-0000-4000-8000-000000000001"));
const Uuid kB = *Uuid::parse(std::string_view("BBBBBBBB-0000-4000-8000-000000000002"));

// `count` rounds recorded on `device`, added at sequences from `firstAdded` on.
QList<StudySession> roundsOf(const Uuid &device, int count, std::int64_t firstAdded, unsigned seed)
{
    QList<StudySession> rounds = fixtures::makeArchive(count, 1, Timestamp::fromSecsSinceEpoch(1796000000), seed);
    for (int i = 0; i < count; ++i)
        rounds[i].origin = SyncOrigin{device, firstAdded + i};
    return rounds;
}

DeviceFile fileOf(const Uuid &device, QList<StudySession> rounds, std::int64_t sequence)
{
    DeviceFile f;
    f.deviceId = device;
    f.deviceName = device == kA ? QStringLiteral("书房") : QStringLiteral("笔记本");
    f.sequence = sequence;
    f.sessions = std::move(rounds);
    return f;
}

QList<Uuid> idsOf(const QList<StudySession> &sessions)
{
    QList<Uuid> ids;
    for (const auto &s : sessions)
        ids.append(s.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace

// The union by id whatever the order the files were listed in, the local copy of a file's round
// replaced by the file's, a vanished file deleting nothing; newest first, ties by id.
TEST(Merge, TheUnionIsTheSameInAnyOrderAndAVanishedFileDeletesNothing)
{
    const auto a = roundsOf(kA, 5, 1, 1);
    const auto b = roundsOf(kB, 4, 1, 2);
    QList<StudySession> local = a.mid(0, 3);
    local[0].note = QStringLiteral("本地的旧副本");
    const auto one = sync::merge(local, {fileOf(kA, a, 5), fileOf(kB, b, 4)});
    const auto two = sync::merge(local, {fileOf(kB, b, 4), fileOf(kA, a, 5)});
    EXPECT_EQ(one.sessions, two.sessions);
    EXPECT_EQ(one.sessions.size(), 9);
    EXPECT_EQ(std::count_if(one.sessions.cbegin(), one.sessions.cend(),
                            [](const StudySession &s) { return s.note == QStringLiteral("本地的旧副本"); }),
              0);
    EXPECT_TRUE(std::is_sorted(one.sessions.cbegin(), one.sessions.cend(), [](const auto &x, const auto &y) {
        return x.startedAt != y.startedAt ? x.startedAt > y.startedAt : x.id < y.id;
    }));
    // B's file gone: what B brought stays.
    EXPECT_EQ(idsOf(sync::merge(one.sessions, {fileOf(kA, a, 5)}).sessions), idsOf(one.sessions));
}

// A tombstone removes its round wherever it is held; a clear-all removes what its author had
// seen of each computer and nothing recorded after it, on the author or elsewhere.
TEST(Merge, TombstonesAndClearMarksRemoveWhatTheyNameOnly)
{
    const auto a = roundsOf(kA, 4, 1, 1);       // A's rounds added at 1…4
    const auto bSeen = roundsOf(kB, 3, 1, 2);   // B's at 1…3, which A had read
    auto bLater = roundsOf(kB, 2, 4, 3);        // B's at 4…5, recorded after A cleared
    DeviceFile fa = fileOf(kA, a, 4);
    fa.clears.append(ClearMark{kA, 9, {SeenSequence{kA, 4}, SeenSequence{kB, 3}}});
    auto aAfter = roundsOf(kA, 1, 5, 4);         // A's round after its own clear
    fa.sessions += aAfter;
    DeviceFile fb = fileOf(kB, bSeen + bLater, 5);
    fb.tombstones.append(Tombstone{bLater[0].id, 10});
    const auto merged = sync::merge(a + bSeen, {fa, fb});
    EXPECT_EQ(idsOf(merged.sessions), idsOf({bLater[1], aAfter[0]}));
    EXPECT_EQ(merged.tombstones.size(), 1);
    EXPECT_EQ(merged.clears.size(), 1);
}

// The task list is the latest write by the Lamport clock, ties by device id, whatever the files'
// wall-clock times say (a computer an hour behind still wins with the later clock).
TEST(Merge, TheLatestTaskListWinsByClockNotByWallTime)
{
    DeviceFile fa = fileOf(kA, {}, 3);
    fa.tasksClock = TaskListClock{7, kA};
    fa.taskNames = {QStringLiteral("阅读")};
    DeviceFile fb = fileOf(kB, {}, 2);
    fb.tasksClock = TaskListClock{8, kB}; // B's wall clock was an hour behind: irrelevant
    fb.taskNames = {QStringLiteral("阅读"), QStringLiteral("写作")};
    fb.clock = 8;
    auto merged = sync::merge({}, {fa, fb});
    EXPECT_EQ(merged.taskNames, fb.taskNames);
    EXPECT_EQ(merged.highestClock, 8);
    fa.tasksClock = TaskListClock{8, kA}; // a tie: the higher device id
    merged = sync::merge({}, {fa, fb});
    EXPECT_EQ(merged.taskNames, fb.taskNames);
}

// The device file reads back as written, and a half-written, foreign or newer-format one is
// refused with a reason rather than half read.
TEST(DeviceFileCodec, RoundTripsAndRefusesWhatIsNotWhole)
{
    DeviceFile f = fileOf(kA, roundsOf(kA, 3, 1, 5), 4);
    f.clock = 12;
    f.tombstones = {Tombstone{kB, 3}};
    f.clears = {ClearMark{kA, 11, {SeenSequence{kA, 2}, SeenSequence{kB, 9}}}};
    f.tasksClock = TaskListClock{10, kA};
    f.taskNames = {QStringLiteral("高等数学"), QStringLiteral("English")};
    std::string bytes;
    encodeDeviceFile(f, bytes);
    const auto back = decodeDeviceFile(bytes);
    ASSERT_TRUE(back.file) << back.error;
    EXPECT_EQ(*back.file, f);

    EXPECT_FALSE(decodeDeviceFile(std::string_view(bytes).substr(0, bytes.size() / 2)).file);
    EXPECT_FALSE(decodeDeviceFile("{\"sessions\": []}").file);
    std::string newer = bytes;
    newer.replace(newer.find("\"format\": 1"), 11, "\"format\": 2");
    const auto refused = decodeDeviceFile(newer);
    EXPECT_FALSE(refused.file);
    EXPECT_NE(refused.error.find("format"), std::string::npos);
}
