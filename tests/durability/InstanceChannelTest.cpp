#include "desktop/SingleInstance.h"
#include "records/Persistence.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <optional>

#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using tessary::desktop::SingleInstance;

namespace {

constexpr uid_t kNobody = 65534;
const QString kDocument = QStringLiteral("/home/u/.local/share/Tessary/focus-data.json");

// Sets an environment variable for one scope; Qt reads XDG_RUNTIME_DIR, XDG_DATA_HOME and TMPDIR
// at each call.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char *name, const QString &value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_before(qgetenv(name))
    {
        value.isNull() ? qunsetenv(m_name) : qputenv(m_name, QFile::encodeName(value));
    }
    ~EnvironmentOverride() { m_wasSet ? qputenv(m_name, m_before) : qunsetenv(m_name); }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_before;
};

// Serves the event loop until `done`; false when it did not happen within `timeoutMs`.
bool serveUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// A blocking client beside the event loop that serves it.
std::optional<QByteArray> askFromAnotherThread(const QString &key, const QByteArray &line)
{
    auto asked = std::async(std::launch::async, [&] { return SingleInstance::request(key, line, 3000); });
    serveUntil([&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return asked.get();
}

std::optional<uid_t> ownerOf(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status.st_uid;
}

sockaddr_un addressOf(const QString &path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    std::memcpy(address.sun_path, encoded.constData(), std::min<size_t>(encoded.size(), sizeof address.sun_path - 1));
    return address;
}

// In a forked child: from here on the process is nobody's.
bool becomeNobody() { return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0; }

QString makeDirectory(const QTemporaryDir &parent, const QString &name, mode_t mode)
{
    const QString path = parent.filePath(name);
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path;
}

} // namespace

// A socket left by a crashed instance does not stop the next one from starting, and the launch
// after that finds it. (Hand-over with activation: RemoteControlTest, after a storm of peers.)
TEST(SingleInstance, AStaleChannelIsReplaced)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir runtime;
    EnvironmentOverride xdg("XDG_RUNTIME_DIR", runtime.path());
    const QString key = SingleInstance::keyFor(kDocument);
    {
        // What a crash leaves behind: the socket file, and nobody listening.
        const sockaddr_un address = addressOf(key);
        const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(crashed, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0)
            << key.toStdString();
        ::close(crashed);
    }
    SingleInstance next(key);
    EXPECT_FALSE(next.handOverToRunningInstance(200));
    EXPECT_TRUE(SingleInstance(key).handOverToRunningInstance(2000, false));
}

// Two data folders, two instances side by side; one document, however its path is spelled,
// one instance that later launches hand over to.
TEST(SingleInstance, EachDataDocumentHasAnInstanceOfItsOwn)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir runtime;
    EnvironmentOverride xdg("XDG_RUNTIME_DIR", runtime.path());
    EnvironmentOverride dataHome("XDG_DATA_HOME", QStringLiteral("/home/u/data"));
    const QString key = SingleInstance::keyFor(tessary::Persistence::dataFilePath());
    const QRegularExpression inRuntime(
        QStringLiteral("^%1/tessary-[0-9a-f]{16}$").arg(QRegularExpression::escape(runtime.path())));
    EXPECT_TRUE(inRuntime.match(key).hasMatch()) << key.toStdString();
    QString otherKey;
    {
        EnvironmentOverride otherHome("XDG_DATA_HOME", QStringLiteral("/home/u/other-data"));
        otherKey = SingleInstance::keyFor(tessary::Persistence::dataFilePath());
    }
    EXPECT_NE(otherKey, key);
    for (const QString &sameDocument : {QStringLiteral("/home/u/data/./Tessary/focus-data.json"),
                                        QStringLiteral("/home/u/data//Tessary/focus-data.json"),
                                        QStringLiteral("/home/u/data/Tessary/../Tessary/focus-data.json")})
        EXPECT_EQ(SingleInstance::keyFor(sameDocument), key) << sameDocument.toStdString();
    {
        EnvironmentOverride trailingSlash("XDG_DATA_HOME", QStringLiteral("/home/u/data/"));
        EXPECT_EQ(SingleInstance::keyFor(tessary::Persistence::dataFilePath()), key);
    }
    EXPECT_EQ(SingleInstance::keyFor(QStringLiteral("focus-data.json")),
              SingleInstance::keyFor(QDir::currentPath() + QStringLiteral("/focus-data.json")));
    // A data folder reached through a link is the same document, whether or not it exists yet.
    QTemporaryDir real;
    const QString linked = real.path() + QStringLiteral("-link");
    ASSERT_TRUE(QFile::link(real.path(), linked));
    EXPECT_EQ(SingleInstance::keyFor(linked + QStringLiteral("/Tessary/focus-data.json")),
              SingleInstance::keyFor(real.path() + QStringLiteral("/Tessary/focus-data.json")));
    QFile::remove(linked);

    SingleInstance first(key), other(otherKey);
    ASSERT_FALSE(first.handOverToRunningInstance(200));
    ASSERT_FALSE(other.handOverToRunningInstance(200));
    first.setCommandHandler([](QByteArrayView) { return QByteArray("0 first\n"); });
    other.setCommandHandler([](QByteArrayView) { return QByteArray("0 other\n"); });
    EXPECT_EQ(askFromAnotherThread(key, "cmd status\n"), QByteArray("0 first\n"));
    EXPECT_EQ(askFromAnotherThread(otherKey, "cmd status\n"), QByteArray("0 other\n"));

    int firstShown = 0, otherShown = 0;
    QObject::connect(&first, &SingleInstance::activationRequested, [&firstShown] { ++firstShown; });
    QObject::connect(&other, &SingleInstance::activationRequested, [&otherShown] { ++otherShown; });
    EXPECT_TRUE(SingleInstance(SingleInstance::keyFor(QStringLiteral("/home/u/data//Tessary/focus-data.json")))
                    .handOverToRunningInstance(2000));
    EXPECT_TRUE(serveUntil([&firstShown] { return firstShown > 0; }));
    EXPECT_EQ(otherShown, 0);
}

