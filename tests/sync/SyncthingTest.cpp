// Two real Syncthing instances, each syncing a folder of its own, and a computer on each folder:
// what reaches the archives when the sync tool, not the test, decides when files move.
#include "ArchiveFactory.h"
#include "SyncTestSupport.h"
#include "records/DocumentCodec.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

using namespace tessary;
using fakes::Computer;
using fakes::syncAll;

namespace {

const QString kSharedFolderId = QStringLiteral("tessary-archive");
constexpr int kSettleMs = 60 * 1000;
constexpr int kStartMs = 30 * 1000;
constexpr int kRequestMs = 10 * 1000;

// Runs the event loop for a while, so the services' timers and watchers work as in the app.
void spinFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A network namespace whose only interface is the loopback, up: the instances can reach each
// other and nothing else. Made on a thread of its own because a thread enters it, not the
// process, and the test's threads stay where they are; the descriptor keeps it alive.
// -1 where the machine does not allow it.
int makePrivateNetwork()
{
    int fd = -1;
    std::thread([&fd] {
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s < 0)
            return;
        ifreq lo{};
        std::strncpy(lo.ifr_name, "lo", IFNAMSIZ - 1);
        bool up = ::ioctl(s, SIOCGIFFLAGS, &lo) == 0;
        lo.ifr_flags |= IFF_UP;
        up = up && ::ioctl(s, SIOCSIFFLAGS, &lo) == 0;
        ::close(s);
        if (up)
            fd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    }).join();
    return fd;
}

// Ports free on the loopback now, all different (held open together while picked).
QList<quint16> freePorts(int count)
{
    std::vector<std::unique_ptr<QTcpServer>> held;
    QList<quint16> ports;
    for (int i = 0; i < count; ++i) {
        held.push_back(std::make_unique<QTcpServer>());
        if (held.back()->listen(QHostAddress::LocalHost, 0))
            ports.append(held.back()->serverPort());
    }
    return ports;
}

struct RestReply {
    int status = 0; // 0: no answer at all
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

// One Syncthing: its home (keys, config, database), the folder it syncs, and its REST API on a
// local socket, which the test reaches from outside the namespace the instance runs in.
struct SyncthingInstance {
    QString name;
    QString home;
    QString folder;
    QString socket;
    QString log;
    QString deviceId;
    QByteArray apiKey = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    quint16 port = 0;
    QProcess process;

    RestReply call(const QByteArray &method, const QString &pathAndQuery) const
    {
        QLocalSocket s;
        s.connectToServer(socket);
        if (!s.waitForConnected(2000))
            return {};
        // HTTP/1.0: the answer ends when the connection closes, so no chunks to undo.
        s.write(method + ' ' + pathAndQuery.toUtf8() + " HTTP/1.0\r\nHost: localhost\r\nX-API-Key: " + apiKey
                + "\r\nContent-Length: 0\r\n\r\n");
        QByteArray raw;
        const QDeadlineTimer deadline(kRequestMs);
        while (s.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0))))
            raw += s.readAll();
        raw += s.readAll();
        const qsizetype headerEnd = raw.indexOf("\r\n\r\n");
        if (!raw.startsWith("HTTP/") || headerEnd < 0)
            return {};
        const QList<QByteArray> statusLine = raw.left(raw.indexOf("\r\n")).split(' ');
        return {statusLine.value(1).toInt(), raw.mid(headerEnd + 4)};
    }
    QJsonObject get(const QString &pathAndQuery) const { return call("GET", pathAndQuery).json(); }
    bool post(const QString &pathAndQuery) const { return call("POST", pathAndQuery).status == 200; }

    QString devicesDirectory() const { return QDir(folder).filePath(QStringLiteral("Tessary/devices")); }
    QString logTail() const
    {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = f.readAll().split('\n');
        return QString::fromUtf8(lines.mid(std::max<qsizetype>(0, lines.size() - 15)).join('\n'));
    }
};

