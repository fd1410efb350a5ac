// The insights, history and settings screens' rules: their texts, the chart geometry,
// the models over a real store, the delete flow, the CSV export and the settings bridge.

#include "ArchiveFactory.h"
#include "FileBytes.h"
#include "StoreHarness.h"
#include "ui/ArchiveText.h"
#include "ui/ChartGeometry.h"
#include "ui/CsvExport.h"
#include "ui/HistoryModel.h"
#include "ui/InsightsModel.h"
#include "ui/SettingsBridge.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tessary;
using namespace tessary::ui;

namespace {

StudySession round(Timestamp started, std::int64_t focusedSeconds, std::int64_t rating, const QString &task = {})
{
    return {.id = Uuid::createRandom(), .startedAt = started, .endedAt = started.addSecs(focusedSeconds + 60),
            .taskName = task.isNull() ? std::nullopt : std::optional(task), .plannedMinutes = 25,
            .focusedSeconds = focusedSeconds, .reminderMinimumMinutes = 3, .reminderMaximumMinutes = 5,
            .microBreakSeconds = 10, .events = {}, .startEnergy = 4, .endEnergy = 3, .focusRating = rating,
            .completed = true, .note = {}, .origin = {}, .edited = {}};
}

// A store opened on an archive (given newest first).
AppStore &openOn(fakes::StoreHarness &h, const QList<StudySession> &archive, QTimeZone zone = QTimeZone::utc())
{
    Persistence::save(h.dataPath(), AppSettings{}, archive);
    return h.open(zone);
}

// `count` rounds, one an hour going back from the harness's now.
QList<StudySession> hourly(const fakes::StoreHarness &h, int count, std::int64_t rating = 4)
{
    QList<StudySession> list;
    for (int i = 0; i < count; ++i)
        list.append(round(h.clock.t.addSecs(-3600 * (i + 1)), 1500, rating));
    return list;
}

// One field of each row of a model list, as the view reads them.
QString joined(const QVariantList &rows, const char *field)
{
    QStringList values;
    for (const QVariant &row : rows)
        values << row.toMap().value(QLatin1String(field)).toString();
    return values.join(u' ');
}

double bezierY(QPointF p0, const charts::CubicSegment &s, double t)
{
    const double u = 1 - t;
    return u * u * u * p0.y() + 3 * u * u * t * s.control1.y() + 3 * u * t * t * s.control2.y() + t * t * t * s.end.y();
}

} // namespace

// The figure, row and weekday texts are checked through the models below; these rules are not.
TEST(ArchiveText, NoWeekdayForNoDateAndANoteReadsAsOneLine)
{
    EXPECT_EQ(narrowWeekdayText(QDate()), QString());
    EXPECT_EQ(noteLineText(QStringLiteral("   ")), QStringLiteral("   ")); // blanks count as a note
    EXPECT_EQ(noteLineText(QStringLiteral("第一行\n第二行\r\n第三行")), QStringLiteral("第一行 第二行 第三行"));
}

TEST(ChartGeometry, ValueAxisIsNiceAndCoversTheData)
{
    auto ticks = [](double max) { return charts::niceAxis(max).ticks; };
    EXPECT_EQ(ticks(0), (QList<double>{0, 5, 10})); // an empty week still has a scale
    EXPECT_EQ(ticks(45), (QList<double>{0, 20, 40, 60}));
    EXPECT_EQ(ticks(137), (QList<double>{0, 50, 100, 150}));
    EXPECT_EQ(ticks(200), (QList<double>{0, 50, 100, 150, 200}));
    for (int max = 0; max <= 20000; max += 7) {
        const auto axis = charts::niceAxis(max);
        ASSERT_GE(axis.top, max);
        ASSERT_TRUE(axis.ticks.size() >= 3 && axis.ticks.size() <= 5) << max;
        ASSERT_EQ(axis.ticks.back(), axis.top);
        const double mantissa = axis.step / std::pow(10, std::floor(std::log10(axis.step)));
        ASSERT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << axis.step;
    }
}

TEST(ChartGeometry, BarsStandOnTheBaselineInEqualSlots)
{
    const QRectF plot(0, 0, 700, 190);
    const auto axis = charts::niceAxis(100);
    QStringList bars; // x,y,width,height: centred in slots of 100, the axis top at the full height
    for (const QRectF &r : charts::barRects({0, 50, 100, 100, 0, 25, 75}, axis, plot, 0.5))
        bars << QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    EXPECT_EQ(bars.join(u' '), u"25,190,50,0 125,95,50,95 225,0,50,190 325,0,50,190 425,190,50,0 525,142.5,50,47.5 "
                               u"625,47.5,50,142.5"_qs);
}

