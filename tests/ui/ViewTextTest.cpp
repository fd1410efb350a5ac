#include "ui/FloatingTimer.h"
#include "ui/Symbols.h"
#include "ui/ViewText.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QRawFont>
#include <QRegularExpression>
#include <QWindow>

using namespace tessary;
using namespace tessary::ui;

TEST(ViewText, TimerTextInEveryPhase)
{
    EXPECT_EQ(timerText(SessionPhase::idle, 25, 0, 0), QStringLiteral("25:00"));
    EXPECT_EQ(timerText(SessionPhase::idle, 120, 999, 0), QStringLiteral("120:00")); // minutes not wrapped into hours
    EXPECT_EQ(timerText(SessionPhase::focusing, 25, 1499, 0), QStringLiteral("24:59"));
    EXPECT_EQ(timerText(SessionPhase::paused, 25, -5, 0), QStringLiteral("00:00"));
    EXPECT_EQ(timerText(SessionPhase::completed, 25, 0, 0), QStringLiteral("00:00"));
    EXPECT_EQ(timerText(SessionPhase::microBreak, 25, 1200, 7), QStringLiteral("7"));
    EXPECT_EQ(timerText(SessionPhase::focusing, 1440, 1440 * 60, 0), QStringLiteral("1440:00"));
}

TEST(ViewText, CaptionsNameTheTaskAndPhase)
{
    EXPECT_EQ(timerCaption(SessionPhase::focusing, taskLabel(std::nullopt, std::nullopt)), QStringLiteral("未分类 · 净专注剩余"));
    EXPECT_EQ(timerCaption(SessionPhase::paused, QStringLiteral("阅读")), QStringLiteral("阅读 · 已暂停"));
    EXPECT_EQ(timerCaption(SessionPhase::microBreak, QStringLiteral("阅读")), QStringLiteral("阅读 · 闭眼 · 松肩 · 慢呼吸"));
    EXPECT_EQ(timerCaption(SessionPhase::idle, QStringLiteral("阅读")), QStringLiteral("准备开始"));
    // The round's own task wins over a selection changed since the start.
    EXPECT_EQ(taskLabel(QStringLiteral("数学"), QStringLiteral("阅读")), QStringLiteral("数学"));
    EXPECT_EQ(taskLabel(std::nullopt, QStringLiteral("阅读")), QStringLiteral("阅读"));
}

TEST(ViewText, RingProgressIsClampedAndNeverEmptyDuringARound)
{
    EXPECT_DOUBLE_EQ(ringProgress(false, 0, 0), 1.0);
    EXPECT_DOUBLE_EQ(ringProgress(true, 0, 1500), 0.01);
    EXPECT_DOUBLE_EQ(ringProgress(true, 750, 1500), 0.5);
    EXPECT_DOUBLE_EQ(ringProgress(true, 3000, 1500), 1.0);
    EXPECT_DOUBLE_EQ(ringProgress(true, 10, 0), 0.01); // no division by zero
}

TEST(ViewText, GreetingFollowsTheHour)
{
    EXPECT_EQ(dayGreeting(0), QStringLiteral("早上好"));
    EXPECT_EQ(dayGreeting(10), QStringLiteral("早上好"));
    EXPECT_EQ(dayGreeting(11), QStringLiteral("中午好"));
    EXPECT_EQ(dayGreeting(14), QStringLiteral("下午好"));
    EXPECT_EQ(dayGreeting(18), QStringLiteral("下午好"));
    EXPECT_EQ(dayGreeting(19), QStringLiteral("晚上好"));
}

TEST(ViewText, EnergyLabelsClampToTheScale)
{
    EXPECT_EQ(energyLabel(0), QStringLiteral("很低"));
    EXPECT_EQ(energyLabel(3), QStringLiteral("一般"));
    EXPECT_EQ(energyLabel(9), QStringLiteral("充沛"));
}

