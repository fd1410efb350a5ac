#pragma once

#include "Timestamp.h"

#include <QDate>
#include <QTimeZone>

#include <cstdint>

namespace tessary {

// Converts UTC instants to local wall-clock time in one zone, asking the zone for a
// new UTC offset only when an instant falls outside the span between the offset's
// surrounding transitions. Walking an archive (in either direction) therefore costs
// one zone lookup per daylight-saving change instead of one per session.
// Not thread-safe; make one per pass.
class LocalTime {
public:
    explicit LocalTime(const QTimeZone &zone);

    // Seconds since 1970-01-01T00:00 local wall-clock time (floored).
    std::int64_t localSeconds(Timestamp t);
    // Local calendar day as days since 1970-01-01 (proleptic Gregorian).
    std::int64_t dayIndex(Timestamp t);

    static QDate dateOfDay(std::int64_t dayIndex);
    static std::int64_t dayOfDate(const QDate &date);
    // Local midnight (or the first valid instant of the day) of a day.
    QDateTime startOfDay(std::int64_t dayIndex) const;

    const QTimeZone &zone() const { return m_zone; }

private:
    std::int64_t offsetFor(std::int64_t ms);

    QTimeZone m_zone;
    bool m_hasTransitions;
    bool m_cached = false;
    std::int64_t m_offset = 0;
    std::int64_t m_validFrom = 0;
    std::int64_t m_validUntil = 0;
};

} // namespace tessary