TEST(ChartGeometry, TrendCurvePassesThroughEveryPointAndStaysInsideTheScale)
{
    // Ratings that would make a Catmull-Rom spline overshoot 5 and undershoot 1.
    const QList<int> ratings = {1, 5, 5, 4, 1, 1, 3, 5, 2, 4};
    const QRectF plot(0, 0, 500, 150);
    QList<QPointF> points;
    for (int i = 0; i < ratings.size(); ++i)
        points.append(QPointF(charts::trendX(i + 1, int(ratings.size()), plot), charts::yOf(ratings[i], 1, 5, plot)));
    const auto segments = charts::monotoneCurve(points);
    ASSERT_EQ(segments.size(), points.size() - 1);
    for (qsizetype k = 0; k < segments.size(); ++k) {
        EXPECT_EQ(segments[k].end, points[k + 1]);
        const double lo = std::min(points[k].y(), points[k + 1].y()), hi = std::max(points[k].y(), points[k + 1].y());
        for (double t = 0; t <= 1.0; t += 0.01) {
            const double y = bezierY(points[k], segments[k], t);
            ASSERT_TRUE(y >= lo - 1e-9 && y <= hi + 1e-9) << "segment " << k << " t " << t << ": " << y;
        }
    }
    // Equal neighbours give a flat piece, not a bump.
    EXPECT_DOUBLE_EQ(segments[1].control1.y(), points[1].y());
    EXPECT_DOUBLE_EQ(segments[1].control2.y(), points[2].y());

    const QString path = charts::svgPath(points);
    EXPECT_TRUE(path.startsWith(QStringLiteral("M ")));
    EXPECT_EQ(path.count(QLatin1Char('C')), ratings.size() - 1);
    EXPECT_EQ(charts::svgPath({QPointF(3, 4)}), QStringLiteral("M 3.00 4.00"));
    EXPECT_TRUE(charts::svgPath({}).isEmpty());
    // A lone round sits in the middle of the plot.
    EXPECT_DOUBLE_EQ(charts::trendX(1, 1, plot), 250);
}

TEST(InsightsModel, FiguresTrendAndWeekFollowTheArchiveAndAnEmptyOneShowsTheDefaults)
{
    fakes::StoreHarness h;
    QList<StudySession> archive = hourly(h, 20);
    for (int i = 0; i < 20; ++i)
        archive[i].focusRating = 1 + i % 5; // newest first: 1, 2, 3, 4, 5, 1, …
    AppStore &store = openOn(h, archive);
    InsightsModel m(&store);
    EXPECT_EQ(m.capsuleText(), QStringLiteral("基于最近 12 轮"));

    // Oldest of the ten first, the newest at position 10; 1 at the bottom, 5 at the top.
    EXPECT_EQ(joined(m.trendPoints(500, 150), "rating"), u"5 4 3 2 1 5 4 3 2 1"_qs);
    EXPECT_EQ(joined(m.trendXAxis(500), "text"), u"1 2 3 4 5 6 7 8 9 10"_qs);
    EXPECT_EQ(joined(m.trendYAxis(150), "y"), u"150 112.5 75 37.5 0"_qs);

    // Today (2026-12-06, a Sunday) is the last bar.
    EXPECT_EQ(joined(m.weekBars(700, 160), "label"), u"一 二 三 四 五 六 日"_qs);
    EXPECT_EQ(joined(m.weekBars(700, 160), "minutes"), u"0 0 0 0 0 175 325"_qs);

    // Using the recommendation sets the round's length and shows the focus screen.
    ASSERT_EQ(m.recommendedMinutes(), 20); // no bonus: the newest ratings are low
    store.setSelectedSection(int(AppSection::insights));
    m.useRecommendation();
    EXPECT_EQ(store.settings().selectedDurationMinutes, 20);
    EXPECT_EQ(store.selectedSection(), int(AppSection::focus));

    // A change of the archive is seen on the next read.
    QSignalSpy changed(&m, &InsightsModel::changed);
    store.clearHistory();
    EXPECT_EQ(changed.count(), 1);
    const QStringList figures{m.capsuleText(), m.capacityText(), m.recommendedText(), m.wanderRateText(),
                              m.energyDropText(), QString::number(m.ringFraction()), m.taskNote()};
    EXPECT_EQ(figures.join(QLatin1Char('|')), u"基于最近 0 轮|30 分钟|30 分钟|—|—|0.25|"_qs);
    EXPECT_TRUE(m.taskRows().isEmpty() && m.trendEmpty());
    EXPECT_EQ(joined(m.weekBars(700, 160), "height"), u"0 0 0 0 0 0 0"_qs);
}

