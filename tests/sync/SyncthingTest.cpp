// Two real Syncthing instances, each syncing a folder of its own, and a computer on each folder:
// what reaches the archives when the sync tool, not the test, decides when files move.
#include "ArchiveFactory.h"
#include "SyncTestSupport.h"
#include "records/DocumentCodec.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <iostream>
#include <thread>
#include <utility>

using namespace tessary;
using namespace Qt::StringLiterals;
using fakes::Computer;

namespace {

const QString kFolderId = u"tessary-archive"_s;
constexpr int kSettleMs = 60 * 1000;

// A network namespace whose only interface is the loopback, up: the instances can reach each
// other and nothing else. Made on a thread of its own because a thread enters it, not the
// process, and the test's threads stay where they are; the descriptor keeps it alive.
// -1 where the machine does not allow it.
int makePrivateNetwork()
{
    int fd = -1;
    std::thread([&fd] {
        const int s = ::unshare(CLONE_NEWNET) == 0 ? ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0) : -1;
        ifreq lo{};
        std::strncpy(lo.ifr_name, "lo", IFNAMSIZ - 1);
        lo.ifr_flags = IFF_UP; // a new namespace's loopback has no other flag to keep
        if (s >= 0 && ::ioctl(s, SIOCSIFFLAGS, &lo) == 0)
            fd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (s >= 0)
            ::close(s);
    }).join();
    return fd;
}

// Ends a process this test started, by its own handle: asked first, killed if it will not go.
void stop(QProcess &p)
{
    p.terminate();
    if (!p.waitForFinished(10000))
        p.kill();
    p.waitForFinished(5000);
}

// One Syncthing: its home (keys, config, database), the folder it syncs, and its REST API on a
// local socket, which the test reaches from outside the namespace the instance runs in.
struct SyncthingInstance {
    QString name, home, folder, socket, log, deviceId;
    QByteArray apiKey = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    quint16 port = 0;
    QProcess process;

    SyncthingInstance(const QTemporaryDir &root, const QString &n)
        : name(n), home(root.filePath(n + u"-home"_s)), folder(root.filePath(n + u"-folder"_s)),
          socket(root.filePath(n + u".sock"_s)), log(root.filePath(n + u".log"_s)) {}
    ~SyncthingInstance() { stop(process); }

    // The JSON of a 200 answer; undefined for any other answer or none.
    QJsonValue rest(const QByteArray &method, const QString &pathAndQuery) const
    {
        QLocalSocket s;
        s.connectToServer(socket);
        if (!s.waitForConnected(2000))
            return QJsonValue::Undefined;
        // HTTP/1.0: the answer ends when the connection closes, so no chunks to undo.
        s.write(method + ' ' + pathAndQuery.toUtf8() + " HTTP/1.0\r\nHost: localhost\r\nX-API-Key: " + apiKey
                + "\r\nContent-Length: 0\r\n\r\n");
        s.waitForDisconnected(10000);
        const QByteArray raw = s.readAll();
        if (!raw.startsWith("HTTP/") || raw.mid(raw.indexOf(' ') + 1, 4) != "200 ")
            return QJsonValue::Undefined;
        return QJsonDocument::fromJson(raw.mid(raw.indexOf("\r\n\r\n") + 4)).object();
    }
    bool connectedTo(const SyncthingInstance &peer) const
    {
        return rest("GET", u"/rest/system/connections"_s)["connections"_L1][peer.deviceId]["connected"_L1].toBool();
    }
};

