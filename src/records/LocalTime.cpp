#include "LocalTime.h"

#include <limits>

namespace tessary {

LocalTime::LocalTime(const QTimeZone &zone) : m_zone(zone.isValid() ? zone : QTimeZone::utc()), m_hasTransitions(m_zone.hasTransitions()) {}

std::int64_t LocalTime::offsetFor(std::int64_t ms)
{
    if (m_cached && ms >= m_validFrom && ms < m_validUntil)
        return m_offset;
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    m_offset = m_zone.offsetFromUtc(at);
    if (!m_hasTransitions) {
        m_cached = false; // no known transitions: ask every time
        return m_offset;
    }
    const auto previous = m_zone.previousTransition(at.addMSecs(1));
    const auto next = m_zone.nextTransition(at);
    m_validFrom = previous.atUtc.isValid() ? previous.atUtc.toMSecsSinceEpoch() : std::numeric_limits<std::int64_t>::min();
    m_validUntil = next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : std::numeric_limits<std::int64_t>::max();
    m_cached = true;
    return m_offset;
}

std::int64_t LocalTime::localSeconds(Timestamp t)
{
    const std::int64_t ms = t.msecsSinceEpoch();
    return floorDiv(ms, 1000) + offsetFor(ms);
}

std::int64_t LocalTime::dayIndex(Timestamp t) { return floorDiv(localSeconds(t), 86400); }

QDate LocalTime::dateOfDay(std::int64_t dayIndex)
{
    std::int64_t y;
    unsigned m, d;
    civilFromDays(dayIndex, y, m, d);
    return QDate(int(y), int(m), int(d));
}

std::int64_t LocalTime::dayOfDate(const QDate &date) { return daysFromCivil(date.year(), unsigned(date.month()), unsigned(date.day())); }

QDateTime LocalTime::startOfDay(std::int64_t dayIndex) const { return dateOfDay(dayIndex).startOfDay(m_zone); }

} // namespace tessary