TEST(InsightsModel, TaskRowsAtMostEightWithNoteAndScale)
{
    // Each row as "name fraction rating untagged", then the note under them.
    auto shown = [](const QList<StudySession> &archive) {
        fakes::StoreHarness h;
        InsightsModel m(&openOn(h, archive));
        QStringList lines;
        for (const QVariant &row : m.taskRows()) {
            const QVariantMap r = row.toMap();
            lines << QStringLiteral("%1 %2 %3 %4").arg(r[u"name"_qs].toString()).arg(r[u"fraction"_qs].toDouble())
                         .arg(r[u"rating"_qs].toString(), r[u"untagged"_qs].toString());
        }
        return (lines << m.taskNote()).join(QLatin1Char('|'));
    };
    const Timestamp now = fakes::ManualClock().t;
    auto tasks = [&](int count) { // of 100, 99, … minutes
        QList<StudySession> list;
        for (int i = 0; i < count; ++i)
            list.append(round(now.addSecs(-600 * (i + 1)), 60 * (100 - i), 4, QStringLiteral("任务%1").arg(i)));
        return list;
    };
    EXPECT_EQ(shown(tasks(9)), u"任务0 1 4.0 false|任务1 0.99 4.0 false|任务2 0.98 4.0 false|任务3 0.97 4.0 false|"
                                u"任务4 0.96 4.0 false|任务5 0.95 4.0 false|任务6 0.94 4.0 false|任务7 0.93 4.0 false|"
                                u"仅显示专注分钟最多的前 8 个任务。"_qs);
    EXPECT_TRUE(shown(tasks(8)).endsWith(u"任务7 0.93 4.0 false|"_qs)); // all shown: no note
    // 0 and 1 minute: the scale is 1, so the one-minute task has a full bar.
    EXPECT_EQ(shown({round(now.addSecs(-100), 60, 3, QStringLiteral("读")), round(now.addSecs(-200), 20, 3)}),
              u"读 1 3.0 false|未分类 0 3.0 true|"_qs);
}

TEST(HistoryModel, RowsCarryTheirTextsAndTheSummaryItsRounding)
{
    fakes::StoreHarness h;
    auto a = round(*Timestamp::parseIso8601("2026-12-06T07:30:00Z"), 150, 3);
    a.completed = false;
    a.note = QStringLiteral("先读完第三节");
    a.events.append(FocusEvent{Uuid::createRandom(), a.startedAt, 40, FocusEventKind::mindWander});
    auto b = round(*Timestamp::parseIso8601("2026-12-05T01:00:00Z"), 1500, 4, QStringLiteral("  阅读 "));
    auto c = round(*Timestamp::parseIso8601("2026-12-04T01:00:00Z"), 89, 4);
    AppStore &store = openOn(h, {a, b, c}, QTimeZone("Asia/Shanghai"));
    HistoryModel m(&store);
    ASSERT_EQ(m.rowCount(), 3);
    // Every text of a row, in the order of the roles: day, month, minutes, completed, task,
    // untagged, time, rating, wandering, energy, reminders, note and whether there is one.
    auto row = [&](int r) {
        QStringList texts;
        for (int role = HistoryModel::DayRole; role <= HistoryModel::HasNoteRole; ++role)
            texts << m.data(m.index(r), role).toString();
        return texts.join(QLatin1Char('|'));
    };
    EXPECT_EQ(row(0), u"06|12月|3 分钟专注|false|未分类|true|15:30|3/5|1|4→3|3–5|先读完第三节|true"_qs); // 2.5 rounds up
    EXPECT_EQ(row(1), u"05|12月|25 分钟专注|true|阅读|false|09:00|4/5|0|4→3|3–5|没有写本轮备注|false"_qs);
    EXPECT_EQ(row(2), u"04|12月|1 分钟专注|true|未分类|true|09:00|4/5|0|4→3|3–5|没有写本轮备注|false"_qs);
    EXPECT_FALSE(m.data(m.index(7), HistoryModel::TaskRole).isValid());
    // Count, minutes (3 + 25 + 1, each rounded on its own) and the average rating of 3, 4, 4.
    EXPECT_EQ(m.sessionCountText() + u' ' + m.totalMinutesText() + u' ' + m.averageRatingText(), u"3 29 3.7"_qs);
}

