#pragma once

#include <QDateTime>

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// A wall-clock instant in milliseconds since the Unix epoch (UTC).
// Records keep instants in this small value type rather than QDateTime so that an
// archive of tens of thousands of sessions decodes, compares and sorts cheaply.
class Timestamp {
public:
    constexpr Timestamp() = default;
    static constexpr Timestamp fromMSecsSinceEpoch(std::int64_t ms) { return Timestamp(ms); }
    static constexpr Timestamp fromSecsSinceEpoch(std::int64_t s) { return Timestamp(s * 1000); }
    static Timestamp fromDateTime(const QDateTime &dt) { return Timestamp(dt.toMSecsSinceEpoch()); }

    constexpr std::int64_t msecsSinceEpoch() const { return m_ms; }
    QDateTime toDateTime() const { return QDateTime::fromMSecsSinceEpoch(m_ms, Qt::UTC); }

    constexpr Timestamp addMSecs(std::int64_t ms) const { return Timestamp(m_ms + ms); }
    constexpr Timestamp addSecs(std::int64_t s) const { return Timestamp(m_ms + s * 1000); }
    // Seconds from `earlier` to this instant, with the millisecond fraction.
    constexpr double secondsSince(Timestamp earlier) const { return double(m_ms - earlier.m_ms) / 1000.0; }

    constexpr auto operator<=>(const Timestamp &) const = default;

    // "YYYY-MM-DDTHH:MM:SSZ" in UTC; the sub-second part is dropped (floored).
    std::string toIso8601() const;
    void appendIso8601(std::string &out) const;

    // Reads an internet date-time with whole seconds and a zone designator
    // ("Z" or "±HH:MM"). Anything else, fractions included, is rejected.
    static std::optional<Timestamp> parseIso8601(std::string_view text);

private:
    constexpr explicit Timestamp(std::int64_t ms) : m_ms(ms) {}
    std::int64_t m_ms = 0;
};

// Division rounding toward negative infinity (seconds before the epoch belong to the earlier day).
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Days since 1970-01-01 for a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d);
void civilFromDays(std::int64_t z, std::int64_t &y, unsigned &m, unsigned &d);

} // namespace tessary
