#include "ui/FloatingTimer.h"
#include "ui/QtTexts.h"
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

namespace {

// The values of `f` for each argument, joined: a table checked in one comparison that still
// shows every row when it fails.
template <typename F, typename T>
QString each(F f, std::initializer_list<T> arguments)
{
    QStringList values;
    for (const T &a : arguments)
        values << QString(f(a));
    return values.join(QLatin1Char('|'));
}

constexpr auto kIdle = SessionPhase::idle, kFocusing = SessionPhase::focusing, kPaused = SessionPhase::paused,
               kBreak = SessionPhase::microBreak, kCompleted = SessionPhase::completed;

} // namespace

TEST(ViewText, TimerTextsClampAtZeroKeepMinutesAndCountBreaksInSeconds)
{
    EXPECT_EQ(timerText(kIdle, 120, 999, 0), QStringLiteral("120:00")); // the selection, minutes not wrapped into hours
    EXPECT_EQ(timerText(kFocusing, 25, 1499, 0), QStringLiteral("24:59"));
    EXPECT_EQ(timerText(kPaused, 25, -5, 0), QStringLiteral("00:00"));
    EXPECT_EQ(timerText(kCompleted, 25, 0, 0), QStringLiteral("00:00"));
    EXPECT_EQ(timerText(kBreak, 25, 1200, 7), QStringLiteral("7"));
    EXPECT_EQ(floating::timerText(kFocusing, 3725, 0), QStringLiteral("62:05"));
    EXPECT_EQ(floating::timerText(kPaused, -4, 0), QStringLiteral("00:00"));
    EXPECT_EQ(floating::timerText(kBreak, 1200, 7), QStringLiteral("7 秒"));
    EXPECT_EQ(menuTimeText(-3), QStringLiteral("00:00"));
    EXPECT_EQ(menuTimeText(3725), QStringLiteral("62:05"));
}

TEST(ViewText, CaptionsNameTheRoundsOwnTask)
{
    EXPECT_EQ(timerCaption(kFocusing, taskLabel(std::nullopt, std::nullopt)), QStringLiteral("未分类 · 净专注剩余"));
    EXPECT_EQ(timerCaption(kIdle, QStringLiteral("阅读")), QStringLiteral("准备开始"));
    // The round's own task wins over a selection changed since the start.
    EXPECT_EQ(taskLabel(QStringLiteral("数学"), QStringLiteral("阅读")), QStringLiteral("数学"));
    EXPECT_EQ(taskLabel(std::nullopt, QStringLiteral("阅读")), QStringLiteral("阅读"));
}

TEST(ViewText, RingsAreClampedAndNeverEmptyDuringARound)
{
    EXPECT_DOUBLE_EQ(ringProgress(false, 0, 0), 1.0);
    EXPECT_DOUBLE_EQ(ringProgress(true, 0, 1500), 0.01);
    EXPECT_DOUBLE_EQ(ringProgress(true, 750, 1500), 0.5);
    EXPECT_DOUBLE_EQ(ringProgress(true, 3000, 1500), 1.0);
    EXPECT_DOUBLE_EQ(ringProgress(true, 10, 0), 0.01); // no division by zero
    EXPECT_DOUBLE_EQ(floating::ringProgress(kBreak, 10, 1500), 1.0);
    EXPECT_DOUBLE_EQ(floating::ringProgress(kFocusing, 0, 1500), 0.02); // always a visible arc
    EXPECT_DOUBLE_EQ(floating::ringProgress(kFocusing, 10, 0), 0.02);
    EXPECT_DOUBLE_EQ(floating::ringProgress(kPaused, 750, 1500), 0.5);
    EXPECT_DOUBLE_EQ(floating::ringProgress(kFocusing, 2000, 1500), 1.0);
}

TEST(ViewText, TablesByHourEnergyAndPhase)
{
    EXPECT_EQ(each(dayGreeting, {0, 10, 11, 13, 14, 18, 19, 23}),
              QStringLiteral("早上好|早上好|中午好|中午好|下午好|下午好|晚上好|晚上好"));
    // Clamped to the scale: never read past either end of the table.
    EXPECT_EQ(each(energyLabel, {-7, 0, 3, 5, 9}), QStringLiteral("很低|很低|一般|充沛|充沛"));
    // The pending review is offered instead of a new round.
    EXPECT_EQ(each(menuBarMode, {kIdle, kFocusing, kPaused, kBreak, kCompleted}),
              QStringLiteral("start|running|running|break|review"));
    EXPECT_EQ(each(floating::statusTint, {kFocusing, kPaused, kBreak}), QStringLiteral("mint|amber|blue"));
    EXPECT_EQ(each(floating::statusSymbol, {kFocusing, kPaused, kBreak}),
              QStringLiteral("leaf.fill|pause.fill|sparkles"));
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
    EXPECT_EQ(ambientStatusText({QStringLiteral("雨声"), QStringLiteral("棕噪音")}, false),
              QStringLiteral("已选：雨声 + 棕噪音"));
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
    auto check = [&](const QString &name, const QString &where) {
        ++seen;
        if (Symbols::codepoint(name) == 0)
            unknown.append(name + where);
    };
    QDirIterator it(QStringLiteral(":/qt/qml/Tessary/Ui"), {QStringLiteral("*.qml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile qml(it.next());
        ASSERT_TRUE(qml.open(QIODevice::ReadOnly));
        for (const QString &line : QString::fromUtf8(qml.readAll()).split(QRegularExpression(QStringLiteral("[\n;]"))))
            if (setter.match(line).hasMatch())
                for (auto m = quoted.globalMatch(line); m.hasNext();)
                    check(m.next().captured(1), QStringLiteral(" in ") + it.fileName());
    }
    for (const auto &info : ambientSoundCatalog())
        check(QString::fromLatin1(info.symbol), {});
    EXPECT_GT(seen, 40);
    EXPECT_TRUE(unknown.isEmpty()) << unknown.join(QStringLiteral(", ")).toStdString();
}

// Qt's own dialogs speak Chinese: its catalogue (a missing package or path shows here) and the
// fallback file dialog's labels that the catalogue lacks.
TEST(QtTexts, QtsOwnTextsAreChinese)
{
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    installChineseQtTexts(app);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("FileDialog", "File name"), QStringLiteral("文件名"));
    EXPECT_EQ(QCoreApplication::translate("FileDialog", "Filter"), QStringLiteral("文件类型"));
    EXPECT_EQ(QCoreApplication::translate("SomethingElse", "Filter"), QStringLiteral("Filter"));
}
