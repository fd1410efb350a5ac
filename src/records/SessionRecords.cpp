#include "SessionRecords.h"

#include "TextRules.h"

#include <QHashFunctions>

namespace tessary {

namespace {
constexpr std::string_view kKindNames[] = {"reminder", "mindWander", "fatigue", "pause", "resume"};
}

std::string_view toString(FocusEventKind kind) { return kKindNames[static_cast<int>(kind)]; }

std::optional<FocusEventKind> focusEventKindFromString(std::string_view text)
{
    for (int i = 0; i < 5; ++i)
        if (kKindNames[i] == text)
            return static_cast<FocusEventKind>(i);
    return std::nullopt;
}

std::int64_t StudySession::countOf(FocusEventKind kind) const
{
    std::int64_t n = 0;
    for (const auto &e : events)
        n += e.kind == kind;
    return n;
}

QString StudySession::displayTaskName() const { return text::displayTaskName(taskName); }

size_t qHash(const FocusEvent &e, size_t seed) noexcept
{
    return qHashMulti(seed, std::hash<Uuid>{}(e.id), e.date.msecsSinceEpoch(), e.elapsedSeconds, int(e.kind));
}

size_t qHash(const StudySession &s, size_t seed) noexcept
{
    size_t h = qHashMulti(seed, std::hash<Uuid>{}(s.id), s.startedAt.msecsSinceEpoch(), s.endedAt.msecsSinceEpoch(),
                          s.taskName.has_value(), s.taskName.value_or(QString()), s.plannedMinutes, s.focusedSeconds,
                          s.reminderMinimumMinutes, s.reminderMaximumMinutes, s.microBreakSeconds);
    h = qHashRange(s.events.begin(), s.events.end(), h);
    return qHashMulti(h, s.startEnergy, s.endEnergy, s.focusRating, s.completed, s.note);
}

QString activePhaseText(SessionPhase p)
{
    switch (p) {
    case SessionPhase::paused: return QStringLiteral("已暂停");
    case SessionPhase::microBreak: return QStringLiteral("微休息");
    default: return QStringLiteral("专注中");
    }
}

} // namespace tessary
