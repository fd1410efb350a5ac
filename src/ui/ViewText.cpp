#include "ViewText.h"

#include "engine/AppStore.h"
#include "records/TextRules.h"

#include <QTime>

#include <algorithm>

namespace tessary::ui {

QString timerText(SessionPhase phase, std::int64_t selectedMinutes, std::int64_t remainingSeconds,
                  std::int64_t breakRemainingSeconds)
{
    if (phase == SessionPhase::microBreak)
        return QString::number(breakRemainingSeconds);
    const std::int64_t s = phase == SessionPhase::idle ? selectedMinutes * 60 : remainingSeconds;
    return text::clockText(std::max<std::int64_t>(s, 0));
}

QString timerCaption(SessionPhase phase, const QString &taskLabel)
{
    switch (phase) {
    case SessionPhase::focusing: return taskLabel + QStringLiteral(" · 净专注剩余");
    case SessionPhase::paused: return taskLabel + QStringLiteral(" · 已暂停");
    case SessionPhase::microBreak: return taskLabel + QStringLiteral(" · 闭眼 · 松肩 · 慢呼吸");
    default: return QStringLiteral("准备开始");
    }
}

QString taskLabel(const std::optional<QString> &draftTask, const std::optional<QString> &selectedTask)
{
    if (draftTask)
        return *draftTask;
    if (selectedTask)
        return *selectedTask;
    return QStringLiteral("未分类");
}

double ringProgress(bool active, std::int64_t focusedElapsedSeconds, std::int64_t plannedSeconds)
{
    if (!active)
        return 1.0;
    if (plannedSeconds < 1)
        return 0.01;
    const double p = std::clamp(double(focusedElapsedSeconds) / double(plannedSeconds), 0.0, 1.0);
    return std::max(p, 0.01);
}

QString dayGreeting(int hour)
{
    if (hour < 11)
        return QStringLiteral("早上好");
    if (hour < 14)
        return QStringLiteral("中午好");
    if (hour < 19)
        return QStringLiteral("下午好");
    return QStringLiteral("晚上好");
}

QString energyLabel(std::int64_t energy)
{
    static const QString labels[] = {QStringLiteral("很低"), QStringLiteral("偏低"), QStringLiteral("一般"),
                                     QStringLiteral("不错"), QStringLiteral("充沛")};
    return labels[std::clamp<std::int64_t>(energy, 1, 5) - 1];
}

QString phaseSymbol(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::focusing: return QStringLiteral("leaf.fill");
    case SessionPhase::paused: return QStringLiteral("pause.circle.fill");
    case SessionPhase::microBreak: return QStringLiteral("sparkles");
    default: return QStringLiteral("circle.dotted");
    }
}

QString menuTimeText(std::int64_t remainingSeconds) { return text::clockText(std::max<std::int64_t>(remainingSeconds, 0)); }

QString menuBarMode(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::completed: return QStringLiteral("review");
    case SessionPhase::microBreak: return QStringLiteral("break");
    case SessionPhase::focusing:
    case SessionPhase::paused: return QStringLiteral("running");
    default: return QStringLiteral("start");
    }
}

bool floatingTimerVisible(bool mainWindowMinimised, bool sessionActive, std::optional<bool> floatingTimerOnMinimize,
                          std::optional<bool> floatingSignalButtons)
{
    return mainWindowMinimised && sessionActive
           && (floatingTimerOnMinimize.value_or(true) || floatingSignalButtons.value_or(false));
}

namespace floating {

QString timerText(SessionPhase phase, std::int64_t remainingSeconds, std::int64_t breakRemainingSeconds)
{
    if (phase == SessionPhase::microBreak)
        return QString::number(breakRemainingSeconds) + QStringLiteral(" 秒");
    return text::clockText(std::max<std::int64_t>(remainingSeconds, 0));
}

double ringProgress(SessionPhase phase, std::int64_t focusedElapsedSeconds, std::int64_t plannedSeconds)
{
    if (phase == SessionPhase::microBreak)
        return 1.0;
    if (plannedSeconds < 1)
        return 0.02;
    return std::max(std::clamp(double(focusedElapsedSeconds) / double(plannedSeconds), 0.0, 1.0), 0.02);
}

const char *statusTint(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::paused: return "amber";
    case SessionPhase::microBreak: return "blue";
    default: return "mint";
    }
}

QString statusText(SessionPhase phase) { return activePhaseText(phase); }

QString statusSymbol(SessionPhase phase)
{
    switch (phase) {
    case SessionPhase::paused: return QStringLiteral("pause.fill");
    case SessionPhase::microBreak: return QStringLiteral("sparkles");
    default: return QStringLiteral("leaf.fill");
    }
}

QSize panelSize(bool timerShown, bool signalsShown)
{
    const int width = signalsShown ? 292 : 264;
    if (timerShown)
        return {width, signalsShown ? 174 : 116};
    return signalsShown ? QSize(width, 70) : QSize();
}

} // namespace floating

QString ambientStatusText(const QStringList &selectedTitles, bool playing)
{
    if (selectedTitles.isEmpty())
        return QStringLiteral("点选下面的声音即可试听，可以叠加多种一起放。");
    return (playing ? QStringLiteral("正在播放：") : QStringLiteral("已选：")) + selectedTitles.join(QStringLiteral(" + "));
}