// Every file under the folder's Tessary/ with its bytes, leaving out what Syncthing is still
// writing (its temporary files), so two folders compare equal once the files have arrived.
QMap<QString, QByteArray> contents(const QString &folder)
{
    QMap<QString, QByteArray> out;
    const QDir root(folder);
    QDirIterator it(root.filePath(QStringLiteral("Tessary")), QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().startsWith(QStringLiteral(".syncthing.")))
            continue;
        QFile f(path);
        out.insert(root.relativeFilePath(path), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
    }
    return out;
}

QStringList conflictCopies(const QString &folder, const QString &except = {})
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().contains(QStringLiteral(".sync-conflict-")) && it.fileName() != except)
            out.append(it.fileName());
    }
    return out;
}

// Two computers, each on the folder of one of two Syncthings that share it under one folder id.
class Syncthing : public ::testing::Test {
protected:
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    QTemporaryDir root;
    const QString executable = QStandardPaths::findExecutable(QStringLiteral("syncthing"));
    int network = -1;
    SyncthingInstance a, b;
    QElapsedTimer phaseClock;

    void TearDown() override
    {
        // Only the two processes this test started, each by its own handle.
        for (SyncthingInstance *st : {&a, &b}) {
            if (st->process.state() == QProcess::NotRunning)
                continue;
            st->process.terminate();
            if (!st->process.waitForFinished(10000)) {
                st->process.kill();
                st->process.waitForFinished(5000);
            }
        }
        if (network >= 0)
            ::close(network);
    }

