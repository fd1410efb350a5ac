#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

namespace tessary {

// A 128-bit identifier, made and read by QUuid. Written as the canonical 36-character
// hyphenated text in upper case (QUuid writes lower case); read from that form in either case,
// nothing else (no braces, no URN).
class Uuid {
public:
    constexpr Uuid() = default;
    explicit constexpr Uuid(const std::array<std::uint8_t, 16> &bytes) : m_bytes(bytes) {}

    // A fresh random (version 4) identifier from the system's random source.
    static Uuid createRandom();
    static std::optional<Uuid> parse(std::string_view text);
    static std::optional<Uuid> parse(const QString &text);

    const std::array<std::uint8_t, 16> &bytes() const { return m_bytes; }
    bool isNull() const;

    void appendText(std::string &out) const;
    std::string toStdString() const;
    QString toString() const;

    constexpr auto operator<=>(const Uuid &) const = default;

private:
    std::array<std::uint8_t, 16> m_bytes{};
};

} // namespace tessary

template <>
struct std::hash<tessary::Uuid> {
    size_t operator()(const tessary::Uuid &u) const noexcept
    {
        std::uint64_t a = 0, b = 0;
        for (int i = 0; i < 8; ++i) {
            a = (a << 8) | u.bytes()[i];
            b = (b << 8) | u.bytes()[i + 8];
        }
        return size_t(a ^ (b * 0x9E3779B97F4A7C15ull));
    }
};