// The whole configuration, so nothing from a default can reach past the loopback: no discovery,
// relays, NAT, usage reports, crash reports or upgrades; the peer at a fixed address; the API on
// the local socket.
const QString kConfiguration = uR"(<configuration version="36">
  <folder id="%1" label="Tessary" path="%2" type="sendreceive" rescanIntervalS="3600" fsWatcherEnabled="true"
          fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true"><device id="%3"/><device id="%4"/></folder>
  <device id="%3" name="%5"><address>dynamic</address></device>
  <device id="%4" name="%6"><address>tcp://127.0.0.1:%7</address></device>
  <gui enabled="true" tls="false"><address>%8</address><apikey>%9</apikey></gui>
  <options><listenAddress>tcp://127.0.0.1:%10</listenAddress><startBrowser>false</startBrowser>
    <globalAnnounceEnabled>false</globalAnnounceEnabled><localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled><natEnabled>false</natEnabled><urAccepted>-1</urAccepted>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH><crashReportingEnabled>false</crashReportingEnabled>
    <announceLANAddresses>false</announceLANAddresses><reconnectionIntervalS>1</reconnectionIntervalS></options>
</configuration>
)"_s;

// Every file under the folder's Tessary/ with its bytes, leaving out what Syncthing is still
// writing (its temporary files), so two folders compare equal once the files have arrived.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(folder + u"/Tessary"_s, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!it.fileName().startsWith(u".syncthing."_s) && f.open(QIODevice::ReadOnly))
            out.insert(QDir(folder).relativeFilePath(f.fileName()), f.readAll());
    }
    return out;
}

// Ids as text, for failures a person can read: how many, and the first eight digits of each.
std::string describe(QList<Uuid> ids)
{
    std::sort(ids.begin(), ids.end());
    std::string out = std::to_string(ids.size()) + ":";
    for (const Uuid &id : ids)
        out += ' ' + id.toStdString().substr(0, 8);
    return out;
}

// Two computers, each on the folder of one of two Syncthings that share it under one folder id.
class Syncthing : public ::testing::Test {
protected:
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    QTemporaryDir root;
    const QString executable = QStandardPaths::findExecutable(u"syncthing"_s);
    SyncthingInstance a{root, u"study"_s}, b{root, u"laptop"_s};
    const std::pair<SyncthingInstance *, SyncthingInstance *> both[2] = {{&a, &b}, {&b, &a}};

