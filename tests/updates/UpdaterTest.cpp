// Update checking against a real HTTP server on 127.0.0.1 that the tests run:
// offers, the deferral during a round, skipped versions, the settings file, and
// every kind of bad feed.

#include "StoreHarness.h"
#include "updates/AppUpdater.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <map>

using namespace tessary;
using namespace tessary::updates;

namespace {

QByteArray http(const char *status, const QByteArray &body = {}, const char *headers = "")
{
    return "HTTP/1.1 " + QByteArray(status) + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"
           + headers + "Connection: close\r\n\r\n" + body;
}
QByteArray ok(const QByteArray &body) { return http("200 OK", body, "Content-Type: application/rss+xml\r\n"); }

// Canned answers by path; an empty answer means the route accepts and never answers.
class FeedServer : public QTcpServer {
public:
    std::map<QByteArray, QByteArray> routes;
    FeedServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    const QByteArray request = s->property("request").toByteArray() + s->readAll();
                    s->setProperty("request", request);
                    if (!request.contains("\r\n\r\n"))
                        return;
                    const auto it = routes.find(request.split(' ').value(1));
                    const QByteArray answer = it == routes.end() ? http("404 Not Found") : it->second;
                    if (answer.isEmpty())
                        return; // hangs
                    s->write(answer);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QUrl url(const char *path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(QLatin1String(path)));
    }
};

QByteArray feed(const QList<std::pair<const char *, const char *>> &versionsAndLinks)
{
    const char *notes = "<p>修复&amp;改进</p><ul><li>更快</li></ul>";
    QByteArray xml = R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><title>汀禾</title>)";
    for (const auto &[version, link] : versionsAndLinks) {
        xml += "<item><title>汀禾 " + QByteArray(version) + "</title><link>" + link + "</link>"
               "<sparkle:shortVersionString>" + version + "</sparkle:shortVersionString>"
               "<description><![CDATA[" + notes + "]]></description>"
               "<enclosure url=\"" + link + "/tessary.deb\" length=\"1\" type=\"application/octet-stream\"/></item>";
    }
    return xml + "</channel></rss>";
}

struct Rig {
    QTemporaryDir dir;
    FeedServer server;
    fakes::ManualClock clock;
    bool busy = false;
    std::unique_ptr<AppUpdater> updater;

    AppUpdater &open(const char *path, int timeoutMs = 5000)
    {
        UpdaterConfig c{QStringLiteral("0.1.0"), server.url(path), settingsPath(), true, timeoutMs};
        updater = std::make_unique<AppUpdater>(c, clock, [this] { return busy; });
        return *updater;
    }
    QString settingsPath() const { return dir.filePath(QStringLiteral("updates.conf")); }
    // A user-initiated check; what it said, if anything.
    QString check()
    {
        QSignalSpy said(updater.get(), &AppUpdater::checkFinished);
        updater->checkForUpdates();
        waitUntilIdle();
        return said.isEmpty() ? QString() : said.front().front().toString();
    }
    void scheduled()
    {
        updater->runScheduledCheck();
        waitUntilIdle();
    }
    void waitUntilIdle() { EXPECT_TRUE(QTest::qWaitFor([&] { return updater->canCheckForUpdates(); }, 10000)); }
};

} // namespace