TEST(ViewText, MenuTimeNeverGoesBelowZeroAndKeepsMinutes)
{
    EXPECT_EQ(menuTimeText(-3), QStringLiteral("00:00"));
    EXPECT_EQ(menuTimeText(3725), QStringLiteral("62:05"));
}

TEST(ViewText, ThePendingReviewIsOfferedInsteadOfANewRound)
{
    EXPECT_EQ(menuBarMode(SessionPhase::completed), QStringLiteral("review"));
    EXPECT_EQ(menuBarMode(SessionPhase::idle), QStringLiteral("start"));
    EXPECT_EQ(menuBarMode(SessionPhase::paused), QStringLiteral("running"));
    EXPECT_EQ(menuBarMode(SessionPhase::microBreak), QStringLiteral("break"));
}

TEST(ViewText, FloatingTimerRule)
{
    EXPECT_FALSE(floatingTimerVisible(false, true, std::nullopt, std::nullopt));
    EXPECT_FALSE(floatingTimerVisible(true, false, std::nullopt, std::nullopt));
    EXPECT_TRUE(floatingTimerVisible(true, true, std::nullopt, std::nullopt)); // absent means on
    EXPECT_TRUE(floatingTimerVisible(true, true, false, true));
    EXPECT_FALSE(floatingTimerVisible(true, true, false, std::nullopt));
    EXPECT_FALSE(floatingTimerVisible(true, true, false, false));
}

TEST(FloatingPanel, TimeRingAndStatusFollowThePhase)
{
    using namespace floating;
    EXPECT_EQ(timerText(SessionPhase::focusing, 3725, 0), QStringLiteral("62:05")); // minutes not wrapped
    EXPECT_EQ(timerText(SessionPhase::paused, -4, 0), QStringLiteral("00:00"));
    EXPECT_EQ(timerText(SessionPhase::microBreak, 1200, 7), QStringLiteral("7 秒"));

    EXPECT_DOUBLE_EQ(ringProgress(SessionPhase::microBreak, 10, 1500), 1.0);
    EXPECT_DOUBLE_EQ(ringProgress(SessionPhase::focusing, 0, 1500), 0.02); // always a visible arc
    EXPECT_DOUBLE_EQ(ringProgress(SessionPhase::focusing, 10, 0), 0.02);
    EXPECT_DOUBLE_EQ(ringProgress(SessionPhase::paused, 750, 1500), 0.5);
    EXPECT_DOUBLE_EQ(ringProgress(SessionPhase::focusing, 2000, 1500), 1.0);

    EXPECT_STREQ(statusTint(SessionPhase::paused), "amber");
    EXPECT_STREQ(statusTint(SessionPhase::microBreak), "blue");
    EXPECT_STREQ(statusTint(SessionPhase::focusing), "mint");
    EXPECT_EQ(statusText(SessionPhase::paused), QStringLiteral("已暂停"));
    EXPECT_EQ(statusText(SessionPhase::microBreak), QStringLiteral("微休息"));
    EXPECT_EQ(statusText(SessionPhase::focusing), QStringLiteral("专注中"));
    EXPECT_EQ(statusSymbol(SessionPhase::paused), QStringLiteral("pause.fill"));
    EXPECT_EQ(statusSymbol(SessionPhase::microBreak), QStringLiteral("sparkles"));
    EXPECT_EQ(statusSymbol(SessionPhase::focusing), QStringLiteral("leaf.fill"));
}

TEST(FloatingPanel, SizeBySectionsShown)
{
    EXPECT_EQ(floating::panelSize(true, false), QSize(264, 116));
    EXPECT_EQ(floating::panelSize(true, true), QSize(292, 174));
    EXPECT_EQ(floating::panelSize(false, true), QSize(292, 70));
    EXPECT_TRUE(floating::panelSize(false, false).isEmpty());
}

