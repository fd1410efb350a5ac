#include "JsonReader.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

namespace tessary {

namespace {
// Deeper nesting than this in a skipped value is refused rather than followed.
constexpr size_t kMaxSkipDepth = 1000;

inline bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(char(cp));
    } else if (cp < 0x800) {
        out.push_back(char(0xC0 | (cp >> 6)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(char(0xE0 | (cp >> 12)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (cp >> 18)));
        out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(char(0x80 | (cp & 0x3F)));
    }
}
} // namespace

void JsonReader::skipSpace()
{
    while (m_p < m_end && isSpace(*m_p))
        ++m_p;
}

JsonReader::Type JsonReader::peek()
{
    skipSpace();
    if (m_failed || m_p == m_end)
        return Type::invalid;
    switch (*m_p) {
    case '{': return Type::object;
    case '[': return Type::array;
    case '"': return Type::string;
    case 't':
    case 'f': return Type::boolean;
    case 'n': return Type::null;
    default: return (*m_p == '-' || isDigit(*m_p)) ? Type::number : Type::invalid;
    }
}

bool JsonReader::beginObject()
{
    skipSpace();
    if (m_p == m_end || *m_p != '{')
        return fail();
    ++m_p;
    m_firstInContainer = true;
    return true;
}

bool JsonReader::nextMember(std::string_view &key)
{
    if (m_failed)
        return false;
    skipSpace();
    if (m_p == m_end)
        return fail();
    if (*m_p == '}') {
        ++m_p;
        m_firstInContainer = false;
        return false;
    }
    if (!m_firstInContainer) {
        if (*m_p != ',')
            return fail();
        ++m_p;
        skipSpace();
    }
    m_firstInContainer = false;
    if (m_p == m_end || *m_p != '"')
        return fail();
    // Keys go to their own buffer so a key stays valid while its value is read.
    if (!readString(key, m_keyScratch))
        return false;
    skipSpace();
    if (m_p == m_end || *m_p != ':')
        return fail();
    ++m_p;
    return true;
}

bool JsonReader::beginArray()
{
    skipSpace();
    if (m_p == m_end || *m_p != '[')
        return fail();
    ++m_p;
    m_firstInContainer = true;
    return true;
}

bool JsonReader::nextElement()
{
    if (m_failed)
        return false;
    skipSpace();
    if (m_p == m_end)
        return fail();
    if (*m_p == ']') {
        ++m_p;
        m_firstInContainer = false;
        return false;
    }
    if (!m_firstInContainer) {
        if (*m_p != ',')
            return fail();
        ++m_p;
    }
    m_firstInContainer = false;
    return true;
}

bool JsonReader::readString(std::string_view &out, std::string &scratch)
{
    skipSpace();
    if (m_failed || m_p == m_end || *m_p != '"')
        return fail();
    ++m_p;
    return parseStringBody(out, scratch);
}

bool JsonReader::parseStringBody(std::string_view &out, std::string &scratch)
{
    const char *start = m_p;
    // Fast path: no escapes.
    while (m_p < m_end) {
        const auto c = static_cast<unsigned char>(*m_p);
        if (c == '"') {
            out = std::string_view(start, size_t(m_p - start));
            ++m_p;
            return true;
        }
        if (c == '\\')
            break;
        if (c < 0x20)
            return fail(); // raw control characters are not allowed in strings
        ++m_p;
    }
    if (m_p == m_end)
        return fail();

    scratch.assign(start, size_t(m_p - start));
    while (m_p < m_end) {
        const auto c = static_cast<unsigned char>(*m_p);
        if (c == '"') {
            ++m_p;
            out = scratch;
            return true;
        }
        if (c < 0x20)
            return fail();
        if (c != '\\') {
            scratch.push_back(char(c));
            ++m_p;
            continue;
        }
        if (++m_p == m_end)
            return fail();
        switch (*m_p++) {
        case '"': scratch.push_back('"'); break;
        case '\\': scratch.push_back('\\'); break;
        case '/': scratch.push_back('/'); break;
        case 'b': scratch.push_back('\b'); break;
        case 'f': scratch.push_back('\f'); break;
        case 'n': scratch.push_back('\n'); break;
        case 'r': scratch.push_back('\r'); break;
        case 't': scratch.push_back('\t'); break;
        case 'u': {
            auto hex4 = [&](char32_t &v) {
                if (m_end - m_p < 4)
                    return false;
                v = 0;
                for (int i = 0; i < 4; ++i) {
                    const int h = hexValue(m_p[i]);
                    if (h < 0)
                        return false;
                    v = v << 4 | char32_t(h);
                }
                m_p += 4;
                return true;
            };
            char32_t cp;
            if (!hex4(cp))
                return fail();
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                // A high surrogate must be followed by an escaped low one.
                char32_t low;
                if (m_end - m_p < 2 || m_p[0] != '\\' || m_p[1] != 'u')
                    return fail();
                m_p += 2;
                if (!hex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return fail();
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                return fail(); // a lone low surrogate
            }
            appendUtf8(scratch, cp);
            break;
        }
        default:
            return fail();
        }
    }
    return fail();
}

bool JsonReader::scanNumber(const char *&start, bool &integral)
{
    skipSpace();
    start = m_p;
    integral = true;
    const char *p = m_p;
    if (p < m_end && *p == '-')
        ++p;
    if (p == m_end || !isDigit(*p))
        return fail();
    if (*p == '0') {
        ++p;
    } else {
        while (p < m_end && isDigit(*p))
            ++p;
    }
    if (p < m_end && *p == '.') {
        integral = false;
        ++p;
        if (p == m_end || !isDigit(*p))
            return fail();
        while (p < m_end && isDigit(*p))
            ++p;
    }
    if (p < m_end && (*p == 'e' || *p == 'E')) {
        integral = false;
        ++p;
        if (p < m_end && (*p == '+' || *p == '-'))
            ++p;
        if (p == m_end || !isDigit(*p))
            return fail();
        while (p < m_end && isDigit(*p))
            ++p;
    }
    m_p = p;
    return true;
}

bool JsonReader::readInt64(std::int64_t &out)
{
    const char *start;
    bool integral;
    if (m_failed || !scanNumber(start, integral))
        return fail();
    if (integral) {
        const auto res = std::from_chars(start, m_p, out);
        return res.ec == std::errc() && res.ptr == m_p ? true : fail(); // out of range fails
    }
    double d;
    const auto res = std::from_chars(start, m_p, d);
    if (res.ec != std::errc() || res.ptr != m_p)
        return fail();
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0) || std::trunc(d) != d)
        return fail();
    out = static_cast<std::int64_t>(d);
    return true;
}

