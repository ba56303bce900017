#include "pay_text.h"

#include "json_writer.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace odds {

std::optional<PayVector> ParsePays(std::string_view text, std::string& error, const Family& family)
{
    const std::size_t rows = family.payOrder.size();
    const std::string expected =
        "--pays takes exactly " + std::to_string(rows) + " multipliers" +
        (&family == &JacksFamily() ? std::string() : " for " + std::string(family.name));
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
        if (field >= rows) {
            error = expected + ", got more";
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
        pays[static_cast<std::size_t>(family.payOrder[field++])] = value;
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    if (field != rows) {
        error = expected + ", got " + std::to_string(field);
        return std::nullopt;
    }
    return pays;
}

std::string FormatPays(const PayVector& pays, const Family& family)
{
    std::string out;
    for (const int row : family.payOrder) {
        if (!out.empty())
            out += ',';
        out += std::to_string(pays[static_cast<std::size_t>(row)]);
    }
    return out;
}

std::string Quote(std::string_view text)
{
    std::string out = "'";
    for (const char c : text.substr(0, 40))
        out += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) ? '?'
                                                                                               : c;
    if (text.size() > 40)
        out += "...";
    return out + "'";
}

std::string FormatPaysLine(const PayVector& pays, const Family& family)
{
    if (&family != &JacksFamily())
        return FormatPays(pays, family) + " (" + std::string(family.name) + ")";
    return FormatPays(pays) + (pays == GamePays() ? " (the game's table)" : "");
}

std::string Wrapped(std::string head, const std::string& text)
{
    constexpr std::size_t kWidth = 80;
    const std::string indent(head.size(), ' ');
    std::string out;
    std::string line = std::move(head);
    std::size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!first && line.size() + 1 + word.size() > kWidth) {
            out += line + "\n";
            line = indent + word;
        } else {
            line += (first ? "" : " ") + word;
        }
        first = false;
        start = end + 1;
    }
    return out + line + "\n";
}

std::string RowLegend(const std::string& head, const Family& family)
{
    // Lines break between rows only: a row's words stay together.
    constexpr char kJoin = '\x1f';
    std::string text;
    for (const int row : family.payOrder) {
        if (!text.empty())
            text += ", ";
        for (const char c : family.legend[static_cast<std::size_t>(row)])
            text += c == ' ' ? kJoin : c;
    }
    std::string out = Wrapped(head, text);
    std::replace(out.begin(), out.end(), kJoin, ' ');
    return out;
}

std::string PaysOrderHelp()
{
    std::string out = "--pays lists the nine rows from the top of the table down:\n";
    out += RowLegend("  ");
    return out += "With --game or --table, the rows of that family instead (see quintara-odds\n"
                  "games).\n";
}

void WritePays(JsonWriter& w, const PayVector& pays, const Family& family)
{
    w.beginArray();
    for (const int row : family.payOrder)
        w.value(pays[static_cast<std::size_t>(row)]);
    w.endArray();
}

} // namespace odds