TEST(FloatingPanel, TheMainWindowIsTheRegisteredOneElseTheFirstNamedOrOrdinaryWindow)
{
    int argc = 0;
    QGuiApplication app(argc, nullptr);
    QWindow tool, named, ordinary, panel;
    tool.setFlags(Qt::Tool);
    panel.setObjectName(QLatin1String(kFloatingTimerName));
    named.setObjectName(QLatin1String(kMainWindowName));
    EXPECT_EQ(resolveMainWindow(&ordinary, {&tool, &named}), &ordinary);
    EXPECT_EQ(resolveMainWindow(nullptr, {&tool, &named, &ordinary}), &named);
    // Tested in order: an earlier ordinary window wins over a later named one.
    EXPECT_EQ(resolveMainWindow(nullptr, {&panel, &ordinary, &named}), &ordinary);
    EXPECT_EQ(resolveMainWindow(nullptr, {&tool, &panel}), nullptr);
}

TEST(FloatingPanel, AWaylandSessionRunsThroughXWaylandUnlessTheUserChoseAPlatform)
{
    EXPECT_EQ(preferredPlatform("wayland", "", ":0"), QByteArray("xcb"));
    EXPECT_TRUE(preferredPlatform("wayland", "wayland", ":0").isEmpty());
    EXPECT_TRUE(preferredPlatform("wayland", "", "").isEmpty()); // no XWayland: stay native
    EXPECT_TRUE(preferredPlatform("x11", "", ":0").isEmpty());
}

TEST(ViewText, AmbientStatusLine)
{
    EXPECT_EQ(ambientStatusText({}, true), QStringLiteral("点选下面的声音即可试听，可以叠加多种一起放。"));
    EXPECT_EQ(ambientStatusText({QStringLiteral("雨声")}, true), QStringLiteral("正在播放：雨声"));
    EXPECT_EQ(ambientStatusText({QStringLiteral("雨声"), QStringLiteral("棕噪音")}, false), QStringLiteral("已选：雨声 + 棕噪音"));
}

// Every symbol a screen names has a glyph, and the bundled font has it.
TEST(Symbols, EveryNameUsedByTheScreensMapsToAGlyphInTheFont)
{
    int argc = 0;
    QGuiApplication app(argc, nullptr);
    QFile fontFile(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));
    ASSERT_TRUE(fontFile.open(QIODevice::ReadOnly));
    const QRawFont font(fontFile.readAll(), 24);
    ASSERT_TRUE(font.isValid());
    for (const QString &name : Symbols::names())
        EXPECT_TRUE(font.supportsCharacter(QChar(Symbols::codepoint(name)))) << name.toStdString();

    // Every quoted lower-case word in a statement that sets a symbol name or symbol.
    const QRegularExpression setter(QStringLiteral(R"(\b(?:name|symbol)\s*:)"));
    const QRegularExpression quoted(QStringLiteral(R"re("([a-z0-9.]+)")re"));
    QStringList unknown;
    int seen = 0;
    QDirIterator it(QStringLiteral(":/qt/qml/Tessary/Ui"), {QStringLiteral("*.qml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile qml(it.next());
        ASSERT_TRUE(qml.open(QIODevice::ReadOnly));
        const QString source = QString::fromUtf8(qml.readAll());
        for (const QString &line : source.split(QRegularExpression(QStringLiteral("[\n;]")))) {
            if (!setter.match(line).hasMatch())
                continue;
            for (auto m = quoted.globalMatch(line); m.hasNext();) {
                const QString name = m.next().captured(1);
                ++seen;
                if (Symbols::codepoint(name) == 0)
                    unknown.append(name + QStringLiteral(" in ") + it.fileName());
            }
        }
    }
    for (const auto &info : ambientSoundCatalog()) {
        ++seen;
        if (Symbols::codepoint(QString::fromLatin1(info.symbol)) == 0)
            unknown.append(QString::fromLatin1(info.symbol));
    }
    EXPECT_GT(seen, 40);
    EXPECT_TRUE(unknown.isEmpty()) << unknown.join(QStringLiteral(", ")).toStdString();
}
