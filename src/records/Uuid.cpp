#include "Uuid.h"

#include <QUuid>

namespace tessary {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::string_view kNilText = "00000000-0000-0000-0000-000000000000";

Uuid fromQUuid(const QUuid &u)
{
    // The canonical (RFC 4122) byte order, which is also the order of the text.
    std::array<std::uint8_t, 16> b;
    for (int i = 0; i < 4; ++i)
        b[size_t(i)] = std::uint8_t(u.data1 >> (24 - 8 * i));
    b[4] = std::uint8_t(u.data2 >> 8);
    b[5] = std::uint8_t(u.data2);
    b[6] = std::uint8_t(u.data3 >> 8);
    b[7] = std::uint8_t(u.data3);
    for (size_t i = 0; i < 8; ++i)
        b[8 + i] = u.data4[i];
    return Uuid(b);
}
} // namespace

Uuid Uuid::createRandom() { return fromQUuid(QUuid::createUuid()); }

std::optional<Uuid> Uuid::parse(std::string_view s)
{
    // QUuid also takes braces; the document holds the bare 36-character form only.
    if (s.size() != 36 || s.front() == '{')
        return std::nullopt;
    const QUuid u = QUuid::fromString(QLatin1StringView(s.data(), qsizetype(s.size())));
    // A nil result is either the nil text or a refusal.
    if (u.isNull() && s != kNilText)
        return std::nullopt;
    return fromQUuid(u);
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
