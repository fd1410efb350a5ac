#include "desktop/SingleInstance.h"
#include "records/Persistence.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstring>
#include <future>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

using tessary::desktop::SingleInstance;
using namespace Qt::StringLiterals;

namespace {

constexpr uid_t kNobody = 65534;
const QString kDocument = u"/home/u/.local/share/Tessary/focus-data.json"_s;

// Sets an environment variable to `v`, or unsets it for a null `v`.
void setEnv(const char *name, const QString &v) { v.isNull() ? qunsetenv(name) : qputenv(name, QFile::encodeName(v)); }

// What each test runs in: an application for the event loop and a temporary directory; the
// variables Qt reads at each call (XDG_RUNTIME_DIR, XDG_DATA_HOME, TMPDIR) put back afterwards.
struct Scene {
    int argc = 0;
    QCoreApplication app{argc, nullptr};
    QTemporaryDir dir;
    const QProcessEnvironment before = QProcessEnvironment::systemEnvironment();
    ~Scene()
    {
        for (const char *name : {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "TMPDIR"})
            setEnv(name, before.value(QString::fromLatin1(name)));
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString directory(const QString &name, mode_t mode) const
    {
        QDir().mkpath(path(name));
        ::chmod(QFile::encodeName(path(name)).constData(), mode);
        return path(name);
    }
};

// Runs `work` on a thread of its own while the event loop here serves, and returns its result
// (the work's own timeouts bound the wait).
template <class Work> auto served(Work work)
{
    auto done = std::async(std::launch::async, work);
    (void)QTest::qWaitFor([&] { return done.wait_for(std::chrono::seconds()) == std::future_status::ready; }, 20000);
    return done.get();
}

// Makes the calling thread nobody's, and only it: the kernel keeps a user per thread (the C
// library's setuid() would change all of them), and reports for a socket's peer the user of the
// thread that connected or listened.
bool becomeNobody()
{
    return ::syscall(SYS_setgroups, 0, nullptr) == 0 && ::syscall(SYS_setresgid, kNobody, kNobody, kNobody) == 0
           && ::syscall(SYS_setresuid, kNobody, kNobody, kNobody) == 0;
}

// Binds the socket `fd` to a socket file at `path`.
bool bindTo(int fd, const QString &path)
{
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    return ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
}

} // namespace

// A socket left by a crashed instance does not stop the next one from starting, and the launch
// after that finds it. (Hand-over with activation: RemoteControlTest, after a storm of peers.)
TEST(SingleInstance, AStaleChannelIsReplaced)
{
    Scene runtime;
    const QString key = SingleInstance::keyFor(kDocument, runtime.dir.path());
    // What a crash leaves behind: the socket file, and nobody listening.
    const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_TRUE(bindTo(crashed, key)) << key.toStdString();
    ::close(crashed);
    SingleInstance next(key);
    EXPECT_FALSE(next.handOverToRunningInstance(200));
    EXPECT_TRUE(SingleInstance(key).handOverToRunningInstance(2000, false));
}

// Two data folders, two instances side by side; one document, however its path is spelled,
// one instance that later launches hand over to.
TEST(SingleInstance, EachDataDocumentHasAnInstanceOfItsOwn)
{
    Scene runtime;
    setEnv("XDG_RUNTIME_DIR", runtime.dir.path());
    const auto keyWithDataIn = [](const QString &dataHome) {
        setEnv("XDG_DATA_HOME", dataHome);
        return SingleInstance::keyFor(tessary::Persistence::dataFilePath());
    };
    const QString key = keyWithDataIn(u"/home/u/data"_s), otherKey = keyWithDataIn(u"/home/u/other-data"_s);
    const QString inRuntime = u"^%1/tessary-[0-9a-f]{16}$"_s.arg(QRegularExpression::escape(runtime.dir.path()));
    EXPECT_TRUE(QRegularExpression(inRuntime).match(key).hasMatch()) << key.toStdString();
    EXPECT_NE(otherKey, key);
    EXPECT_EQ(keyWithDataIn(u"/home/u/data/"_s), key);
    // A data folder reached through a link is the same document, whether or not it exists yet.
    const QString real = runtime.directory(u"real"_s, 0700), link = runtime.path(u"link"_s);
    ASSERT_TRUE(QFile::link(real, link));
    const std::pair<QString, QString> sameDocument[] = {
        {u"/home/u/data/./Tessary/focus-data.json"_s, key},
        {u"/home/u/data//Tessary/focus-data.json"_s, key},
        {u"/home/u/data/Tessary/../Tessary/focus-data.json"_s, key},
        {u"focus-data.json"_s, SingleInstance::keyFor(QDir::currentPath() + u"/focus-data.json"_s)},
        {link + u"/Tessary/focus-data.json"_s, SingleInstance::keyFor(real + u"/Tessary/focus-data.json"_s)}};
    for (const auto &[spelling, expected] : sameDocument)
        EXPECT_EQ(SingleInstance::keyFor(spelling).toStdString(), expected.toStdString()) << spelling.toStdString();

    SingleInstance first(key), other(otherKey);
    int firstShown = 0, otherShown = 0;
    for (auto [instance, answer, shown] :
         {std::tuple{&first, "0 first\n", &firstShown}, {&other, "0 other\n", &otherShown}}) {
        ASSERT_FALSE(instance->handOverToRunningInstance(200));
        instance->setCommandHandler([answer](QByteArrayView) { return QByteArray(answer); });
        QObject::connect(instance, &SingleInstance::activationRequested, [shown] { ++*shown; });
    }
    EXPECT_EQ(served([&] { return SingleInstance::request(key, "cmd status\n", 3000); }), QByteArray("0 first\n"));
    EXPECT_EQ(served([&] { return SingleInstance::request(otherKey, "cmd status\n", 3000); }), QByteArray("0 other\n"));
    EXPECT_TRUE(SingleInstance(SingleInstance::keyFor(sameDocument[1].first)).handOverToRunningInstance(2000));
    EXPECT_TRUE(QTest::qWaitFor([&firstShown] { return firstShown > 0; }, 10000));
    EXPECT_EQ(otherShown, 0);
}

// The socket is only as private as its directory: anything but a directory of ours, closed to
// group and others, gives no key, and with no key there is neither hand-over nor request.
TEST(SingleInstance, NoChannelWithoutAPrivateRuntimeDirectory)
{
    Scene root;
    const QString privateDirectory = root.directory(u"private"_s, 0700);
    EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument, privateDirectory)).path(), privateDirectory);
    ASSERT_TRUE(QFile::link(privateDirectory, root.path(u"link"_s)));
    ASSERT_TRUE(QFile(root.path(u"file"_s)).open(QIODevice::WriteOnly));
    QStringList unsafe{root.directory(u"group"_s, 0750), root.directory(u"others"_s, 0701),
                       root.directory(u"everyone"_s, 0777), root.path(u"link"_s), root.path(u"file"_s),
                       root.path(u"missing"_s), root.directory(u"private/"_s + QString(90, u'd'), 0700), QString()};
    if (::geteuid() == 0) {
        unsafe.append(root.directory(u"foreign"_s, 0700));
        ASSERT_EQ(::chown(QFile::encodeName(unsafe.last()).constData(), kNobody, kNobody), 0);
    }
    for (const QString &directory : unsafe)
        EXPECT_EQ(SingleInstance::keyFor(kDocument, directory).toStdString(), "") << directory.toStdString();

    // Through Qt, which reads XDG_RUNTIME_DIR at each call, and without it makes a private
    // runtime-<user> in TMPDIR.
    const passwd *user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    setEnv("TMPDIR", root.directory(u"tmp"_s, 0755));
    const QString fallback = root.path(u"tmp/runtime-"_s) + QFile::decodeName(user->pw_name);
    for (const QString &runtime : {privateDirectory, root.directory(u"another"_s, 0700), QString()}) {
        setEnv("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument)).path(), runtime.isNull() ? fallback : runtime);
    }
    struct stat made {};
    EXPECT_TRUE(::lstat(QFile::encodeName(fallback).constData(), &made) == 0 && (made.st_mode & 0777) == 0700);
    ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), 0777), 0);
    setEnv("XDG_RUNTIME_DIR", unsafe.first());
    EXPECT_EQ(SingleInstance::keyFor(kDocument).toStdString(), "");
    EXPECT_FALSE(SingleInstance::request(QString(), "cmd status\n", 300).has_value());
    EXPECT_FALSE(SingleInstance(QString()).handOverToRunningInstance(300));
}