bool JsonReader::readDouble(double &out)
{
    const char *start;
    bool integral;
    if (m_failed || !scanNumber(start, integral))
        return fail();
    const auto res = std::from_chars(start, m_p, out);
    // Out of range (1e400) is refused rather than read as infinity.
    return res.ec == std::errc() && res.ptr == m_p && std::isfinite(out) ? true : fail();
}

bool JsonReader::literal(std::string_view word)
{
    if (size_t(m_end - m_p) < word.size() || std::memcmp(m_p, word.data(), word.size()) != 0)
        return fail();
    m_p += word.size();
    return true;
}

bool JsonReader::readBool(bool &out)
{
    skipSpace();
    if (m_failed || m_p == m_end)
        return fail();
    if (*m_p == 't') {
        out = true;
        return literal("true");
    }
    out = false;
    return literal("false");
}

bool JsonReader::readNullIf()
{
    if (peek() != Type::null)
        return false;
    return literal("null");
}

bool JsonReader::skipValue()
{
    // Iterative, so a hostile nesting depth cannot exhaust the stack.
    std::vector<char> stack; // the closing bracket of each open container
    std::string_view ignored;
    std::string scratch;
    bool expectValue = true;
    for (;;) {
        if (expectValue) {
            switch (peek()) {
            case Type::object:
                ++m_p;
                skipSpace();
                if (m_p < m_end && *m_p == '}') {
                    ++m_p;
                    break;
                }
                if (stack.size() >= kMaxSkipDepth)
                    return fail();
                stack.push_back('}');
                if (!readString(ignored, scratch))
                    return false;
                skipSpace();
                if (m_p == m_end || *m_p++ != ':')
                    return fail();
                continue;
            case Type::array:
                ++m_p;
                skipSpace();
                if (m_p < m_end && *m_p == ']') {
                    ++m_p;
                    break;
                }
                if (stack.size() >= kMaxSkipDepth)
                    return fail();
                stack.push_back(']');
                continue;
            case Type::string:
                if (!readString(ignored, scratch))
                    return false;
                break;
            case Type::number: {
                const char *start;
                bool integral;
                if (!scanNumber(start, integral))
                    return false;
                break;
            }
            case Type::boolean: {
                bool b;
                if (!readBool(b))
                    return false;
                break;
            }
            case Type::null:
                if (!literal("null"))
                    return false;
                break;
            case Type::invalid:
                return fail();
            }
        }
        // A value is complete: close containers or move to the next entry.
        if (stack.empty())
            return true;
        skipSpace();
        if (m_p == m_end)
            return fail();
        if (*m_p == stack.back()) {
            ++m_p;
            stack.pop_back();
            expectValue = false;
            continue;
        }
        if (*m_p != ',')
            return fail();
        ++m_p;
        if (stack.back() == '}') {
            if (!readString(ignored, scratch))
                return false;
            skipSpace();
            if (m_p == m_end || *m_p++ != ':')
                return fail();
        }
        expectValue = true;
    }
}

bool JsonReader::atEnd()
{
    skipSpace();
    return !m_failed && m_p == m_end;
}

} // namespace tessary
