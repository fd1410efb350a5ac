// The insights, history and settings screens' rules: their texts, the chart geometry,
// the models over a real store, the delete flow, the CSV export and the settings bridge.

#include "ArchiveFactory.h"
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

#include <unistd.h>

using namespace tessary;
using namespace tessary::ui;

namespace {

StudySession round(Timestamp started, std::int64_t focusedSeconds, std::int64_t rating, const QString &task = {})
{
    return {.id = Uuid::createRandom(), .startedAt = started, .endedAt = started.addSecs(focusedSeconds + 60),
            .taskName = task.isNull() ? std::nullopt : std::optional(task), .plannedMinutes = 25,
            .focusedSeconds = focusedSeconds, .reminderMinimumMinutes = 3, .reminderMaximumMinutes = 5,
            .microBreakSeconds = 10, .events = {}, .startEnergy = 4, .endEnergy = 3, .focusRating = rating,
            .completed = true, .note = {}};
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

double bezierY(QPointF p0, const charts::CubicSegment &s, double t)
{
    const double u = 1 - t;
    return u * u * u * p0.y() + 3 * u * u * t * s.control1.y() + 3 * u * t * t * s.control2.y() + t * t * t * s.end.y();
}

} // namespace

// --- Texts ---------------------------------------------------------------------

// The figure and row texts are checked through the models below; these rules are not.
TEST(ArchiveText, WeekdaysAreOneChineseCharacterAndANoteReadsAsOneLine)
{
    QStringList days;
    for (int i = 0; i < 7; ++i)
        days << narrowWeekdayText(QDate(2026, 12, 7).addDays(i)); // from a Monday
    EXPECT_EQ(days.join(QLatin1Char(' ')), u"一 二 三 四 五 六 日"_qs);
    EXPECT_EQ(narrowWeekdayText(QDate()), QString());
    EXPECT_EQ(noteLineText(QStringLiteral("   ")), QStringLiteral("   ")); // blanks count as a note
    EXPECT_EQ(noteLineText(QStringLiteral("第一行\n第二行\r\n第三行")), QStringLiteral("第一行 第二行 第三行"));
}

// --- Chart geometry -------------------------------------------------------------

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
        ASSERT_GE(axis.ticks.size(), 3) << max;
        ASSERT_LE(axis.ticks.size(), 5) << max;
        ASSERT_EQ(axis.ticks.back(), axis.top);
        const double mantissa = axis.step / std::pow(10, std::floor(std::log10(axis.step)));
        ASSERT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 5) << axis.step;
    }
}