// Another local user who takes the channel's name first neither keeps the user from starting
// nor hears a request, and the socket it left is not ours to delete.
TEST(SingleInstance, AChannelTakenByAnotherUserIsNeitherUsedNorRemoved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the other user's program runs as nobody (uid 65534)";
    Scene scene;
    ASSERT_EQ(::chmod(QFile::encodeName(scene.dir.path()).constData(), 0711), 0);
    const QString key = SingleInstance::keyFor(kDocument, scene.directory(u"runtime"_s, 0700));
    const QString taken = scene.directory(u"open"_s, 0777) + u"/squatter"_s; // nobody binds there
    // Nobody's listening socket: its file is nobody's, and so is the far end of every connection.
    const int squatter = served([&] {
        const int s = becomeNobody() ? ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0) : -1;
        return bindTo(s, taken) && ::listen(s, 8) == 0 ? s : -1;
    });
    ASSERT_GE(squatter, 0);
    // Its socket under our name in our own directory: that cannot normally happen, but if it did.
    ASSERT_TRUE(QFile::rename(taken, key));

    EXPECT_FALSE(SingleInstance(key).handOverToRunningInstance(2000));
    EXPECT_FALSE(SingleInstance::request(key, "cmd status\n", 2000).has_value());
    EXPECT_EQ(QFileInfo(key).ownerId(), kNobody); // neither removed nor listened over
    QByteArray heard; // a '|' for each connection that reached it, then what it said
    char buffer[256];
    for (int peer; (peer = ::accept(squatter, nullptr, nullptr)) >= 0; ::close(peer))
        heard += '|' + QByteArray(buffer, std::max<ssize_t>(::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT), 0));
    EXPECT_EQ(heard.toStdString(), "||"); // both reached it, and told it nothing

    // Its program gone, its socket stays: not ours to replace.
    ::close(squatter);
    EXPECT_FALSE(SingleInstance(key).handOverToRunningInstance(300));
    EXPECT_EQ(QFileInfo(key).ownerId(), kNobody);
}

