#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

// A strict pull reader over one JSON text held in memory. It builds no tree: the
// caller walks the document in the order it appears, which keeps a 20 MB archive's
// decoding free of large intermediate buffers. Every method returns false on the
// first syntax error and the reader stays failed. The input must be valid UTF-8
// (checked once up front by the caller); the reader checks everything else of
// RFC 8259, including escapes, surrogate pairs and the number grammar.
class JsonReader {
public:
    enum class Type { object, array, string, number, boolean, null, invalid };

    explicit JsonReader(std::string_view text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    Type peek();

    // Objects: beginObject(), then nextMember(key) until it returns false with ok().
    bool beginObject();
    bool nextMember(std::string_view &key);
    // Arrays: beginArray(), then nextElement() until it returns false with ok().
    bool beginArray();
    bool nextElement();

    // Returns a view into the input when the string has no escapes, else into `scratch`.
    bool readString(std::string_view &out, std::string &scratch);
    bool readString(std::string_view &out) { return readString(out, m_scratch); }
    // Integers within the signed 64-bit range, also when written with a fraction or
    // exponent that leaves a whole number (50.0, 5e1).
    bool readInt64(std::int64_t &out);
    bool readDouble(double &out);
    bool readBool(bool &out);
    // Consumes a null if one is next; false (and nothing consumed) otherwise.
    bool readNullIf();
    // Consumes any one value, checking its syntax.
    bool skipValue();
    // True when only white space is left.
    bool atEnd();

    bool ok() const { return !m_failed; }

private:
    bool fail()
    {
        m_failed = true;
        m_p = m_end;
        return false;
    }
    void skipSpace();
    bool scanNumber(const char *&start, bool &integral);
    bool parseStringBody(std::string_view &out, std::string &scratch);
    bool literal(std::string_view word);

    const char *m_p;
    const char *m_end;
    bool m_failed = false;
    bool m_firstInContainer = false;
    std::string m_scratch;
    std::string m_keyScratch;
};

} // namespace tessary
