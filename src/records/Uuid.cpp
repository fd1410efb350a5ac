#include "Uuid.h"

#include <QRandomGenerator>

namespace tessary {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

inline bool isHyphenPosition(size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }
} // namespace

Uuid Uuid::createRandom()
{
    std::array<std::uint8_t, 16> b;
    std::array<quint32, 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    for (size_t i = 0; i < 16; ++i)
        b[i] = std::uint8_t(words[i / 4] >> (8 * (i % 4)));
    b[6] = std::uint8_t((b[6] & 0x0F) | 0x40); // version 4
    b[8] = std::uint8_t((b[8] & 0x3F) | 0x80); // RFC 4122 variant
    return Uuid(b);
}

std::optional<Uuid> Uuid::parse(std::string_view s)
{
    if (s.size() != 36)
        return std::nullopt;
    std::array<std::uint8_t, 16> b{};
    size_t n = 0;
    for (size_t i = 0; i < 36;) {
        if (isHyphenPosition(i)) {
            if (s[i] != '-')
                return std::nullopt;
            ++i;
            continue;
        }
        const int hi = hexValue(s[i]);
        const int lo = hexValue(s[i + 1]);
        if (hi < 0 || lo < 0 || isHyphenPosition(i + 1))
            return std::nullopt;
        b[n++] = std::uint8_t(hi << 4 | lo);
        i += 2;
    }
    return Uuid(b);
}

std::optional<Uuid> Uuid::parse(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return parse(std::string_view(utf8.constData(), size_t(utf8.size())));
}

bool Uuid::isNull() const
{
    for (auto v : m_bytes)
        if (v)
            return false;
    return true;
}

void Uuid::appendText(std::string &out) const
{
    char buf[36];
    size_t p = 0;
    for (size_t i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            buf[p++] = '-';
        buf[p++] = kHex[m_bytes[i] >> 4];
        buf[p++] = kHex[m_bytes[i] & 0xF];
    }
    out.append(buf, 36);
}

std::string Uuid::toStdString() const
{
    std::string s;
    appendText(s);
    return s;
}

QString Uuid::toString() const { return QString::fromLatin1(toStdString()); }

} // namespace tessary