    // Keys and a device id for `st`, from short Syncthing commands run to their end, and its
    // process set up to serve later: alone, without its monitor process, so that ending it by
    // its id ends it all; without a proxy from the environment, which would carry the connection
    // elsewhere.
    void prepare(SyncthingInstance &st) const
    {
        ASSERT_LT(QFile::encodeName(st.socket).size(), qsizetype(sizeof(sockaddr_un::sun_path)))
            << "the temporary folder's path is too long for a local socket: " << st.socket.toStdString();
        // Syncthing stops a folder without its marker, taking it for a disk that is not mounted.
        QDir().mkpath(st.folder + u"/.stfolder"_s);
        QDir().mkpath(st.home + u"/user"_s);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"all_proxy", "ALL_PROXY", "STGUIADDRESS", "STGUIAPIKEY"})
            env.remove(QString::fromLatin1(name));
        for (const char *name : {"STNODEFAULTFOLDER", "STNOUPGRADE", "STMONITORED"})
            env.insert(QString::fromLatin1(name), u"1"_s);
        env.insert(u"HOME"_s, st.home + u"/user"_s);
        st.process.setProcessEnvironment(env);
        st.process.setProgram(executable);
        for (const QString &command : {u"generate --no-default-folder --skip-port-probing"_s, u"serve --device-id"_s}) {
            st.process.setArguments(command.split(u' ') << u"--home="_s + st.home);
            st.process.start();
            const bool ok = st.process.waitForFinished(20000) && st.process.exitStatus() == QProcess::NormalExit
                            && st.process.exitCode() == 0;
            const QByteArray out = ok ? st.process.readAllStandardOutput() : st.process.readAllStandardError();
            st.deviceId = QString::fromUtf8(out).trimmed();
            ASSERT_TRUE(ok) << "syncthing " << command.toStdString() << " failed: " << out.toStdString();
        }
        ASSERT_FALSE(st.deviceId.isEmpty()) << "syncthing printed no device id";
    }

    // Waits (bounded) until `why` finds nothing wrong, running the event loop meanwhile; its last
    // answer and the end of both logs when the bound passed.
    std::string waitFor(int boundMs, const std::function<std::string()> &why) const
    {
        QElapsedTimer waited;
        waited.start();
        std::string reason;
        while (!(reason = why()).empty() && waited.elapsed() < boundMs)
            QTest::qWait(100);
        for (const SyncthingInstance *st : {&a, &b}) {
            QFile log(st->log);
            if (!reason.empty() && log.open(QIODevice::ReadOnly))
                reason += "\n--- " + st->name.toStdString() + " log:\n" + log.readAll().right(3000).toStdString();
        }
        return reason;
    }

    void startPair()
    {
        for (SyncthingInstance *st : {&a, &b})
            ASSERT_NO_FATAL_FAILURE(prepare(*st));
        {
            QTcpServer first, second; // open together while picked, so the two ports differ
            ASSERT_TRUE(first.listen(QHostAddress::LocalHost) && second.listen(QHostAddress::LocalHost))
                << "no free ports on the loopback";
            a.port = first.serverPort();
            b.port = second.serverPort();
        }
        for (auto [self, peer] : both) {
            const QString xml = kConfiguration.arg(kFolderId, self->folder.toHtmlEscaped(), self->deviceId,
                                                   peer->deviceId, self->name, peer->name, QString::number(peer->port),
                                                   self->socket.toHtmlEscaped(), QString::fromLatin1(self->apiKey),
                                                   QString::number(self->port));
            QFile config(self->home + u"/config.xml"_s);
            ASSERT_TRUE(config.open(QIODevice::WriteOnly) && config.write(xml.toUtf8()) > 0) << "cannot write config";
        }
        const int network = makePrivateNetwork();
        std::cout << "[ syncthing] "
                  << (network >= 0 ? "in a private network namespace" : "on the machine's loopback") << std::endl;
        for (SyncthingInstance *self : {&a, &b}) {
            self->process.setArguments({u"serve"_s, u"--home="_s + self->home, u"--no-browser"_s, u"--no-restart"_s});
            self->process.setProcessChannelMode(QProcess::MergedChannels);
            self->process.setStandardOutputFile(self->log);
            // In the child, before Syncthing runs: only calls safe between fork and exec.
            if (const int fd = network; fd >= 0)
                self->process.setChildProcessModifier([fd] {
                    if (::setns(fd, CLONE_NEWNET) != 0)
                        ::_exit(125);
                });
            self->process.start();
        }
        if (network >= 0) // the two started in it keep it alive
            ::close(network);
        const auto linked = [&]() -> std::string {
            for (auto [self, peer] : both)
                if (!self->connectedTo(*peer))
                    return self->name.toStdString()
                           + (self->process.state() == QProcess::NotRunning ? " exited" : " is not connected");
            return {};
        };
        ASSERT_EQ(waitFor(30000, linked), "");
    }

    // Scans both folders now rather than after the watcher's delay, then waits until the two are
    // alike and at rest twice in a row: each idle, needing nothing, seeing the other complete,
    // and the folders holding the same files.
    std::string settle()
    {
        QCoreApplication::processEvents(); // the services' pending writes first
        for (const SyncthingInstance *st : {&a, &b})
            if (st->rest("POST", u"/rest/db/scan?folder="_s + kFolderId).isUndefined())
                return st->name.toStdString() + " refused to scan";
        int calm = 0;
        return waitFor(kSettleMs, [&]() -> std::string {
            const int before = std::exchange(calm, 0);
            for (auto [self, peer] : both) {
                const QJsonValue status = self->rest("GET", u"/rest/db/status?folder="_s + kFolderId);
                const QJsonValue done =
                    self->rest("GET", u"/rest/db/completion?folder="_s + kFolderId + u"&device="_s + peer->deviceId);
                if (!self->connectedTo(*peer) || status["state"_L1] != u"idle"_s || status["needTotalItems"_L1] != 0
                    || done["completion"_L1] != 100 || done["needItems"_L1] != 0 || done["needDeletes"_L1] != 0)
                    return self->name.toStdString() + " is not connected, idle and seeing the other complete: "
                           + QJsonDocument(QJsonArray{status, done}).toJson(QJsonDocument::Compact).toStdString();
            }
            if (contents(a.folder) != contents(b.folder))
                return "the two folders differ";
            return (calm = before + 1) >= 2 ? "" : "not yet at rest twice";
        });
    }

    // The link down: one side pauses the other, and both see it gone.
    std::string pause()
    {
        if (a.rest("POST", u"/rest/system/pause?device="_s + b.deviceId).isUndefined())
            return "pause refused";
        return waitFor(kSettleMs, [&] { return a.connectedTo(b) || b.connectedTo(a) ? "still connected" : ""; });
    }
    bool resume() { return !a.rest("POST", u"/rest/system/resume?device="_s + b.deviceId).isUndefined(); }
};

} // namespace

