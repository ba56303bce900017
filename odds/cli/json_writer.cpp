#include "json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace odds {

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_text += ',';
        m_first.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject()
{
    separate();
    m_text += '{';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    m_text += '}';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    separate();
    m_text += '[';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    m_text += ']';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    value(name);
    m_text += ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    separate();
    m_text += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                m_text += buf;
            } else {
                m_text += c;
            }
        }
    }
    m_text += '"';
    return *this;
}

JsonWriter& JsonWriter::value(std::int64_t number)
{
    separate();
    m_text += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(std::uint64_t number)
{
    separate();
    m_text += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    separate();
    if (!std::isfinite(number)) {
        m_text += "null";
        return *this;
    }
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, number);
    m_text.append(buf, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    separate();
    m_text += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::raw(std::string_view number)
{
    separate();
    m_text += number;
    return *this;
}

} // namespace odds