// Versions compare by their numbers; the feed's own errors are checked through the updater
// below, with the words it shows.
TEST(UpdateFeed, ReadsItemsAndComparesVersionsByTheirNumbers)
{
    EXPECT_GT(compareVersions(QStringLiteral("1.10"), QStringLiteral("1.9")), 0);
    EXPECT_EQ(compareVersions(QStringLiteral("1.2"), QStringLiteral("1.2.0")), 0);
    EXPECT_EQ(compareVersions(QStringLiteral("v1.2.0"), QStringLiteral("1.2")), 0);
    EXPECT_LT(compareVersions(QStringLiteral("0.9.9"), QStringLiteral("0.10")), 0);
    EXPECT_GT(compareVersions(QStringLiteral("1.2.0"), QStringLiteral("1.2.0-beta")), 0);
    const QList<AppcastItem> items{{u"0.2.0"_qs, {}, {}, {}, {}}, {u"0.10.0"_qs, {}, {}, {}, {}},
                                   {u"0.0.9"_qs, {}, {}, {}, {}}};
    EXPECT_EQ(newestUpdate(items, QStringLiteral("0.1.0"))->version, QStringLiteral("0.10.0"));
    EXPECT_FALSE(newestUpdate(items, QStringLiteral("0.10")).has_value());

    const Appcast cast = parseAppcast(feed({{"0.2.0", "https://example.org/r/0.2.0"}}));
    ASSERT_EQ(cast.items.size(), 1) << qPrintable(cast.error);
    const AppcastItem &item = cast.items[0];
    EXPECT_EQ(QStringList({item.version, item.link.toString(), item.enclosure.toString(), item.description}).join(u'|'),
              u"0.2.0|https://example.org/r/0.2.0|https://example.org/r/0.2.0/tessary.deb|修复&改进\n• 更快"_qs);

    // The version on the enclosure, as older feeds write it.
    const Appcast old = parseAppcast(R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
    <channel><item><title>x</title><enclosure url="https://e.org/a" sparkle:version="7"
    sparkle:shortVersionString="0.3"/></item><item><title>no version</title><link>https://e.org/b</link></item>
    </channel></rss>)");
    ASSERT_EQ(old.items.size(), 1);
    EXPECT_EQ(old.items[0].version, QStringLiteral("0.3"));

    EXPECT_EQ(parseAppcast("<html><body>hi</body></html>").error, QStringLiteral("不是更新信息"));
    EXPECT_FALSE(parseAppcast("\x01\x02 not xml").error.isEmpty());
}

TEST(Updater, OffersWhatIsNewAndHoldsItBackDuringARound)
{
    Rig rig;
    rig.server.routes["/appcast.xml"] = ok(feed({{"0.1.0", "https://e.org/0.1.0"}, {"0.2.0", "https://e.org/0.2.0"}}));
    {
        // The automatic switch (on by default) is written only when it changes, and read back.
        AppUpdater &first = rig.open("/appcast.xml");
        QSignalSpy switched(&first, &AppUpdater::automaticallyChecksForUpdatesChanged);
        first.setAutomaticallyChecksForUpdates(true);
        EXPECT_FALSE(QFile::exists(rig.settingsPath()));
        first.setAutomaticallyChecksForUpdates(false);
        EXPECT_EQ(switched.size(), 1);
        EXPECT_FALSE(first.scheduledCheckDue());
    }
    AppUpdater &u = rig.open("/appcast.xml");
    EXPECT_FALSE(u.automaticallyChecksForUpdates());
    u.setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(u.isAvailable());
    EXPECT_EQ(u.currentVersion(), QStringLiteral("v0.1.0"));
    EXPECT_TRUE(u.scheduledCheckDue());

    // Idle, scheduled: offered at once, no notice.
    rig.scheduled();
    ASSERT_TRUE(u.hasOffer());
    EXPECT_EQ(u.offeredVersion() + u'|' + u.offeredNotes() + u'|' + u.deferredVersion(), u"0.2.0|修复&改进\n• 更快|"_qs);
    u.remindLater();
    EXPECT_FALSE(u.hasOffer());
    EXPECT_FALSE(u.scheduledCheckDue()); // checked today
    rig.clock.t = rig.clock.t.addSecs(24 * 3600);
    EXPECT_TRUE(u.scheduledCheckDue());

    // During a round: no window, only the deferred version; the notice's click offers it.
    rig.busy = true;
    rig.scheduled();
    EXPECT_FALSE(u.hasOffer());
    EXPECT_EQ(u.deferredVersion(), QStringLiteral("0.2.0"));
    rig.busy = false;
    EXPECT_TRUE(rig.check().isEmpty());
    EXPECT_TRUE(u.deferredVersion().isEmpty());
    EXPECT_TRUE(u.hasOffer());

    // Skipped: never again from the schedule; asking still shows it.
    u.skipThisVersion();
    rig.scheduled();
    EXPECT_FALSE(u.hasOffer());
    EXPECT_TRUE(u.deferredVersion().isEmpty());
    rig.check();
    EXPECT_TRUE(u.hasOffer());
}