// Rounds recorded on both computers at once, while Syncthing carries the files whenever it
// likes; changes made while the link is down, one computer's wall clock an hour behind; a
// clear-all on one while the other records offline; a device file deleted from the folder; junk
// in the folder. After each, once Syncthing is at rest, both archives are one and exactly what
// the two computers did.
TEST_F(Syncthing, TwoInstancesKeepOneArchiveThroughConcurrentOfflineAndLostFiles)
{
    if (executable.isEmpty())
        GTEST_SKIP() << "syncthing is not installed (it is not on PATH)";
    ASSERT_NO_FATAL_FAILURE(startPair());

    Computer study(a.folder, u"书房"_s);
    Computer laptop(b.folder, u"笔记本"_s);
    study.store().addTask(u"阅读"_s);
    study.store().addTask(u"数学"_s);
    QList<Uuid> expected, studyRounds, laptopRounds;
    QElapsedTimer phaseClock;
    phaseClock.start();
    // Syncthing at rest, then each service merges, twice around as the app's rescans would. Then
    // both computers show the same archive, round for round, holding exactly `expected`; the same
    // task list; and no conflict copy in either folder but the one the test planted, in both.
    const auto checkpoint = [&](const char *phase, const char *tasks, const QString &planted = {}) {
        SCOPED_TRACE(phase);
        ASSERT_EQ(settle(), "");
        fakes::syncAll({&study, &laptop});
        std::cout << "[     phase] " << phase << ": " << phaseClock.restart() << " ms" << std::endl;
        for (Computer *c : {&study, &laptop}) {
            SCOPED_TRACE(c == &study ? "the study" : "the laptop");
            EXPECT_EQ(describe(c->ids()), describe(expected));
            EXPECT_EQ(c->store().settings().taskNames.value_or(QStringList()).join(u'、').toStdString(), tasks);
        }
        EXPECT_TRUE(study.store().sessions() == laptop.store().sessions());
        for (const SyncthingInstance *st : {&a, &b})
            EXPECT_EQ(contents(st->folder).keys().filter(u".sync-conflict-"_s).join(u' ').toStdString(),
                      planted.isEmpty() ? "" : "Tessary/devices/" + planted.toStdString()) << st->name.toStdString();
    };

    // 1. Both record at once, in bursts of five with a short rest between; Syncthing moves the
    // files whenever its watcher fires, and each service merges when it sees them arrive.
    for (int i = 1; i <= 25; ++i) {
        if (i == 21) // how far the merges had come while both still wrote, for the log
            std::cout << "[          ] the laptop's rounds the study had merged before the last burst: "
                      << study.ids().size() - 20 << " of 20" << std::endl;
        studyRounds += study.record(1);
        laptopRounds += laptop.record(1);
        QTest::qWait(i % 5 == 0 ? 1200 : 100);
    }
    expected = studyRounds + laptopRounds;
    ASSERT_NO_FATAL_FAILURE(checkpoint("1 both record 25 at once", "阅读、数学"));

    // 2. Apart: each records 10, deletes one of the other's rounds and renames a task. The
    // laptop's wall clock is an hour behind from here on, and it acts first, so its file is also
    // the older one. Its task list still wins: since the two last met it made five changes (a
    // delete, a rename, then a typo fixed), the study three, and changes are ordered by counting
    // them, not by clocks or file times.
    ASSERT_EQ(pause(), "");
    laptop.h.clock.t = laptop.h.clock.t.addSecs(-3600);
    expected += laptop.record(10);
    laptop.store().removeSessionById(studyRounds.front().toString());
    laptop.store().removeTask(u"数学"_s);
    laptop.store().addTask(u"物里"_s);
    laptop.store().removeTask(u"物里"_s);
    laptop.store().addTask(u"物理"_s);
    QTest::qWait(200);
    expected += study.record(10);
    study.store().removeSessionById(laptopRounds.front().toString());
    study.store().removeTask(u"阅读"_s);
    study.store().addTask(u"写作"_s);
    expected.removeOne(studyRounds.front());
    expected.removeOne(laptopRounds.front());
    ASSERT_TRUE(resume());
    ASSERT_NO_FATAL_FAILURE(checkpoint("2 apart: records, deletes, renames, then resumed", "阅读、物理"));

    // 3. Apart again: the study clears everything while the laptop records 3; only those 3 stay.
    ASSERT_EQ(pause(), "");
    study.store().clearHistory();
    ASSERT_TRUE(study.ids().isEmpty());
    expected = laptop.record(3);
    QTest::qWait(200);
    ASSERT_TRUE(resume());
    ASSERT_NO_FATAL_FAILURE(checkpoint("3 a clear-all against 3 offline rounds", "阅读、物理"));

    // 4. The laptop's file, which alone holds the 3 rounds, deleted from the study's folder;
    // Syncthing deletes it from the laptop's folder too. Neither archive loses them.
    const QString devices = u"/Tessary/devices/"_s;
    const QString laptopFile = devices + laptop.store().syncState()->deviceId.toString() + u".json"_s;
    ASSERT_TRUE(QFile::remove(a.folder + laptopFile));
    ASSERT_NO_FATAL_FAILURE(checkpoint("4 a device file deleted", "阅读、物理"));
    EXPECT_FALSE(QFile::exists(b.folder + laptopFile)) << "Syncthing did not carry the delete";

    // 5. Junk in the laptop's folder, carried to the study's: a conflict copy and half a file,
    // both of a made-up computer whose rounds and later task list would show if either were
    // read, and a file of junk bytes. Then a round recorded on the laptop still arrives, its
    // file back in both folders.
    const Uuid strangerId = Uuid::createRandom();
    DeviceFile stranger{.deviceId = strangerId, .deviceName = u"旧电脑"_s, .sequence = 9, .clock = 1000,
                        .sessions = fixtures::makeArchive(2, 1), .tombstones = {}, .clears = {},
                        .tasksClock = TaskListClock{1000, strangerId}, .taskNames = {u"不该出现"_s}};
    for (StudySession &round : stranger.sessions)
        round.origin = SyncOrigin{strangerId, 1};
    std::string whole;
    encodeDeviceFile(stranger, whole);
    const QString conflictName = strangerId.toString() + u".sync-conflict-20261208-101010-ABCDEFG.json"_s;
    const std::pair<QString, std::string> junk[] = {
        {conflictName, whole}, {Uuid::createRandom().toString() + u".json"_s, whole.substr(0, whole.size() / 2)},
        {u"Desktop.ini"_s, std::string(4096, '\xA7')}};
    for (const auto &[name, bytes] : junk) {
        QFile f(b.folder + devices + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes.data(), std::ssize(bytes)) == std::ssize(bytes));
    }
    ASSERT_NO_FATAL_FAILURE(checkpoint("5 junk in the folder", "阅读、物理", conflictName));
    expected += laptop.record(1);
    ASSERT_NO_FATAL_FAILURE(checkpoint("5 then one more round", "阅读、物理", conflictName));
    EXPECT_TRUE(QFile::exists(a.folder + laptopFile));
}