// A client of another user that reaches the socket is dropped unheard: no answer, no window,
// no command; the same requests from our own user are answered.
TEST(SingleInstance, AnotherUsersClientIsNeitherAnsweredNorObeyed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the other user's client runs as nobody (uid 65534)";
    Scene scratch;
    const QString key = scratch.path(u"channel"_s);
    SingleInstance running(key);
    ASSERT_FALSE(running.handOverToRunningInstance(200));
    int shown = 0, handled = 0;
    QObject::connect(&running, &SingleInstance::activationRequested, [&shown] { ++shown; });
    running.setCommandHandler([&handled](QByteArrayView) { ++handled; return QByteArray("0 done\n"); });
    // Opened to everyone, so that only the check of the peer's user stands in the way.
    ASSERT_EQ(::chmod(QFile::encodeName(scratch.dir.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(key).constData(), 0777), 0);
    // What a client of nobody's hears back from the instance before it is dropped.
    const auto strangerHears = [&key](const char *line) {
        return served([&] {
            QLocalSocket s;
            if (becomeNobody())
                s.connectToServer(key);
            if (!s.waitForConnected(5000))
                return QByteArray("(not reached as nobody)");
            s.write(line);
            return s.waitForDisconnected(5000) ? s.readAll() : QByteArray("(neither answered nor dropped)");
        });
    };
    EXPECT_EQ(strangerHears("show\n").toStdString(), "");
    EXPECT_EQ(strangerHears("cmd status\n").toStdString(), "");
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(served([&] { return SingleInstance::request(key, "cmd status\n", 3000); }), QByteArray("0 done\n"));
    EXPECT_EQ(handled, 1);
}