TEST(HistoryModel, DeletingOneRoundRemovesExactlyItsRowAndIsSaved)
{
    fakes::StoreHarness h;
    const auto archive = hourly(h, 5);
    AppStore &store = openOn(h, archive);
    HistoryModel m(&store);
    QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&m, &QAbstractItemModel::modelReset);

    const QString id = m.sessionIdAt(2);
    ASSERT_EQ(id, archive[2].id.toString());
    store.removeSessionById(id);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 2);
    EXPECT_EQ(reset.count(), 0); // the list keeps its place
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_EQ(m.sessionCountText(), QStringLiteral("4"));
    auto rest = archive;
    rest.removeAt(2);
    EXPECT_EQ(h.onDisk().sessions, rest);

    // A stale or unknown id deletes nothing.
    store.removeSessionById(id);
    store.removeSessionById(QStringLiteral("not-a-uuid"));
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_EQ(m.sessionIdAt(4), QString());

    // A new review arrives as one inserted row at the top; a clear-all resets.
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    h.random.queued = {240};
    store.startSession();
    h.advance(60);
    store.finishSession(false);
    store.saveCompletion(5, 3, QString());
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(m.data(m.index(0), HistoryModel::RatingRole).toString(), QStringLiteral("5/5"));
    store.clearHistory();
    EXPECT_TRUE(m.empty());
    EXPECT_EQ(m.averageRatingText(), QStringLiteral("0.0"));
}

TEST(CsvExport, AsksOnceWritesAtomicallyAndSaysHowItWent)
{
    fakes::StoreHarness h;
    AppStore &store = openOn(h, fixtures::makeArchive(6, 2, h.clock.t.addSecs(-3600)));
    CsvExport exporter(&store);
    QSignalSpy asked(&exporter, &CsvExport::locationRequested);
    exporter.begin();
    exporter.begin(); // the dialog is already up
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked[0][0].toString(), QStringLiteral("汀禾-专注记录.csv"));
    EXPECT_TRUE(exporter.suggestedLocation().toLocalFile().endsWith(QStringLiteral("/汀禾-专注记录.csv")));

    // Cancelled.
    EXPECT_FALSE(exporter.finish(QUrl()));
    EXPECT_EQ(store.toastMessageText(), QStringLiteral("没有导出文件。"));
    EXPECT_TRUE(store.toastIsWarning());
    EXPECT_FALSE(exporter.asking());

    // Written: the whole archive, replacing what was there.
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("汀禾-专注记录.csv"));
    fakes::writeFile(target, "old");
    exporter.begin();
    EXPECT_TRUE(exporter.finish(QUrl::fromLocalFile(target)));
    EXPECT_EQ(store.toastMessageText(), QStringLiteral("CSV 已导出。"));
    EXPECT_EQ(fakes::readFile(target), Persistence::csvText(store.sessions(), QTimeZone::utc()));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left behind
    // A name typed into Qt's own dialog comes back as a bare path.
    EXPECT_TRUE(exporter.finish(QUrl(out.filePath(QStringLiteral("typed.csv")))));
    EXPECT_TRUE(QFileInfo::exists(out.filePath(QStringLiteral("typed.csv"))));
    EXPECT_FALSE(exporter.finish(QUrl(QStringLiteral("typed.csv")))); // relative: no folder to put it in

    // Destinations that cannot be written: nothing written, nothing replaced.
    EXPECT_FALSE(exporter.finish(QUrl::fromLocalFile(out.path()))); // a directory
    EXPECT_TRUE(QFileInfo(out.path()).isDir());
    EXPECT_FALSE(exporter.finish(QUrl::fromLocalFile(out.filePath(QStringLiteral("missing/x.csv")))));
    EXPECT_FALSE(exporter.finish(QUrl(QStringLiteral("https://example.invalid/x.csv"))));
    EXPECT_EQ(store.toastMessageText(), QStringLiteral("没有导出文件。"));
}

TEST(SettingsBridge, MusicChoicesAndTheTestButtonRule)
{
    fakes::StoreHarness h;
    AppStore &store = openOn(h, {});
    SettingsBridge bridge(&store);
    EXPECT_FALSE(bridge.musicServiceIsNetEase());
    EXPECT_TRUE(bridge.canTestMusic());

    bridge.setMusicSourceIsPlaylist(true);
    EXPECT_FALSE(bridge.canTestMusic()); // a playlist without a name
    bridge.setPlaylistName(QStringLiteral("   "));
    EXPECT_FALSE(bridge.canTestMusic()); // blanks are no name
    bridge.setPlaylistName(QStringLiteral("深夜"));
    EXPECT_TRUE(bridge.canTestMusic());

    // NetEase ignores the source and keeps the stored values for the way back.
    bridge.setPlaylistName(QString());
    bridge.setMusicServiceIsNetEase(true);
    EXPECT_TRUE(bridge.canTestMusic());
    bridge.setMusicServiceIsNetEase(false);
    EXPECT_TRUE(bridge.musicSourceIsPlaylist());
    EXPECT_FALSE(bridge.canTestMusic());
}