TEST(ChartGeometry, BarsStandOnTheBaselineInEqualSlots)
{
    const QRectF plot(0, 0, 700, 190);
    const auto axis = charts::niceAxis(100);
    const auto bars = charts::barRects({0, 50, 100, 100, 0, 25, 75}, axis, plot, 0.5);
    ASSERT_EQ(bars.size(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_DOUBLE_EQ(bars[i].center().x(), 50 + 100 * i);
        EXPECT_DOUBLE_EQ(bars[i].width(), 50);
        EXPECT_DOUBLE_EQ(bars[i].bottom(), 190);
    }
    EXPECT_DOUBLE_EQ(bars[0].height(), 0);
    EXPECT_DOUBLE_EQ(bars[2].height(), 190); // the axis top is the full height
    EXPECT_DOUBLE_EQ(bars[1].height(), 95);
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
            ASSERT_GE(y, lo - 1e-9) << "segment " << k << " t " << t;
            ASSERT_LE(y, hi + 1e-9) << "segment " << k << " t " << t;
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

// --- The insights model on a store ------------------------------------------------

TEST(InsightsModel, WindowTrendAndWeekFollowTheArchiveAndAnEmptyOneShowsTheDefaults)
{
    fakes::StoreHarness h;
    QList<StudySession> archive = hourly(h, 20);
    for (int i = 0; i < 20; ++i)
        archive[i].focusRating = 1 + i % 5; // newest first: 1, 2, 3, 4, 5, 1, …
    AppStore &store = openOn(h, archive);
    InsightsModel m(&store);
    EXPECT_EQ(m.capsuleText(), QStringLiteral("基于最近 12 轮"));

    const auto points = m.trendPoints(500, 150);
    ASSERT_EQ(points.size(), 10);
    // Oldest of the ten first, the newest at position 10.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(points[i].toMap().value(QStringLiteral("rating")).toLongLong(), archive[9 - i].focusRating) << i;
    const auto xMarks = m.trendXAxis(500);
    ASSERT_EQ(xMarks.size(), 10);
    EXPECT_EQ(xMarks.back().toMap().value(QStringLiteral("text")).toString(), QStringLiteral("10"));
    const auto yMarks = m.trendYAxis(150);
    ASSERT_EQ(yMarks.size(), 5);
    EXPECT_DOUBLE_EQ(yMarks.front().toMap().value(QStringLiteral("y")).toDouble(), 150); // 1 at the bottom
    EXPECT_DOUBLE_EQ(yMarks.back().toMap().value(QStringLiteral("y")).toDouble(), 0);    // 5 at the top

    // Today's bar is the last one, labelled with today's weekday (2026-12-06 is a Sunday).
    const auto bars = m.weekBars(700, 160);
    EXPECT_EQ(bars.back().toMap().value(QStringLiteral("label")).toString(), QStringLiteral("日"));
    EXPECT_EQ(bars.back().toMap().value(QStringLiteral("minutes")).toLongLong(), 13 * 25);

    // A change of the archive is seen on the next read.
    QSignalSpy changed(&m, &InsightsModel::changed);
    store.clearHistory();
    EXPECT_EQ(changed.count(), 1);
    const QStringList figures{m.capsuleText(), m.capacityText(), m.recommendedText(), m.wanderRateText(),
                              m.energyDropText()};
    EXPECT_EQ(figures.join(QLatin1Char('|')), u"基于最近 0 轮|30 分钟|30 分钟|—|—"_qs);
    EXPECT_TRUE(m.taskRows().isEmpty());
    EXPECT_TRUE(m.taskNote().isEmpty());
    EXPECT_TRUE(m.trendEmpty());
    EXPECT_DOUBLE_EQ(m.ringFraction(), 0.25);
    for (const QVariant &bar : m.weekBars(700, 160))
        EXPECT_EQ(bar.toMap().value(QStringLiteral("height")).toDouble(), 0);
    EXPECT_EQ(m.weekBars(700, 160).size(), 7);
    EXPECT_EQ(m.weekAxis(160).size(), 3); // an empty week still has a scale
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
    EXPECT_EQ(shown(tasks(10)), u"任务0 1 4.0 false|任务1 0.99 4.0 false|任务2 0.98 4.0 false|任务3 0.97 4.0 false|"
                                u"任务4 0.96 4.0 false|任务5 0.95 4.0 false|任务6 0.94 4.0 false|任务7 0.93 4.0 false|"
                                u"仅显示专注分钟最多的前 8 个任务。"_qs);
    EXPECT_TRUE(shown(tasks(8)).endsWith(u"任务7 0.93 4.0 false|"_qs)); // all shown: no note
    // 0 and 1 minute: the scale is 1, so the one-minute task has a full bar.
    EXPECT_EQ(shown({round(now.addSecs(-100), 60, 3, QStringLiteral("读")), round(now.addSecs(-200), 20, 3)}),
              u"读 1 3.0 false|未分类 0 3.0 true|"_qs);
}

TEST(InsightsModel, UsingTheRecommendationSetsTheLengthAndShowsTheFocusScreen)
{
    fakes::StoreHarness h;
    // Three stable 40-minute rounds: capacity 40, recommendation 45; capacity 40 fills a third of the ring.
    QList<StudySession> archive;
    for (int i = 0; i < 3; ++i)
        archive.append(round(h.clock.t.addSecs(-3600 * (i + 1)), 40 * 60, 4));
    AppStore &store = openOn(h, archive);
    InsightsModel m(&store);
    ASSERT_EQ(m.recommendedMinutes(), 45);
    EXPECT_NEAR(m.ringFraction(), 40.0 / 120.0, 1e-12);
    store.setSelectedSection(int(AppSection::insights));
    m.useRecommendation();
    EXPECT_EQ(store.settings().selectedDurationMinutes, 45);
    EXPECT_EQ(store.selectedSection(), int(AppSection::focus));
    h.advance(0.3); // the ordinary settings save
    EXPECT_EQ(h.onDisk().settings.selectedDurationMinutes, 45);
}

// --- The history model and the delete flow ------------------------------------------

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
    // Every text of a row, in the order the list shows them.
    auto row = [&](int r) {
        QStringList texts;
        for (auto role : {HistoryModel::DayRole, HistoryModel::MonthRole, HistoryModel::TimeRole,
                          HistoryModel::MinutesRole, HistoryModel::CompletedRole, HistoryModel::TaskRole,
                          HistoryModel::UntaggedRole, HistoryModel::RatingRole, HistoryModel::WanderRole,
                          HistoryModel::EnergyRole, HistoryModel::RemindersRole, HistoryModel::NoteRole,
                          HistoryModel::HasNoteRole})
            texts << m.data(m.index(r), role).toString();
        return texts.join(QLatin1Char('|'));
    };
    EXPECT_EQ(row(0), u"06|12月|15:30|3 分钟专注|false|未分类|true|3/5|1|4→3|3–5|先读完第三节|true"_qs); // 2.5 rounds up
    EXPECT_EQ(row(1), u"05|12月|09:00|25 分钟专注|true|阅读|false|4/5|0|4→3|3–5|没有写本轮备注|false"_qs);
    EXPECT_EQ(row(2), u"04|12月|09:00|1 分钟专注|true|未分类|true|4/5|0|4→3|3–5|没有写本轮备注|false"_qs);
    EXPECT_FALSE(m.data(m.index(7), HistoryModel::TaskRole).isValid());

    EXPECT_EQ(m.sessionCountText(), QStringLiteral("3"));
    EXPECT_EQ(m.totalMinutesText(), QStringLiteral("29")); // 3 + 25 + 1, each rounded on its own
    EXPECT_EQ(m.averageRatingText(), QStringLiteral("3.7")); // 3, 4, 4
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
    const auto onDisk = h.onDisk().sessions;
    ASSERT_EQ(onDisk.size(), 4);
    for (const auto &s : onDisk)
        EXPECT_NE(s.id, archive[2].id);

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

// --- CSV export -------------------------------------------------------------------

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
    EXPECT_FALSE(exporter.asking());

    // Written: the whole archive, replacing what was there.
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("汀禾-专注记录.csv"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    exporter.begin();
    EXPECT_TRUE(exporter.finish(QUrl::fromLocalFile(target)));
    EXPECT_EQ(store.toastMessageText(), QStringLiteral("CSV 已导出。"));
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), Persistence::csvText(store.sessions(), QTimeZone::utc()));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left behind

    // Destinations that cannot be written: nothing written, nothing replaced.
    EXPECT_FALSE(exporter.finish(QUrl::fromLocalFile(out.path()))); // a directory
    EXPECT_TRUE(QFileInfo(out.path()).isDir());
    EXPECT_FALSE(exporter.finish(QUrl::fromLocalFile(out.filePath(QStringLiteral("missing/x.csv")))));
    EXPECT_FALSE(exporter.finish(QUrl(QStringLiteral("https://example.invalid/x.csv"))));
    EXPECT_EQ(store.toastMessageText(), QStringLiteral("没有导出文件。"));

    // A read-only folder (permissions do not bind root, so only checked as a user).
    if (::geteuid() != 0) {
        QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(exporter.finish(QUrl::fromLocalFile(target)));
        QFile::setPermissions(out.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile again(target);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), Persistence::csvText(store.sessions(), QTimeZone::utc()));
    }
}