TEST(Updater, SaysWhenNothingIsNewAndWhyAFeedFailed)
{
    Rig rig;
    const struct {
        const char *path;
        QByteArray response; // none: 404
        const char *said;
    } cases[] = {
        {"/current.xml", ok(feed({{"0.1.0", "https://e.org/0.1.0"}})), "已是最新版本"},
        {"/plain-links.xml", ok(feed({{"0.9.0", "http://e.org/0.9.0"}})), "已是最新版本"}, // never sent to over HTTP
        {"/missing.xml", {}, "检查更新失败：服务器返回 404"},
        {"/error.xml", http("500 Internal Server Error"), "检查更新失败：服务器返回 500"},
        {"/broken.xml", ok("<rss><channel><item>"), "检查更新失败：更新信息格式有误"},
        {"/empty.xml", ok("<rss><channel><title>x</title></channel></rss>"), "检查更新失败：更新信息里没有版本"},
        {"/huge.xml", ok(QByteArray(2 << 20, ' ') + feed({{"0.2.0", "https://e.org"}})), "检查更新失败：更新信息过大"},
        {"/redirect.xml", http("302 Found", {}, "Location: http://example.org/appcast.xml\r\n"),
         "检查更新失败：更新地址被转到了不安全的位置"},
    };
    for (const auto &c : cases) {
        if (!c.response.isEmpty())
            rig.server.routes[c.path] = c.response;
        rig.open(c.path);
        EXPECT_EQ(rig.check(), QString::fromUtf8(c.said)) << c.path;
        EXPECT_FALSE(rig.updater->hasOffer()) << c.path;
    }

    // A server that never answers: no second check meanwhile, then the timeout.
    rig.server.routes["/hang.xml"] = {};
    AppUpdater &u = rig.open("/hang.xml", 400);
    QSignalSpy said(&u, &AppUpdater::checkFinished);
    u.checkForUpdates();
    EXPECT_FALSE(u.canCheckForUpdates());
    rig.waitUntilIdle();
    EXPECT_EQ(said.value(0).value(0).toString(), QStringLiteral("检查更新失败：连接超时"));
    EXPECT_EQ(said.size(), 1);

    // A scheduled check that fails says nothing.
    rig.open("/error.xml");
    QSignalSpy quiet(rig.updater.get(), &AppUpdater::checkFinished);
    rig.scheduled();
    EXPECT_TRUE(quiet.isEmpty());
}

TEST(Updater, WithoutAFeedNothingIsCheckedAndEverythingIsDisabled)
{
    fakes::ManualClock clock;
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("updates.conf"));
    for (const char *feedUrl : {"", "http://updates.example.org/appcast.xml", "ftp://example.org/a.xml"}) {
        AppUpdater u({u"0.1.0"_qs, QUrl(QString::fromLatin1(feedUrl)), settings}, clock, [] { return false; });
        EXPECT_FALSE(u.isAvailable()) << feedUrl;
        EXPECT_FALSE(u.scheduledCheckDue());
        QSignalSpy said(&u, &AppUpdater::checkFinished);
        u.checkForUpdates();
        u.setAutomaticallyChecksForUpdates(false);
        QTest::qWait(20);
        EXPECT_TRUE(said.isEmpty());
        EXPECT_FALSE(QFile::exists(settings));
    }
    EXPECT_EQ(AppUpdater(UpdaterConfig{}, clock, [] { return false; }).currentVersion(), QStringLiteral("开发版"));
}
