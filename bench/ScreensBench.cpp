// The insights and history screens over a heavy archive, on the software renderer:
//   screens_bench [sessions]        (default 10000)
// prints the time from choosing a section to its first frame, the frame times while
// the whole history list scrolls by, and the resident memory of the history screen
// with that archive against an empty one (each measured in a fresh child process).
// Runs under the offscreen platform; figures only, nothing is asserted.

#include "ArchiveFactory.h"
#include "desktop/Autostart.h"
#include "desktop/LockWatcher.h"
#include "StoreHarness.h"
#include "ui/QmlSetup.h"
#include "updates/AppUpdater.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

using namespace tessary;

namespace {

void spin(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Milliseconds until the window has swapped its next frame.
double untilFrame(QQuickWindow &window, const std::function<void()> &change)
{
    QEventLoop loop;
    QElapsedTimer t;
    auto c = QObject::connect(&window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    t.start();
    change();
    window.update();
    loop.exec();
    QObject::disconnect(c);
    return double(t.nsecsElapsed()) / 1e6;
}

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

struct Screens {
    fakes::StoreHarness h;
    updates::AppUpdater updater{updates::UpdaterConfig{}, h.clock, [] { return false; }};
    desktop::Autostart autostart{h.dir.filePath(QStringLiteral("autostart")), QStringLiteral("tessary"), {}};
    std::unique_ptr<desktop::LockWatcher> lockWatcher;
    QQmlEngine engine;
    QQuickWindow window;
    QObject *content = nullptr;

    explicit Screens(int sessions)
    {
        h.clock.t = *Timestamp::parseIso8601("2026-12-06T07:30:00Z");
        if (sessions > 0)
            Persistence::save(h.dataPath(), AppSettings{}, fixtures::makeArchive(sessions, 10, h.clock.t.addSecs(-3600)));
        malloc_trim(0); // the generated archive is gone; the store reads it from disk like the app
        AppStore &store = h.open(QTimeZone("Asia/Shanghai"));
        lockWatcher =
            std::make_unique<desktop::LockWatcher>(QDBusConnection(QString()), QDBusConnection(QString()), store);
        ui::setUpQml(engine, store, updater, autostart, *lockWatcher);
        QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qt/qml/Tessary/Ui/qml/app/ContentView.qml")));
        content = component.create();
        if (!content) {
            std::fprintf(stderr, "%s\n", qPrintable(component.errorString()));
            std::exit(1);
        }
        auto *item = qobject_cast<QQuickItem *>(content);
        window.resize(1180, 790);
        item->setParentItem(window.contentItem());
        item->setSize(QSizeF(1180, 790));
        window.show();
        spin(300);
    }
    ~Screens() { delete content; }
    AppStore &store() { return *h.store; }
    QQuickItem *find(const char *name) { return content->findChild<QQuickItem *>(QString::fromLatin1(name)); }
};

void printStats(const char *what, std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[std::min(v.size() - 1, size_t(q * double(v.size())))]; };
    const auto over = std::count_if(v.begin(), v.end(), [](double ms) { return ms > 16.0; });
    std::printf("%-44s n=%zu  median %.1f ms  p95 %.1f ms  p99 %.1f ms  max %.1f ms  over 16 ms: %td\n", what, v.size(),
                at(0.5), at(0.95), at(0.99), v.back(), over);
}

int memoryChild(int sessions)
{
    Screens s(sessions);
    s.store().setSelectedSection(int(AppSection::history));
    spin(500);
    if (QQuickItem *list = s.find("historyView")) { // and a scroll through part of it
        for (int i = 0; i < 200; ++i) {
            list->setProperty("contentY", list->property("contentY").toReal() + 300);
            spin(2);
        }
    }
    spin(500);
    std::printf("%ld\n", residentKiB());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC")));
    QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--rss"))
        return memoryChild(args[1].toInt());
    const int sessions = args.isEmpty() ? 10000 : args[0].toInt();

    {
        Screens s(sessions);
        std::printf("archive: %d sessions, software renderer (the application's default), 1180 x 790\n", sessions);
        std::vector<double> insights, history;
        for (int round = 0; round < 15; ++round) {
            insights.push_back(untilFrame(s.window, [&] { s.store().setSelectedSection(int(AppSection::insights)); }));
            untilFrame(s.window, [&] { s.store().setSelectedSection(int(AppSection::focus)); });
            history.push_back(untilFrame(s.window, [&] { s.store().setSelectedSection(int(AppSection::history)); }));
            untilFrame(s.window, [&] { s.store().setSelectedSection(int(AppSection::focus)); });
        }
        // The first switch also computes every statistic; later ones find them cached.
        std::printf("%-44s %.1f ms\n", "switch to insights, first time", insights.front());
        std::printf("%-44s %.1f ms\n", "switch to history, first time", history.front());
        printStats("switch to insights, first frame", insights);
        printStats("switch to history, first frame", history);

        // Scroll the whole list, 300 px a frame (a brisk flick), one frame per step.
        s.store().setSelectedSection(int(AppSection::history));
        spin(300);
        QQuickItem *list = s.find("historyView");
        std::vector<double> frames;
        QElapsedTimer total;
        total.start();
        const double end = list->property("contentHeight").toReal() + list->property("originY").toReal();
        while (list->property("contentY").toReal() + list->height() < end - 1) {
            const double y = list->property("contentY").toReal() + 300;
            frames.push_back(untilFrame(s.window, [&] { list->setProperty("contentY", y); }));
        }
        printStats("history scroll, frame time", frames);
        std::printf("%-44s %lld of %d\n", "history rows alive at the end",
                    (long long)list->property("contentItem").value<QQuickItem *>()->childItems().size(),
                    list->property("count").toInt());
        if (qEnvironmentVariableIsSet("TESSARY_BENCH_VERBOSE"))
            for (size_t i = 0; i < frames.size(); ++i)
                if (frames[i] > 16.0)
                    std::printf("  slow frame %zu: %.1f ms\n", i, frames[i]);
        std::printf("%-44s %.1f s for %d rows\n", "history scroll, whole list", double(total.elapsed()) / 1000.0,
                    list->property("count").toInt());
    }

    // Memory of the history screen, each in a process of its own.
    auto childRss = [&](int n) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rss"), QString::number(n)});
        p.waitForFinished(120000);
        return p.readAllStandardOutput().trimmed().toLong();
    };
    const long empty = childRss(0), heavy = childRss(sessions);
    std::printf("%-44s empty %.1f MB, %d sessions %.1f MB: +%.1f MB\n", "resident memory on the history screen",
                double(empty) / 1024, sessions, double(heavy) / 1024, double(heavy - empty) / 1024);
    return 0;
}
