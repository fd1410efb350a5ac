#include "JsonWriter.h"

#include <charconv>
#include <cmath>

namespace tessary {

void JsonWriter::newline()
{
    // One append per line: the line break and up to 32 levels of indentation.
    static constexpr std::string_view kIndent =
        "\n                                                                ";
    const size_t width = 1 + size_t(m_depth) * 2;
    if (width <= kIndent.size()) {
        m_out.append(kIndent.data(), width);
    } else {
        m_out.push_back('\n');
        m_out.append(width - 1, ' ');
    }
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_depth > 0) {
        if (!m_first)
            m_out.push_back(',');
        newline();
    }
    m_first = false;
}

void JsonWriter::open(char bracket)
{
    beforeValue();
    m_out.push_back(bracket);
    ++m_depth;
    m_first = true;
}

void JsonWriter::close(char bracket)
{
    --m_depth;
    if (!m_first)
        newline();
    m_out.push_back(bracket);
    m_first = false;
}

void JsonWriter::key(std::string_view plainName)
{
    beforeValue();
    m_out.push_back('"');
    m_out.append(plainName);
    m_out.append("\": ", 3);
    m_afterKey = true;
}

void JsonWriter::escapedKey(std::string_view name)
{
    beforeValue();
    appendEscaped(name);
    m_out.append(": ", 2);
    m_afterKey = true;
}

void JsonWriter::value(std::string_view utf8)
{
    beforeValue();
    appendEscaped(utf8);
}

void JsonWriter::value(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    value(std::string_view(utf8.constData(), size_t(utf8.size())));
}

void JsonWriter::value(std::int64_t number)
{
    beforeValue();
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, number);
    m_out.append(buf, res.ptr);
}

void JsonWriter::value(bool flag)
{
    beforeValue();
    m_out.append(flag ? "true" : "false");
}

bool JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return false;
    beforeValue();
    char buf[32];
    // Shortest text that reads back as the same double: 0.7 stays "0.7".
    const auto res = std::to_chars(buf, buf + sizeof buf, number);
    m_out.append(buf, res.ptr);
    return true;
}

void JsonWriter::rawString(std::string_view ascii)
{
    beforeValue();
    m_out.push_back('"');
    m_out.append(ascii);
    m_out.push_back('"');
}

void JsonWriter::appendEscaped(std::string_view s)
{
    static constexpr char kHex[] = "0123456789abcdef";
    m_out.push_back('"');
    size_t runStart = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_out.append(s.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"': m_out.append("\\\""); break;
        case '\\': m_out.append("\\\\"); break;
        case '\n': m_out.append("\\n"); break;
        case '\r': m_out.append("\\r"); break;
        case '\t': m_out.append("\\t"); break;
        case '\b': m_out.append("\\b"); break;
        case '\f': m_out.append("\\f"); break;
        default: {
            const char esc[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
            m_out.append(esc, 6);
        }
        }
    }
    m_out.append(s.data() + runStart, s.size() - runStart);
    m_out.push_back('"');
}

} // namespace tessary
