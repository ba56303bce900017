#include "pay_text.h"

#include "json_writer.h"

#include "command_line.h"

#include <charconv>

namespace odds {

std::optional<PayVector> ParsePays(std::string_view text, std::string& error)
{
    PayVector pays{};
    std::size_t field = 0;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = text.find(',', pos);
        std::string_view item = text.substr(
            pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (field >= kPayOrder.size()) {
            error = "--pays takes exactly 9 multipliers, got more";
            return std::nullopt;
        }
        std::int64_t value = -1;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value < 0 ||
            value > kMaxPay) {
            error = "--pays: " + Quote(item) + " is not a whole number from 0 to " +
                    std::to_string(kMaxPay);
            return std::nullopt;
        }
        pays[static_cast<int>(kPayOrder[field++])] = value;
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    if (field != kPayOrder.size()) {
        error = "--pays takes exactly 9 multipliers, got " + std::to_string(field);
        return std::nullopt;
    }
    return pays;
}

std::string FormatPays(const PayVector& pays)
{
    std::string out;
    for (const hands::HandClass hand : kPayOrder) {
        if (!out.empty())
            out += ',';
        out += std::to_string(pays[static_cast<int>(hand)]);
    }
    return out;
}

std::string FormatPaysLine(const PayVector& pays)
{
    return FormatPays(pays) + (pays == GamePays() ? " (the game's table)" : "");
}

void WritePays(JsonWriter& w, const PayVector& pays)
{
    w.beginArray();
    for (const hands::HandClass row : kPayOrder)
        w.value(pays[static_cast<int>(row)]);
    w.endArray();
}

} // namespace odds