// --- The settings screen's bridge -----------------------------------------------------

TEST(SettingsBridge, MusicChoicesAndTheTestButtonRule)
{
    fakes::StoreHarness h;
    AppStore &store = openOn(h, {});
    SettingsBridge bridge(&store);
    EXPECT_FALSE(bridge.musicServiceIsNetEase());
    EXPECT_TRUE(bridge.canTestMusic());

    bridge.setMusicSourceIsPlaylist(true);
    EXPECT_EQ(store.settings().musicSource, MusicSource::playlist);
    EXPECT_FALSE(bridge.canTestMusic()); // a playlist without a name
    bridge.setPlaylistName(QStringLiteral("   "));
    EXPECT_FALSE(bridge.canTestMusic()); // blanks are no name
    bridge.setPlaylistName(QStringLiteral("深夜"));
    EXPECT_TRUE(bridge.canTestMusic());

    // NetEase ignores the source and keeps the stored values for the way back.
    bridge.setPlaylistName(QString());
    bridge.setMusicServiceIsNetEase(true);
    EXPECT_EQ(store.settings().musicService, MusicService::netEase);
    EXPECT_TRUE(bridge.canTestMusic());
    bridge.setMusicServiceIsNetEase(false);
    EXPECT_TRUE(bridge.musicSourceIsPlaylist());
    EXPECT_FALSE(bridge.canTestMusic());

    bridge.setMicroBreakSeconds(25);
    bridge.setReminderSound(QStringLiteral("随机"));
    bridge.setCompletionSound(QStringLiteral("Ping"));
    EXPECT_EQ(store.settings().microBreakSeconds, 25);
    EXPECT_EQ(store.settings().reminderSound, QStringLiteral("随机"));
    EXPECT_EQ(bridge.reminderSoundOptions().front(), QStringLiteral("随机"));
    EXPECT_EQ(bridge.completionSoundOptions().size(), 8);
    h.advance(0.3);
    EXPECT_EQ(h.onDisk().settings.completionSound, QStringLiteral("Ping"));
}