    QProcessEnvironment environment(const SyncthingInstance &st) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), QDir(st.home).filePath(QStringLiteral("user")));
        env.insert(QStringLiteral("STNODEFAULTFOLDER"), QStringLiteral("1"));
        env.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
        // Syncthing alone, without its monitor process: ending it by its id ends it all.
        env.insert(QStringLiteral("STMONITORED"), QStringLiteral("1"));
        // A proxy from the environment would carry the connection between the two elsewhere.
        for (const char *name : {"all_proxy", "ALL_PROXY", "STGUIADDRESS", "STGUIAPIKEY"})
            env.remove(QString::fromLatin1(name));
        return env;
    }

    // Runs a short Syncthing command to its end; its output, or why it failed.
    std::pair<bool, QString> runSyncthing(const SyncthingInstance &st, const QStringList &arguments) const
    {
        QProcess p;
        p.setProcessEnvironment(environment(st));
        p.start(executable, arguments);
        const bool ok = p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(5000);
        }
        return {ok, QString::fromUtf8(ok ? p.readAllStandardOutput() : p.readAllStandardError()).trimmed()};
    }

    QString prepare(SyncthingInstance &st, const QString &name)
    {
        st.name = name;
        st.home = root.filePath(name + QStringLiteral("-home"));
        st.folder = root.filePath(name + QStringLiteral("-folder"));
        st.socket = root.filePath(name + QStringLiteral(".sock"));
        st.log = root.filePath(name + QStringLiteral(".log"));
        if (QFile::encodeName(st.socket).size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
            return QStringLiteral("the temporary folder's path is too long for a local socket: ") + st.socket;
        // Syncthing stops a folder without its marker, taking it for a disk that is not mounted.
        QDir().mkpath(QDir(st.folder).filePath(QStringLiteral(".stfolder")));
        QDir().mkpath(QDir(st.home).filePath(QStringLiteral("user")));
        const auto [made, why] = runSyncthing(st, {QStringLiteral("generate"), QStringLiteral("--home=") + st.home,
                                                   QStringLiteral("--no-default-folder"),
                                                   QStringLiteral("--skip-port-probing")});
        if (!made)
            return QStringLiteral("syncthing generate failed: ") + why;
        const auto [known, id] = runSyncthing(
            st, {QStringLiteral("serve"), QStringLiteral("--home=") + st.home, QStringLiteral("--device-id")});
        if (!known || id.isEmpty())
            return QStringLiteral("syncthing --device-id failed: ") + id;
        st.deviceId = id;
        return {};
    }

    // The whole configuration, so nothing from a default can reach past the loopback: no
    // discovery, relays, NAT, usage reports, crash reports or upgrades; the peer at a fixed
    // address; the API on the local socket.
    static QString configuration(const SyncthingInstance &self, const SyncthingInstance &peer)
    {
        QString xml = QStringLiteral(R"(<configuration version="36">
    <folder id="{folderId}" label="Tessary" path="{folder}" type="sendreceive" rescanIntervalS="3600"
            fsWatcherEnabled="true" fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true">
        <device id="{self}"></device>
        <device id="{peer}"></device>
    </folder>
    <device id="{self}" name="{selfName}"><address>dynamic</address></device>
    <device id="{peer}" name="{peerName}"><address>tcp://127.0.0.1:{peerPort}</address></device>
    <gui enabled="true" tls="false"><address>{socket}</address><apikey>{apiKey}</apikey></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:{port}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <announceLANAddresses>false</announceLANAddresses>
        <startBrowser>false</startBrowser>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
)");
        const QList<std::pair<QString, QString>> values{
            {QStringLiteral("{folderId}"), kSharedFolderId},
            {QStringLiteral("{folder}"), self.folder.toHtmlEscaped()},
            {QStringLiteral("{selfName}"), self.name},
            {QStringLiteral("{peerName}"), peer.name},
            {QStringLiteral("{self}"), self.deviceId},
            {QStringLiteral("{peer}"), peer.deviceId},
            {QStringLiteral("{peerPort}"), QString::number(peer.port)},
            {QStringLiteral("{port}"), QString::number(self.port)},
            {QStringLiteral("{socket}"), self.socket.toHtmlEscaped()},
            {QStringLiteral("{apiKey}"), QString::fromLatin1(self.apiKey)},
        };
        for (const auto &[key, value] : values)
            xml.replace(key, value);
        return xml;
    }

    void launch(SyncthingInstance &st)
    {
        st.process.setProcessEnvironment(environment(st));
        st.process.setProcessChannelMode(QProcess::MergedChannels);
        st.process.setStandardOutputFile(st.log);
        if (network >= 0) {
            const int fd = network;
            // In the child, before Syncthing runs: only calls safe between fork and exec.
            st.process.setChildProcessModifier([fd] {
                if (::setns(fd, CLONE_NEWNET) != 0)
                    ::_exit(125);
            });
        }
        st.process.start(executable, {QStringLiteral("serve"), QStringLiteral("--home=") + st.home,
                                      QStringLiteral("--no-browser"), QStringLiteral("--no-restart")});
    }

    bool connected(const SyncthingInstance &self, const SyncthingInstance &peer) const
    {
        return self.get(QStringLiteral("/rest/system/connections"))
            .value(QStringLiteral("connections"))
            .toObject()
            .value(peer.deviceId)
            .toObject()
            .value(QStringLiteral("connected"))
            .toBool();
    }

    // Waits (bounded) until `why` finds nothing wrong, running the event loop meanwhile; its last
    // answer and the end of both logs when the bound passed.
    QString waitFor(int boundMs, const std::function<QString()> &why) const
    {
        QElapsedTimer waited;
        waited.start();
        QString reason;
        while (!(reason = why()).isEmpty() && waited.elapsed() < boundMs)
            spinFor(100);
        if (reason.isEmpty())
            return {};
        return reason + QStringLiteral("\n--- ") + a.name + QStringLiteral(" log:\n") + a.logTail()
               + QStringLiteral("\n--- ") + b.name + QStringLiteral(" log:\n") + b.logTail();
    }

    QString startPair()
    {
        network = makePrivateNetwork();
        std::cout << "[ syncthing] "
                  << (network >= 0 ? "in a private network namespace" : "on the machine's loopback") << std::endl;
        if (const QString why = prepare(a, QStringLiteral("study")); !why.isEmpty())
            return why;
        if (const QString why = prepare(b, QStringLiteral("laptop")); !why.isEmpty())
            return why;
        const QList<quint16> ports = freePorts(2);
        if (ports.size() != 2)
            return QStringLiteral("no free ports on the loopback");
        a.port = ports[0];
        b.port = ports[1];
        for (auto [self, peer] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
            QFile config(QDir(self->home).filePath(QStringLiteral("config.xml")));
            if (!config.open(QIODevice::WriteOnly | QIODevice::Truncate)
                || config.write(configuration(*self, *peer).toUtf8()) < 0)
                return QStringLiteral("cannot write ") + config.fileName();
        }
        launch(a);
        launch(b);
        return waitFor(kStartMs, [&]() -> QString {
            for (auto [self, peer] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
                if (self->process.state() == QProcess::NotRunning)
                    return self->name + QStringLiteral(" exited with ") + QString::number(self->process.exitCode());
                if (self->call("GET", QStringLiteral("/rest/system/ping")).status != 200)
                    return self->name + QStringLiteral(" does not answer");
                if (!connected(*self, *peer))
                    return self->name + QStringLiteral(" is not connected");
            }
            return {};
        });
    }

    // Why the two are not yet alike and at rest: each idle, needing nothing, seeing the other
    // complete, and the folders holding the same files.
    QString unsettled() const
    {
        for (auto [self, peer] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
            if (!connected(*self, *peer))
                return self->name + QStringLiteral(" is not connected");
            const QJsonObject status = self->get(QStringLiteral("/rest/db/status?folder=") + kSharedFolderId);
            if (status.value(QStringLiteral("state")).toString() != QStringLiteral("idle")
                || status.value(QStringLiteral("needTotalItems")).toInt(-1) != 0)
                return self->name + QStringLiteral(" status: ") + QString::fromUtf8(QJsonDocument(status).toJson());
            const QJsonObject completion = self->get(QStringLiteral("/rest/db/completion?folder=") + kSharedFolderId
                                                     + QStringLiteral("&device=") + peer->deviceId);
            if (completion.value(QStringLiteral("completion")).toDouble() < 100.0
                || completion.value(QStringLiteral("needItems")).toInt(-1) != 0
                || completion.value(QStringLiteral("needDeletes")).toInt(-1) != 0)
                return self->name + QStringLiteral(" sees ") + peer->name + QStringLiteral(" incomplete: ")
                       + QString::fromUtf8(QJsonDocument(completion).toJson());
        }
        if (contents(a.folder) != contents(b.folder))
            return QStringLiteral("the two folders differ");
        return {};
    }

    // Scans both folders now rather than after the watcher's delay, then waits until the two are
    // alike and at rest twice in a row.
    QString settle()
    {
        QCoreApplication::processEvents(); // the services' pending writes first
        for (const SyncthingInstance *st : {&a, &b})
            if (!st->post(QStringLiteral("/rest/db/scan?folder=") + kSharedFolderId))
                return st->name + QStringLiteral(" refused to scan");
        int calm = 0;
        return waitFor(kSettleMs, [&]() -> QString {
            QString why = unsettled();
            calm = why.isEmpty() ? calm + 1 : 0;
            return calm >= 2 ? QString() : why.isEmpty() ? QStringLiteral("not yet at rest twice") : why;
        });
    }

    // The link down: one side pauses the other, and both see it gone.
    QString pause()
    {
        if (!a.post(QStringLiteral("/rest/system/pause?device=") + b.deviceId))
            return QStringLiteral("pause refused");
        return waitFor(kSettleMs, [&]() -> QString {
            return connected(a, b) || connected(b, a) ? QStringLiteral("still connected") : QString();
        });
    }

    bool resume() { return a.post(QStringLiteral("/rest/system/resume?device=") + b.deviceId); }

    void beginPhase() { phaseClock.start(); }
    void endPhase(const char *name)
    {
        std::cout << "[     phase] " << name << ": " << phaseClock.elapsed() << " ms" << std::endl;
    }
};

