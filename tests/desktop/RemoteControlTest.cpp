#include "StoreHarness.h"
#include "desktop/RemoteControl.h"
#include "desktop/SingleInstance.h"

#include <gtest/gtest.h>

#include <QLocalSocket>
#include <QRandomGenerator>
#include <QTest>
#include <QUuid>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

using namespace tessary;
using tessary::fakes::StoreHarness;
namespace remote = tessary::desktop::remote;

namespace {

struct Reply {
    int status;
    QString text;
    bool operator==(const Reply &) const = default;
    friend void PrintTo(const Reply &r, std::ostream *os) { *os << r.status << ' ' << r.text.toStdString(); }
};
Reply applied(const char *text) { return {remote::kApplied, QString::fromUtf8(text)}; }
Reply refused(const char *text) { return {remote::kRefused, QString::fromUtf8(text)}; }

// A store at its default round, and a channel key of the test's own; `shown` counts each time
// a command brought the main window forward.
class RemoteControl : public ::testing::Test {
protected:
    StoreHarness h;
    AppStore &store = h.openWith(25);
    int shown = 0;
    const QString key = QStringLiteral("tessary-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);

    Reply ask(const QByteArray &command, bool json = false)
    {
        QByteArray line = remote::request(command, json);
        line.chop(1);
        const QByteArray answer = remote::answer(store, line, [this] { ++shown; });
        EXPECT_TRUE(answer.endsWith('\n') && answer.count('\n') == 1) << answer.toStdString(); // one line
        const auto [status, text] = remote::parseAnswer(answer);
        return {status, QString::fromUtf8(text)};
    }
};

} // namespace

TEST_F(RemoteControl, RoundControlsActInTheirPhasesAndSayWhyOtherwise)
{
    // Idle: every round control is refused, with the reason; nothing is recorded.
    for (const char *c : {"toggle-pause", "mind-wander", "fatigue", "end"})
        EXPECT_EQ(ask(c), refused("现在没有进行中的一轮")) << c;
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_EQ(ask("status"), applied("未开始 · 今日 0 分钟"));

    h.random.queued = {200};
    EXPECT_EQ(ask("start"), applied("已开始 25 分钟的一轮"));
    h.advance(60.3);
    EXPECT_EQ(ask("start"), refused("这一轮已经在进行中"));
    EXPECT_EQ(ask("status"), applied("专注中 · 剩余 24:00 · 今日 0 分钟"));
    EXPECT_EQ(ask("toggle-pause"), applied("已暂停"));
    EXPECT_EQ(ask("status"), applied("已暂停 · 剩余 24:00 · 今日 0 分钟"));
    EXPECT_EQ(ask("mind-wander").status, remote::kApplied); // also while paused, as in the window
    EXPECT_EQ(ask("toggle-pause"), applied("已继续"));
    EXPECT_EQ(ask("fatigue"), applied("已记录疲劳"));
    EXPECT_EQ(store.currentMindWanderCount(), 1);
    EXPECT_EQ(store.currentFatigueCount(), 1);
    EXPECT_EQ(shown, 0);

    // A micro-break: no pause and no signals, but the round can end.
    for (int i = 0; i < 60 && store.phase() != SessionPhase::microBreak; ++i)
        h.advance(10); // the reminder drawn again on continuing
    ASSERT_EQ(store.phase(), SessionPhase::microBreak);
    const auto events = store.currentEvents().size();
    EXPECT_EQ(ask("toggle-pause").status, remote::kRefused);
    EXPECT_EQ(ask("mind-wander").status, remote::kRefused);
    EXPECT_EQ(store.currentEvents().size(), events);
    EXPECT_TRUE(ask("status").text.startsWith(QStringLiteral("微休息 · 还剩 ")));

    EXPECT_EQ(ask("end").status, remote::kApplied);
    EXPECT_TRUE(store.showCompletionSheet());
    EXPECT_EQ(shown, 1); // the review is in the main window
    EXPECT_EQ(ask("toggle-pause"), refused("这一轮已经结束，正在等待复盘"));
    EXPECT_EQ(ask("end").status, remote::kRefused);
    // Starting over an open review would drop the round unreviewed.
    EXPECT_EQ(ask("start"), refused("这一轮已经结束，正在等待复盘"));
    EXPECT_EQ(store.phase(), SessionPhase::completed);
    EXPECT_EQ(ask("show").status, remote::kApplied);
    EXPECT_EQ(shown, 2);
}

TEST_F(RemoteControl, StatusAsJsonAndAnythingElseIsNotACommand)
{
    store.startSession();
    h.advance(30.3);
    EXPECT_EQ(ask("status", true),
              applied(R"({"phase":"focusing","phaseText":"专注中","remainingSeconds":1470,"todayMinutes":0})"));

    const auto before = store.currentEvents().size();
    const QList<QByteArray> notCommands{"", "cmd", "cmd ", "cmd toggle-pause json", "cmd status xml", "cmd rm -rf",
                                        "CMD status", QByteArray("cmd toggle-pause\0x", 18), "\xff\xfe cmd end"};
    for (const QByteArray &garbage : notCommands) {
        const QByteArray answer = remote::answer(store, garbage, [] { ADD_FAILURE() << "shown"; });
        EXPECT_EQ(remote::parseAnswer(answer).first, remote::kNotACommand) << garbage.toStdString();
    }
    EXPECT_EQ(store.phase(), SessionPhase::focusing);
    EXPECT_EQ(store.currentEvents().size(), before);
    EXPECT_EQ(remote::parseAnswer("x y").first, -1);
    EXPECT_EQ(remote::parseAnswer("").first, -1);

    // The sync folder travels percent-encoded (spaces, CJK, a lone "-" stays a name); "" is off.
    QStringList folders;
    const auto setFolder = [&folders](const QString &folder) {
        folders << folder;
        return QStringLiteral("已同步 · 1 台电脑");
    };
    for (const QString &folder : {QStringLiteral("/home/u/同步 文件夹"), QStringLiteral("-"), QString()}) {
        const QByteArray request = remote::syncFolderRequest(folder).chopped(1);
        EXPECT_EQ(remote::answer(store, request, [] {}, setFolder), "0 已同步 · 1 台电脑\n");
    }
    EXPECT_EQ(folders, (QStringList{QStringLiteral("/home/u/同步 文件夹"), QStringLiteral("-"), QString()}));
    EXPECT_EQ(remote::parseAnswer(remote::answer(store, "cmd sync-folder %2Fx", [] {})).first, remote::kNotACommand);
}

// The channel with the real command handler, and a hundred hostile peers at once (silent,
// random bytes, a megabyte, half a line then gone): the instance acts on none of it, hands the
// handler no line that is not a request, and neither stops answering during the storm nor
// after it; a normal second launch still reaches it.
TEST_F(RemoteControl, AHundredHostileConnectionsAtOnceNeitherActNorStallTheInstance)
{
    EXPECT_FALSE(desktop::SingleInstance::request(key, "cmd status\n", 300).has_value()); // nobody runs
    desktop::SingleInstance running(key);
    ASSERT_FALSE(running.handOverToRunningInstance(200));
    int activations = 0;
    QList<QByteArray> handled;
    running.setCommandHandler([&](QByteArrayView line) {
        handled.append(line.toByteArray());
        return remote::answer(store, line, [this] { ++shown; });
    });
    QObject::connect(&running, &desktop::SingleInstance::activationRequested, [&activations] { ++activations; });
    std::atomic<int> connected{0};
    std::atomic<bool> stormDone{false};
    std::optional<QByteArray> duringStorm;
    std::thread storm([&] {
        std::vector<std::unique_ptr<QLocalSocket>> peers;
        QRandomGenerator random(7);
        for (int i = 0; i < 100; ++i) {
            auto s = std::make_unique<QLocalSocket>();
            s->connectToServer(key);
            if (!s->waitForConnected(3000))
                continue;
            ++connected;
            switch (i % 4) {
            case 0: break; // silent, holding its connection open
            case 1: {
                QByteArray noise(int(random.bounded(1, 300)), Qt::Uninitialized);
                for (char &c : noise)
                    c = char(0x80 | random.bounded(128)); // never a valid command word
                noise.insert(0, i % 8 == 1 ? "cmd " : "");
                noise.append('\n');
                s->write(noise);
                break;
            }
            case 2: s->write(QByteArray(1 << 20, 'c')); break; // far beyond any request
            case 3: s->write("cmd sta"); s->waitForBytesWritten(1000); s->abort(); break;
            }
            s->waitForBytesWritten(200);
            peers.push_back(std::move(s));
        }
        // While the silent ones still hang on, a real request is answered.
        duringStorm = desktop::SingleInstance::request(key, "cmd status\n", 3000);
        for (auto &s : peers)
            if (s->state() == QLocalSocket::ConnectedState)
                s->waitForDisconnected(3000); // the instance lets each go within its 2 s
        stormDone = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return stormDone.load(); }, 20000));
    storm.join();
    EXPECT_EQ(connected.load(), 100);
    EXPECT_EQ(duringStorm, QByteArray("0 未开始 · 今日 0 分钟\n"));
    EXPECT_EQ(store.phase(), SessionPhase::idle);
    EXPECT_TRUE(store.currentEvents().isEmpty());
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(activations, 0);
    EXPECT_TRUE(handled.contains("cmd status"));
    for (const QByteArray &line : handled) // the status, and noise lines that began with "cmd "
        EXPECT_TRUE(line.startsWith("cmd ") && line.size() <= remote::kMaxRequest) << line.size();

    // A second launch still hands over to it.
    // A blocking client, beside the event loop that serves it.
    auto launch = std::async(std::launch::async,
                             [this] { return desktop::SingleInstance(key).handOverToRunningInstance(2000); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return launch.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                10000));
    EXPECT_TRUE(launch.get());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations > 0; }, 5000));
    EXPECT_EQ(activations, 1);
}
