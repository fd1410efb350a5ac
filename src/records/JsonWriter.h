#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

// A small pretty-printing JSON writer that appends straight into a string.
// Callers write object members in the order they want them on disk (sorted).
// Two-space indentation, one member or element per line, "key": value.
class JsonWriter {
public:
    explicit JsonWriter(std::string &out) : m_out(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // A member name known to need no escaping (our own field names).
    void key(std::string_view plainName);
    // A member name from data, escaped as needed.
    void escapedKey(std::string_view name);

    void value(std::string_view utf8);
    void value(const QString &text);
    void value(std::int64_t number);
    void value(bool flag);
    // False for NaN and infinities, which JSON cannot hold; nothing is written then.
    bool value(double number);
    // Pre-formatted text that needs no escaping (UUIDs, timestamps).
    void rawString(std::string_view ascii);

private:
    void open(char bracket);
    void close(char bracket);
    void beforeValue();
    void newline();
    void appendEscaped(std::string_view utf8);

    std::string &m_out;
    int m_depth = 0;
    bool m_first = true;   // no element written yet at this level
    bool m_afterKey = false;
};

} // namespace tessary