// Ids as text, for failures a person can read: how many, and the first eight digits of each.
std::string describe(QList<Uuid> ids)
{
    std::sort(ids.begin(), ids.end());
    std::string out = std::to_string(ids.size()) + ":";
    for (const Uuid &id : ids)
        out += ' ' + id.toStdString().substr(0, 8);
    return out;
}

std::string taskList(Computer &c)
{
    return c.store().settings().taskNames.value_or(QStringList()).join(u'、').toStdString();
}

// What both computers must show after a phase: the same archive, round for round, holding
// exactly `expected`; the same task list; and no conflict copy in either folder.
void expectOneArchive(Computer &study, Computer &laptop, const QList<Uuid> &expected, const char *tasks,
                      const SyncthingInstance &a, const SyncthingInstance &b, const QString &plantedConflict = {})
{
    EXPECT_EQ(describe(study.ids()), describe(expected));
    EXPECT_EQ(describe(laptop.ids()), describe(expected));
    EXPECT_TRUE(study.store().sessions() == laptop.store().sessions());
    EXPECT_EQ(taskList(study), tasks);
    EXPECT_EQ(taskList(laptop), tasks);
    EXPECT_EQ(conflictCopies(a.folder, plantedConflict).join(' ').toStdString(), "");
    EXPECT_EQ(conflictCopies(b.folder, plantedConflict).join(' ').toStdString(), "");
}

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
    ASSERT_EQ(startPair().toStdString(), "");

    Computer study(a.folder, QStringLiteral("书房"));
    Computer laptop(b.folder, QStringLiteral("笔记本"));
    study.store().addTask(QStringLiteral("阅读"));
    study.store().addTask(QStringLiteral("数学"));
    QList<Uuid> expected;
    QList<Uuid> studyRounds, laptopRounds;
    // Syncthing at rest, then each service merges, twice around as the app's rescans would.
    const auto settleAndMerge = [&]() -> std::string {
        const QString why = settle();
        if (why.isEmpty())
            syncAll({&study, &laptop});
        return why.toStdString();
    };

    // 1. Both record at once, in bursts of five with a short rest between; Syncthing moves the
    // files whenever its watcher fires, and each service merges when it sees them arrive.
    beginPhase();
    qsizetype arrivedMidway = 0;
    for (int i = 1; i <= 25; ++i) {
        if (i == 21) // how far the merges had come while both still wrote, for the log
            arrivedMidway = std::count_if(laptopRounds.cbegin(), laptopRounds.cend(),
                                          [&](const Uuid &id) { return study.ids().contains(id); });
        studyRounds += study.record(1);
        laptopRounds += laptop.record(1);
        spinFor(i % 5 == 0 ? 1200 : 100);
    }
    expected = studyRounds + laptopRounds;
    ASSERT_EQ(settleAndMerge(), "");
    endPhase("1 both record 25 at once");
    std::cout << "[          ] the laptop's rounds the study had merged before the last burst: " << arrivedMidway
              << " of 20" << std::endl;
    {
        SCOPED_TRACE("both record at once");
        expectOneArchive(study, laptop, expected, "阅读、数学", a, b);
    }

    // 2. Apart: each records 10, deletes one of the other's rounds and renames a task. The
    // laptop's wall clock is an hour behind from here on, and it acts first, so its file is also
    // the older one. Its task list still wins: since the two last met it made five changes (a
    // delete, a rename, then a typo fixed), the study three, and changes are ordered by counting
    // them, not by clocks or file times.
    beginPhase();
    ASSERT_EQ(pause().toStdString(), "");
    laptop.h.clock.t = laptop.h.clock.t.addSecs(-3600);
    const QList<Uuid> laptopApart = laptop.record(10);
    laptop.store().removeSessionById(studyRounds.front().toString());
    laptop.store().removeTask(QStringLiteral("数学"));
    laptop.store().addTask(QStringLiteral("物里"));
    laptop.store().removeTask(QStringLiteral("物里"));
    laptop.store().addTask(QStringLiteral("物理"));
    spinFor(200);
    const QList<Uuid> studyApart = study.record(10);
    study.store().removeSessionById(laptopRounds.front().toString());
    study.store().removeTask(QStringLiteral("阅读"));
    study.store().addTask(QStringLiteral("写作"));
    expected += laptopApart + studyApart;
    expected.removeOne(studyRounds.front());
    expected.removeOne(laptopRounds.front());
    ASSERT_TRUE(resume());
    ASSERT_EQ(settleAndMerge(), "");
    endPhase("2 apart: records, deletes, renames, then resumed");
    {
        SCOPED_TRACE("changes made apart");
        expectOneArchive(study, laptop, expected, "阅读、物理", a, b);
    }

    // 3. Apart again: the study clears everything while the laptop records 3; only those 3 stay.
    beginPhase();
    ASSERT_EQ(pause().toStdString(), "");
    study.store().clearHistory();
    ASSERT_TRUE(study.ids().isEmpty());
    const QList<Uuid> offline = laptop.record(3);
    spinFor(200);
    ASSERT_TRUE(resume());
    ASSERT_EQ(settleAndMerge(), "");
    expected = offline;
    endPhase("3 a clear-all against 3 offline rounds");
    {
        SCOPED_TRACE("clear-all against offline rounds");
        expectOneArchive(study, laptop, expected, "阅读、物理", a, b);
    }

    // 4. The laptop's file, which alone holds the 3 rounds, deleted from the study's folder;
    // Syncthing deletes it from the laptop's folder too. Neither archive loses them.
    beginPhase();
    const QString laptopFile =
        QStringLiteral("Tessary/devices/") + laptop.store().syncState()->deviceId.toString() + QStringLiteral(".json");
    ASSERT_TRUE(QFile::remove(QDir(a.folder).filePath(laptopFile)));
    ASSERT_EQ(settleAndMerge(), "");
    EXPECT_FALSE(QFile::exists(QDir(b.folder).filePath(laptopFile))) << "Syncthing did not carry the delete";
    endPhase("4 a device file deleted");
    {
        SCOPED_TRACE("a device file deleted");
        expectOneArchive(study, laptop, expected, "阅读、物理", a, b);
    }

    // 5. Junk in the laptop's folder, carried to the study's: a conflict copy and half a file,
    // both of a made-up computer whose rounds and later task list would show if either were
    // read, and a file of random bytes. Then a round recorded on the laptop still arrives, its
    // file back in both folders.
    beginPhase();
    DeviceFile stranger;
    stranger.deviceId = Uuid::createRandom();
    stranger.deviceName = QStringLiteral("旧电脑");
    stranger.sequence = 9;
    stranger.clock = 1000;
    stranger.sessions = fixtures::makeArchive(2, 1);
    for (StudySession &round : stranger.sessions)
        round.origin = SyncOrigin{stranger.deviceId, 1};
    stranger.tasksClock = TaskListClock{1000, stranger.deviceId};
    stranger.taskNames = {QStringLiteral("不该出现")};
    std::string strangerBytes;
    encodeDeviceFile(stranger, strangerBytes);
    const QDir laptopDevices(b.devicesDirectory());
    const QString conflictName =
        stranger.deviceId.toString() + QStringLiteral(".sync-conflict-20261208-101010-ABCDEFG.json");
    const auto plant = [&](const QString &name, const QByteArray &bytes) {
        QFile f(laptopDevices.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    };
    ASSERT_NO_FATAL_FAILURE(plant(conflictName, QByteArray::fromStdString(strangerBytes)));
    ASSERT_NO_FATAL_FAILURE(plant(Uuid::createRandom().toString() + QStringLiteral(".json"),
                                  QByteArray::fromStdString(strangerBytes.substr(0, strangerBytes.size() / 2))));
    QByteArray noise(4096, '\0');
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    ASSERT_NO_FATAL_FAILURE(plant(QStringLiteral("Desktop.ini"), noise));
    ASSERT_EQ(settleAndMerge(), "");
    {
        SCOPED_TRACE("junk in the folder");
        EXPECT_TRUE(QFile::exists(QDir(a.devicesDirectory()).filePath(conflictName)));
        expectOneArchive(study, laptop, expected, "阅读、物理", a, b, conflictName);
    }
    expected += laptop.record(1);
    ASSERT_EQ(settleAndMerge(), "");
    endPhase("5 junk in the folder, then one more round");
    {
        SCOPED_TRACE("a round after the junk");
        EXPECT_TRUE(QFile::exists(QDir(a.folder).filePath(laptopFile)));
        expectOneArchive(study, laptop, expected, "阅读、物理", a, b, conflictName);
    }
}