// The socket is only as private as its directory: anything but a directory of ours, closed to
// group and others, gives no key, and with no key there is neither hand-over nor request.
TEST(SingleInstance, NoChannelWithoutAPrivateRuntimeDirectory)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir root;
    const QString privateDirectory = makeDirectory(root, QStringLiteral("private"), 0700);
    EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument, privateDirectory)).path(), privateDirectory);

    const QString link = root.filePath(QStringLiteral("link"));
    ASSERT_EQ(::symlink(QFile::encodeName(privateDirectory).constData(), QFile::encodeName(link).constData()), 0);
    QFile plainFile(root.filePath(QStringLiteral("file")));
    ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
    QStringList unsafe{makeDirectory(root, QStringLiteral("group"), 0750),
                       makeDirectory(root, QStringLiteral("others"), 0701),
                       makeDirectory(root, QStringLiteral("everyone"), 0777),
                       link,
                       plainFile.fileName(),
                       root.filePath(QStringLiteral("missing")),
                       makeDirectory(root, QStringLiteral("private/") + QString(90, QLatin1Char('d')), 0700),
                       QString()};
    if (::geteuid() == 0) {
        const QString foreign = makeDirectory(root, QStringLiteral("foreign"), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), kNobody, kNobody), 0);
        unsafe.append(foreign);
    }
    for (const QString &directory : unsafe)
        EXPECT_EQ(SingleInstance::keyFor(kDocument, directory), QString()) << directory.toStdString();

    // Through Qt, which reads XDG_RUNTIME_DIR at each call, and without it makes a private
    // runtime-<user> in TMPDIR.
    const passwd *user = ::getpwuid(::geteuid());
    ASSERT_NE(user, nullptr);
    const QString tmp = makeDirectory(root, QStringLiteral("tmp"), 0755);
    const QString fallback = tmp + QStringLiteral("/runtime-") + QFile::decodeName(user->pw_name);
    EnvironmentOverride tmpdir("TMPDIR", tmp);
    {
        EnvironmentOverride xdg("XDG_RUNTIME_DIR", privateDirectory);
        EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument)).path(), privateDirectory);
        const QString another = makeDirectory(root, QStringLiteral("another"), 0700);
        EnvironmentOverride changed("XDG_RUNTIME_DIR", another);
        EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument)).path(), another);
        EnvironmentOverride unset("XDG_RUNTIME_DIR", QString());
        EXPECT_EQ(QFileInfo(SingleInstance::keyFor(kDocument)).path(), fallback);
        struct stat made {};
        EXPECT_TRUE(::lstat(QFile::encodeName(fallback).constData(), &made) == 0 && (made.st_mode & 0777) == 0700);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), 0777), 0);
    EnvironmentOverride xdg("XDG_RUNTIME_DIR", unsafe.first());
    const QString key = SingleInstance::keyFor(kDocument);
    EXPECT_EQ(key, QString());
    EXPECT_FALSE(SingleInstance::request(key, "cmd status\n", 300).has_value());
    EXPECT_FALSE(SingleInstance(key).handOverToRunningInstance(300));
}

