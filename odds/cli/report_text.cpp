#include "report_text.h"

#include "odds_report.h"

#include "card_code.h"
#include "hold.h"
#include "json_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numeric>

namespace odds::report_detail {

std::string Format(const char* format, ...)
{
    // Measured first, so that no text is ever cut short.
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, again);
    va_end(again);
    out.pop_back();
    return out;
}

std::string RowText(const Family& family, int row)
{
    return std::string(family.rowName(row));
}

// value to the given decimals, with thousands separators in the whole part.
std::string GroupedDecimal(double value, int decimals)
{
    const std::string plain = Format("%.*f", decimals, value);
    const std::size_t point = std::min(plain.find('.'), plain.size());
    std::string out;
    for (std::size_t i = 0; i < point; ++i) {
        if (i > 0 && (point - i) % 3 == 0)
            out += ',';
        out += plain[i];
    }
    return out + plain.substr(point);
}

// The dealt cards with "--" in the places given up.
std::string HeldText(const std::array<int, 5>& dealt, unsigned hold)
{
    std::string out;
    for (std::size_t i = 0; i < 5; ++i) {
        if (i > 0)
            out += ' ';
        out += Hold(hold).keeps(static_cast<int>(i)) ? CardText(dealt[i]) : "--";
    }
    return out;
}

std::string FaceDownText(unsigned hold)
{
    std::string out;
    for (const int place : Hold(hold).faceDown()) {
        if (!out.empty())
            out += ' ';
        out += static_cast<char>('0' + place);
    }
    return out.empty() ? "none" : out;
}

// The face-down places of a hold, and the cards there, as a sentence's end.
std::string FaceDownSentence(const std::array<int, 5>& dealt, unsigned hold)
{
    return hold == kAllHeld ? std::string("no card")
                            : (kHeldCount[hold] == 4 ? "card " : "cards ") + FaceDownText(hold) +
                                  " (" + CardsText(Hold(hold).thrown(dealt)) + ")";
}

void CardArray(JsonWriter& w, const std::array<int, 5>& dealt, unsigned hold, bool held)
{
    w.beginArray();
    for (const int card : held ? Hold(hold).held(dealt) : Hold(hold).thrown(dealt))
        w.value(CardText(card));
    w.endArray();
}

// Every row object of every report starts alike.
// A hold in JSON: its mask, the cards kept and thrown away, and the places
// to turn face down.
void HoldCards(JsonWriter& w, const std::array<int, 5>& dealt, unsigned hold)
{
    w.key("mask").value(static_cast<int>(hold));
    w.key("held");
    CardArray(w, dealt, hold, true);
    w.key("discarded");
    CardArray(w, dealt, hold, false);
    w.key("face_down").beginArray();
    for (const int place : Hold(hold).faceDown())
        w.value(place);
    w.endArray();
}

JsonWriter& BeginRow(JsonWriter& w, const Family& family, int row, std::int64_t pays)
{
    w.beginObject();
    w.key("name").value(RowText(family, row));
    return w.key("pays").value(pays);
}

} // namespace odds::report_detail

namespace odds {

using namespace report_detail;

std::string WholeText(Wide value, bool grouped)
{
    const bool negative = value < 0;
    std::string digits;
    int count = 0;
    do {
        if (grouped && count > 0 && count % 3 == 0)
            digits.insert(digits.begin(), ',');
        const int digit = static_cast<int>(value % 10);
        digits.insert(digits.begin(), static_cast<char>('0' + (negative ? -digit : digit)));
        value /= 10;
        ++count;
    } while (value != 0);
    return negative ? '-' + digits : digits;
}

std::array<unsigned, kHoldCount> RankHolds(const HoldTable& table, const PayVector& pays,
                                           const Deck& deck)
{
    std::array<unsigned, kHoldCount> order{};
    std::array<std::int64_t, kHoldCount> value{};
    std::iota(order.begin(), order.end(), 0u);
    for (unsigned h = 0; h < kHoldCount; ++h)
        value[h] = ScaledReturn(table[h], h, pays, deck);
    std::sort(order.begin(), order.end(),
              [&](unsigned a, unsigned b) { return BetterHold(value[a], a, value[b], b); });
    return order;
}

double StandardScore(std::uint64_t count, std::uint64_t n, double p)
{
    const double expected = static_cast<double>(n) * p;
    const double spread = std::sqrt(static_cast<double>(n) * p * (1.0 - p));
    if (spread == 0)
        return static_cast<double>(count) == expected ? 0.0 : NAN;
    return (static_cast<double>(count) - expected) / spread;
}

} // namespace odds
