#include "Timestamp.h"

namespace tessary {

// Howard Hinnant's civil-date algorithms: exact for the whole int64 day range we use.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = std::int64_t(yoe) + era * 400 + (m <= 2);
}

namespace {

inline void put2(char *p, unsigned v)
{
    p[0] = char('0' + v / 10);
    p[1] = char('0' + v % 10);
}

inline bool digits(std::string_view s, size_t pos, size_t count, unsigned &value)
{
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + unsigned(c - '0');
    }
    return true;
}

bool isLeap(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(std::int64_t y, unsigned m)
{
    static constexpr unsigned table[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : table[m - 1];
}

} // namespace

void Timestamp::appendIso8601(std::string &out) const
{
    const std::int64_t secs = floorDiv(m_ms, 1000);
    const std::int64_t days = floorDiv(secs, 86400);
    const auto sod = unsigned(secs - days * 86400);
    // Events of one round share their day: remember the last conversion.
    thread_local std::int64_t cachedDays = INT64_MIN;
    thread_local std::int64_t cachedY = 0;
    thread_local unsigned cachedMo = 0, cachedD = 0;
    if (days != cachedDays) {
        civilFromDays(days, cachedY, cachedMo, cachedD);
        cachedDays = days;
    }
    const std::int64_t y = cachedY;
    const unsigned mo = cachedMo, d = cachedD;
    if (y < 0 || y > 9999) {
        // Outside the four-digit years the text form cannot hold; clamp rather than
        // write something no reader accepts.
        (y < 0 ? Timestamp::fromSecsSinceEpoch(-62167219200) : Timestamp::fromSecsSinceEpoch(253402300799))
            .appendIso8601(out);
        return;
    }
    char buf[20];
    const auto yy = unsigned(y);
    put2(buf, yy / 100);
    put2(buf + 2, yy % 100);
    buf[4] = '-';
    put2(buf + 5, mo);
    buf[7] = '-';
    put2(buf + 8, d);
    buf[10] = 'T';
    put2(buf + 11, sod / 3600);
    buf[13] = ':';
    put2(buf + 14, sod / 60 % 60);
    buf[16] = ':';
    put2(buf + 17, sod % 60);
    buf[19] = 'Z';
    out.append(buf, 20);
}

std::string Timestamp::toIso8601() const
{
    std::string s;
    appendIso8601(s);
    return s;
}

std::optional<Timestamp> Timestamp::parseIso8601(std::string_view s)
{
    // YYYY-MM-DDTHH:MM:SS then Z or ±HH:MM
    if (s.size() != 20 && s.size() != 25)
        return std::nullopt;
    unsigned y, mo, d, h, mi, se;
    if (!digits(s, 0, 4, y) || s[4] != '-' || !digits(s, 5, 2, mo) || s[7] != '-' || !digits(s, 8, 2, d)
        || s[10] != 'T' || !digits(s, 11, 2, h) || s[13] != ':' || !digits(s, 14, 2, mi) || s[16] != ':'
        || !digits(s, 17, 2, se))
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 || se > 59)
        return std::nullopt;
    std::int64_t offsetSecs = 0;
    if (s.size() == 20) {
        if (s[19] != 'Z')
            return std::nullopt;
    } else {
        unsigned oh, om;
        const char sign = s[19];
        if ((sign != '+' && sign != '-') || !digits(s, 20, 2, oh) || s[22] != ':' || !digits(s, 23, 2, om)
            || oh > 23 || om > 59)
            return std::nullopt;
        offsetSecs = std::int64_t(oh * 3600 + om * 60) * (sign == '-' ? -1 : 1);
    }
    const std::int64_t days = daysFromCivil(y, mo, d);
    const std::int64_t secs = days * 86400 + h * 3600 + mi * 60 + se - offsetSecs;
    return Timestamp::fromSecsSinceEpoch(secs);
}

} // namespace tessary