// Another local user who takes the channel's name first neither keeps the user from starting
// nor hears a request, and the socket it left is not ours to delete.
TEST(SingleInstance, AChannelTakenByAnotherUserIsNeitherUsedNorRemoved)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the other user's program runs as nobody (uid 65534)";
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir runtime, scratch;
    EnvironmentOverride xdg("XDG_RUNTIME_DIR", runtime.path());
    const QString key = SingleInstance::keyFor(kDocument);
    ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0777), 0); // nobody binds there
    const sockaddr_un address = addressOf(scratch.filePath(QStringLiteral("squatter")));

    int ready[2], finish[2], report[2];
    ASSERT_EQ(::pipe(ready) | ::pipe(finish) | ::pipe(report), 0);
    const pid_t squatter = ::fork();
    ASSERT_GE(squatter, 0);
    if (squatter == 0) {
        // Listens as nobody; when `finish` closes, reports how many connections came and how
        // many bytes they sent. Plain system calls only: this is a fork of a threaded process.
        ::close(ready[0]), ::close(finish[1]), ::close(report[0]);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (!becomeNobody() || listener < 0
            || ::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
            || ::listen(listener, 8) != 0)
            ::_exit(1);
        (void)!::write(ready[1], "r", 1);
        long counts[2] = {0, 0}; // connections, bytes
        pollfd events[2] = {{listener, POLLIN, 0}, {finish[0], POLLIN, 0}};
        while (::poll(events, 2, 20000) > 0) {
            if ((events[0].revents & POLLIN) == 0)
                break; // finished, and every connection taken
            const int peer = ::accept(listener, nullptr, nullptr);
            ++counts[0];
            char buffer[256];
            pollfd input{peer, POLLIN, 0};
            for (ssize_t n = 1; n > 0 && ::poll(&input, 1, 5000) > 0;)
                counts[1] += (n = ::read(peer, buffer, sizeof buffer)) > 0 ? n : 0;
            ::close(peer);
        }
        (void)!::write(report[1], counts, sizeof counts);
        ::_exit(0);
    }
    ::close(ready[1]), ::close(finish[0]), ::close(report[1]);
    char readyByte = 0;
    pollfd squatterReady{ready[0], POLLIN, 0};
    ASSERT_TRUE(::poll(&squatterReady, 1, 10000) == 1 && ::read(ready[0], &readyByte, 1) == 1);
    // Its socket under our name in our own directory: that cannot normally happen, but if it did.
    ASSERT_EQ(::rename(address.sun_path, QFile::encodeName(key).constData()), 0);

    SingleInstance launch(key);
    EXPECT_FALSE(launch.handOverToRunningInstance(2000));
    EXPECT_FALSE(SingleInstance::request(key, "cmd status\n", 2000).has_value());
    EXPECT_EQ(ownerOf(key), kNobody); // neither removed nor listened over

    ::close(finish[1]);
    long counts[2] = {-1, -1};
    EXPECT_EQ(::read(report[0], counts, sizeof counts), ssize_t(sizeof counts));
    int status = -1;
    ::waitpid(squatter, &status, 0);
    EXPECT_EQ(counts[0], 2); // both reached it…
    EXPECT_EQ(counts[1], 0); // …and told it nothing
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    // Its program gone, its socket stays: not ours to replace.
    SingleInstance afterwards(key);
    EXPECT_FALSE(afterwards.handOverToRunningInstance(300));
    EXPECT_EQ(ownerOf(key), kNobody);
}

// A client of another user that reaches the socket is dropped unheard: no answer, no window,
// no command; the same requests from our own user are answered.
TEST(SingleInstance, AnotherUsersClientIsNeitherAnsweredNorObeyed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: the other user's client runs as nobody (uid 65534)";
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QTemporaryDir scratch;
    const QString key = scratch.filePath(QStringLiteral("channel"));
    SingleInstance running(key);
    ASSERT_FALSE(running.handOverToRunningInstance(200));
    int shown = 0, handled = 0;
    QObject::connect(&running, &SingleInstance::activationRequested, [&shown] { ++shown; });
    running.setCommandHandler([&handled](QByteArrayView) {
        ++handled;
        return QByteArray("0 done\n");
    });
    // Opened to everyone, so that only the check of the peer's user stands in the way.
    ASSERT_EQ(::chmod(QFile::encodeName(scratch.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(key).constData(), 0777), 0);
    const sockaddr_un address = addressOf(key);

    const pid_t stranger = ::fork();
    ASSERT_GE(stranger, 0);
    if (stranger == 0) {
        // Exit status 0: each line reached the instance and got no byte back. Plain system calls only.
        if (!becomeNobody())
            ::_exit(1);
        const char *const lines[] = {"show\n", "cmd status\n"};
        for (int i = 0; i < 2; ++i) {
            const int channel = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::connect(channel, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
                ::_exit(10 + i);
            (void)!::write(channel, lines[i], std::strlen(lines[i]));
            pollfd input{channel, POLLIN, 0};
            char answer = 0;
            if (::poll(&input, 1, 5000) != 1)
                ::_exit(20 + i); // neither answered nor dropped
            if (::read(channel, &answer, 1) > 0)
                ::_exit(30 + i);
            ::close(channel);
        }
        ::_exit(0);
    }
    int status = -1;
    ASSERT_TRUE(serveUntil([&] { return ::waitpid(stranger, &status, WNOHANG) == stranger; }, 20000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(askFromAnotherThread(key, "cmd status\n"), QByteArray("0 done\n"));
    EXPECT_EQ(handled, 1);
}
