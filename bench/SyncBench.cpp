// Sync at a heavy user's size: two computers with 10,000 rounds each. Writing this computer's
// device file (encode + atomic write), reading and merging two device files, and the service's
// whole pass (read, merge, save the merged document) between two stores.

#include "ArchiveFactory.h"
#include "StoreHarness.h"
#include "records/AtomicFile.h"
#include "sync/Merge.h"
#include "sync/SyncService.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tessary;

namespace {

constexpr int kRounds = 10000;

DeviceFile deviceFile(unsigned seed, Timestamp newest)
{
    DeviceFile f;
    f.deviceId = Uuid::createRandom();
    f.deviceName = QStringLiteral("电脑 %1").arg(seed);
    f.sequence = kRounds;
    f.clock = 40;
    f.sessions = fixtures::makeArchive(kRounds, 10, newest, seed);
    for (int i = 0; i < kRounds; ++i)
        f.sessions[i].origin = SyncOrigin{f.deviceId, i + 1};
    return f;
}

struct Files {
    QTemporaryDir dir;
    DeviceFile a = deviceFile(1, Timestamp::fromSecsSinceEpoch(1796000000));
    DeviceFile b = deviceFile(2, Timestamp::fromSecsSinceEpoch(1796100000));
    std::string bytesA, bytesB;
    Files()
    {
        encodeDeviceFile(a, bytesA);
        encodeDeviceFile(b, bytesB);
    }
};

Files &files()
{
    static Files f;
    return f;
}

void BM_WriteOwnDeviceFile(benchmark::State &state)
{
    Files &f = files();
    const QString path = f.dir.filePath(QStringLiteral("devices/own.json"));
    for (auto _ : state) {
        AtomicFile out(path, 0644);
        benchmark::DoNotOptimize(out.open() && encodeDeviceFile(f.a, [&](std::string_view p) { return out.write(p); })
                                 && out.commit());
    }
    state.counters["MB"] = double(f.bytesA.size()) / 1e6;
}

// What one computer does with two files of 10,000 rounds: decode both, merge with its archive.
void BM_DecodeAndMergeTwoDeviceFiles(benchmark::State &state)
{
    Files &f = files();
    const QList<StudySession> local = f.a.sessions;
    for (auto _ : state) {
        const auto a = decodeDeviceFile(f.bytesA);
        const auto b = decodeDeviceFile(f.bytesB);
        const auto merged = sync::merge(local, {*a.file, *b.file});
        benchmark::DoNotOptimize(merged.sessions.size());
    }
}

// The service's pass on a computer with nothing new to take: read both files of 10,000 rounds,
// merge with its 20,000, find nothing changed (the first pass, which saved, is not counted).
void BM_ServicePassBetweenTwoStores(benchmark::State &state)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir shared;
    fakes::StoreHarness home, laptop;
    // Archives recorded before sync was on: each computer adopts its own when sync starts.
    const auto withoutOrigins = [](QList<StudySession> sessions) {
        for (auto &s : sessions)
            s.origin.reset();
        return sessions;
    };
    Persistence::save(home.dataPath(), {}, withoutOrigins(files().a.sessions));
    Persistence::save(laptop.dataPath(), {}, withoutOrigins(files().b.sessions));
    home.open();
    laptop.open();
    sync::SyncService homeSync(*home.store), laptopSync(*laptop.store);
    homeSync.setFolder(shared.path());
    laptopSync.setFolder(shared.path());
    homeSync.syncNow();
    for (auto _ : state) {
        laptopSync.syncNow();
        benchmark::DoNotOptimize(laptop.store->sessions().size());
    }
    state.counters["rounds"] = double(laptop.store->sessions().size());
}

} // namespace

BENCHMARK(BM_WriteOwnDeviceFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DecodeAndMergeTwoDeviceFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ServicePassBetweenTwoStores)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();