const std::array<AmbientSoundInfo, 8> &ambientSoundCatalog()
{
    static const std::array<AmbientSoundInfo, 8> catalog{{
        {"rain", QStringLiteral("雨声"), QStringLiteral("雨落在树叶上"), "cloud.rain.fill", "blue"},
        {"waves", QStringLiteral("海浪"), QStringLiteral("沙滩上的浪花"), "water.waves", "blue"},
        {"stream", QStringLiteral("溪流"), QStringLiteral("林间的小溪"), "drop.fill", "mint"},
        {"wind", QStringLiteral("风声"), QStringLiteral("松林里的风"), "wind", "mint"},
        {"fire", QStringLiteral("篝火"), QStringLiteral("壁炉里的柴火"), "flame.fill", "coral"},
        {"birds", QStringLiteral("鸟鸣"), QStringLiteral("清晨湖边的鸟鸣"), "bird.fill", "mint"},
        {"crickets", QStringLiteral("虫鸣"), QStringLiteral("夏夜花园的蟋蟀"), "moon.stars.fill", "amber"},
        {"brownNoise", QStringLiteral("棕噪音"), QStringLiteral("低沉平稳的底噪"), "waveform", "amber"},
    }};
    return catalog;
}

namespace {
SessionPhase toPhase(int phase)
{
    return phase >= 0 && phase <= int(SessionPhase::completed) ? static_cast<SessionPhase>(phase) : SessionPhase::idle;
}
} // namespace

QString ViewText::timerText(int phase, qint64 selectedMinutes, qint64 remaining, qint64 breakRemaining) const
{
    return ui::timerText(toPhase(phase), selectedMinutes, remaining, breakRemaining);
}
QString ViewText::timerCaption(int phase, const QString &label) const { return ui::timerCaption(toPhase(phase), label); }
double ViewText::ringProgress(bool active, qint64 elapsed, qint64 planned) const
{
    return ui::ringProgress(active, elapsed, planned);
}
ViewText::ViewText(const AppStore *store, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_shownGreeting(dayGreeting())
{
    m_greetingTimer.setInterval(60 * 1000);
    m_greetingTimer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_greetingTimer, &QTimer::timeout, this, [this] {
        QString now = dayGreeting();
        if (now == m_shownGreeting)
            return;
        m_shownGreeting = std::move(now);
        emit dayGreetingChanged();
    });
    m_greetingTimer.start();
}

QString ViewText::dayGreeting() const
{
    const auto cal = m_store->calendar();
    return ui::dayGreeting(cal.now.toDateTime().toTimeZone(cal.zone).time().hour());
}

QString ViewText::taskLabel(const QString &draftTask, const QString &selectedTask) const
{
    // Empty means absent here: neither a draft's task nor a valid selection is ever blank.
    auto present = [](const QString &s) { return s.isEmpty() ? std::nullopt : std::optional<QString>(s); };
    return ui::taskLabel(present(draftTask), present(selectedTask));
}

QString ViewText::ambientStatusText(const QStringList &selectedIds, bool playing) const
{
    QStringList titles;
    for (const QString &id : selectedIds)
        for (const auto &info : ambientSoundCatalog())
            if (id == QLatin1String(info.id))
                titles.append(info.title);
    return ui::ambientStatusText(titles, playing);
}

QVariantList ViewText::ambientSounds() const
{
    QVariantList list;
    for (const auto &info : ambientSoundCatalog())
        list.append(QVariantMap{{QStringLiteral("id"), QString::fromLatin1(info.id)},
                                {QStringLiteral("title"), info.title},
                                {QStringLiteral("description"), info.description},
                                {QStringLiteral("symbol"), QString::fromLatin1(info.symbol)},
                                {QStringLiteral("tint"), QString::fromLatin1(info.tint)}});
    return list;
}
QString ViewText::energyLabel(qint64 energy) const { return ui::energyLabel(energy); }
QString ViewText::phaseSymbol(int phase) const { return ui::phaseSymbol(toPhase(phase)); }
QString ViewText::menuTimeText(qint64 remaining) const { return ui::menuTimeText(remaining); }
QString ViewText::menuBarMode(int phase) const { return ui::menuBarMode(toPhase(phase)); }
QString ViewText::clockText(qint64 seconds) const { return text::clockText(seconds); }
QString ViewText::floatingTimerText(int phase, qint64 remaining, qint64 breakRemaining) const
{
    return floating::timerText(toPhase(phase), remaining, breakRemaining);
}
double ViewText::floatingRingProgress(int phase, qint64 elapsed, qint64 planned) const
{
    return floating::ringProgress(toPhase(phase), elapsed, planned);
}
QString ViewText::floatingStatusTint(int phase) const { return QString::fromLatin1(floating::statusTint(toPhase(phase))); }
QString ViewText::floatingStatusText(int phase) const { return floating::statusText(toPhase(phase)); }
QString ViewText::floatingStatusSymbol(int phase) const { return floating::statusSymbol(toPhase(phase)); }
QSize ViewText::floatingPanelSize(bool timerShown, bool signalsShown) const
{
    return floating::panelSize(timerShown, signalsShown);
}

} // namespace tessary::ui
