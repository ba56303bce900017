#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace odds {

// Just enough JSON for the command's reports: commas and escapes are handled
// here so the report code reads like the document it writes.
class JsonWriter
{
  public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(std::uint64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(double number);
    JsonWriter& value(bool flag);
    // A number already written out, such as an exact decimal.
    JsonWriter& raw(std::string_view number);

    const std::string& text() const { return m_text; }

  private:
    void separate();
    std::string m_text;
    std::vector<bool> m_first; // per open container: nothing written in it yet
    bool m_afterKey = false;
};

} // namespace odds
