#include "odds_report.h"

#include "card_code.h"
#include "json_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <numeric>

namespace odds {
namespace {

// Columns for the nine paying rows, top of the table first, in the game's own
// words: here a Flush is a straight flush and a Suit is five of one suit.
constexpr std::array<const char*, kClassCount - 1> kShortNames = {
    "Royal", "Flush", "Caret", "Full H.", "Suit", "Straight", "3 kind", "2 pairs", "Jacks+"};
constexpr std::array<hands::HandClass, kClassCount> kRowsTopDown = {
    hands::HandClass::RoyalFlush,    hands::HandClass::StraightFlush,
    hands::HandClass::FourOfAKind,   hands::HandClass::FullHouse,
    hands::HandClass::Flush,         hands::HandClass::Straight,
    hands::HandClass::ThreeOfAKind,  hands::HandClass::TwoPair,
    hands::HandClass::JacksOrBetter, hands::HandClass::Nothing};
static_assert(std::equal(kPayOrder.begin(), kPayOrder.end(), kRowsTopDown.begin()));

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

std::string HeldText(const std::array<int, 5>& dealt, unsigned hold)
{
    std::string out;
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            out += ' ';
        out += (hold & (1u << i)) ? cards::CardNotation(dealt[static_cast<std::size_t>(i)]) : "--";
    }
    return out;
}

void CardList(JsonWriter& json, const std::array<int, 5>& dealt, unsigned hold, bool held)
{
    json.beginArray();
    for (int i = 0; i < 5; ++i)
        if (((hold >> i) & 1u) == (held ? 1u : 0u))
            json.value(cards::CardNotation(dealt[static_cast<std::size_t>(i)]));
    json.endArray();
}

std::string RowText(hands::HandClass row)
{
    return std::string(odds::RowName(row));
}

std::string FormatPaysLine(const PayVector& pays)
{
    return FormatPays(pays) + (pays == GamePays() ? " (the game's table)" : "");
}

} // namespace

std::array<unsigned, kHoldCount> RankHolds(const HoldTable& table, const PayVector& pays)
{
    std::array<unsigned, kHoldCount> order{};
    std::array<std::int64_t, kHoldCount> value{};
    std::iota(order.begin(), order.end(), 0u);
    for (unsigned h = 0; h < kHoldCount; ++h)
        value[h] = ScaledReturn(table[h], h, pays);
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

std::string HandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                       const PayVector& pays, bool json)
{
    const auto order = RankHolds(table, pays);
    const auto paidOf = [&](unsigned h) {
        std::int64_t paid = 0;
        for (int c = 0; c < kClassCount; ++c)
            paid += table[h][c] * pays[c];
        return paid;
    };

    if (json) {
        JsonWriter w;
        w.beginObject();
        w.key("hand").value(cards::FormatCards(cards::CardString(dealt.begin(), dealt.end())));
        w.key("pays").value(FormatPays(pays));
        w.key("holds").beginArray();
        for (const unsigned h : order) {
            const std::int64_t draws = DrawsFor(h);
            w.beginObject();
            w.key("mask").value(static_cast<int>(h));
            w.key("held");
            CardList(w, dealt, h, true);
            w.key("discarded");
            CardList(w, dealt, h, false);
            w.key("return").raw(FormatFraction(paidOf(h), draws, 12));
            w.key("paid").value(paidOf(h));
            w.key("draws").value(draws);
            w.key("rows").beginArray();
            for (const hands::HandClass row : kRowsTopDown) {
                const int c = static_cast<int>(row);
                w.beginObject();
                w.key("name").value(RowText(row));
                w.key("pays").value(pays[c]);
                w.key("count").value(static_cast<std::int64_t>(table[h][c]));
                w.key("probability")
                    .value(static_cast<double>(table[h][c]) / static_cast<double>(draws));
                w.endObject();
            }
            w.endArray();
            w.endObject();
        }
        w.endArray();
        w.endObject();
        return w.text() + '\n';
    }

    std::string out;
    out += "Hand   " + cards::FormatCards(cards::CardString(dealt.begin(), dealt.end())) + "\n";
    out += "Pays   " + FormatPaysLine(pays) + "\n";
    const unsigned best = order[0];
    out += "Best   hold " + HeldText(dealt, best) + ", return " +
           FormatFraction(paidOf(best), DrawsFor(best), 10) + " per unit bet\n\n";
    out += "  #  Hold            Return    ";
    for (const char* name : kShortNames)
        out += Format("%9s", name);
    out += "\n";
    for (std::size_t i = 0; i < order.size(); ++i) {
        const unsigned h = order[i];
        out += Format("%3zu  %s  %-10s", i + 1, HeldText(dealt, h).c_str(),
                      FormatFraction(paidOf(h), DrawsFor(h), 6).c_str());
        for (std::size_t k = 0; k < kPayOrder.size(); ++k) {
            const int c = static_cast<int>(kPayOrder[k]);
            out += Format("%9.6f",
                          static_cast<double>(table[h][c]) / static_cast<double>(DrawsFor(h)));
        }
        out += "\n";
    }
    out += "\nReturn per unit bet, exact; then the chance of each row after the draw.\n";
    return out;
}

std::string ReturnReport(const ReturnTotals& totals, int threads, double seconds, bool json)
{
    const std::string exact = FormatFraction(totals.paid, ReturnTotals::Denominator(), 10);
    if (json) {
        JsonWriter w;
        w.beginObject();
        w.key("pays").value(FormatPays(totals.pays));
        w.key("return").raw(exact);
        w.key("deals").value(kDealCount);
        w.key("threads").value(threads);
        w.key("seconds").value(seconds);
        w.key("rows").beginArray();
        for (const hands::HandClass row : kRowsTopDown) {
            const int c = static_cast<int>(row);
            w.beginObject();
            w.key("name").value(RowText(row));
            w.key("pays").value(totals.pays[c]);
            w.key("dealt").value(totals.dealtProbability(c));
            w.key("probability")
                .raw(FormatFraction(totals.rows[c], ReturnTotals::Denominator(), 15));
            w.key("contribution")
                .value(totals.rowProbability(c) * static_cast<double>(totals.pays[c]));
            w.endObject();
        }
        w.endArray();
        w.endObject();
        return w.text() + '\n';
    }

    std::string out;
    out += "Pays     " + FormatPaysLine(totals.pays) + "\n";
    out += "Return   " + exact + "  per unit bet, best hold on every one of the " +
           std::to_string(kDealCount) + " deals\n\n";
    out += Format("%-31s %7s  %-14s  %-14s  %s\n", "Row", "Pays", "Dealt", "After the draw",
                  "Share of return");
    for (const hands::HandClass row : kRowsTopDown) {
        const int c = static_cast<int>(row);
        out += Format("%-31s %7lld  %.12f  %s  %.10f\n", RowText(row).c_str(),
                      static_cast<long long>(totals.pays[c]), totals.dealtProbability(c),
                      FormatFraction(totals.rows[c], ReturnTotals::Denominator(), 12).c_str(),
                      totals.rowProbability(c) * static_cast<double>(totals.pays[c]));
    }
    out +=
        Format("\nComputed in %.3f s on %d thread%s.\n", seconds, threads, threads == 1 ? "" : "s");
    return out;
}

std::string SimulationReport(const SimulationTotals& seen, const ReturnTotals& exact,
                             const SimulationRun& run, bool json)
{
    const std::uint64_t n = seen.hands;
    const double mean = exact.returnValue();
    const double standardError = exact.payoutDeviation() / std::sqrt(static_cast<double>(n));
    const double observed = seen.returnValue();
    const double z = standardError > 0 ? (observed - mean) / standardError : 0.0;
    const auto share = [n](std::uint64_t count) {
        return static_cast<double>(count) / static_cast<double>(n);
    };

    if (json) {
        JsonWriter w;
        w.beginObject();
        w.key("hands").value(n);
        w.key("seed").value(run.options.seed);
        w.key("threads").value(run.threads);
        w.key("seconds").value(run.seconds);
        w.key("pays").value(FormatPays(exact.pays));
        w.key("return").beginObject();
        w.key("observed").value(observed);
        w.key("paid").value(seen.paid);
        w.key("exact").raw(FormatFraction(exact.paid, ReturnTotals::Denominator(), 10));
        w.key("standard_error").value(standardError);
        w.key("z").value(z);
        w.endObject();
        w.key("rows").beginArray();
        for (const hands::HandClass row : kRowsTopDown) {
            const int c = static_cast<int>(row);
            w.beginObject();
            w.key("name").value(RowText(row));
            w.key("pays").value(exact.pays[c]);
            w.key("dealt").beginObject();
            w.key("count").value(seen.dealt[c]);
            w.key("observed").value(share(seen.dealt[c]));
            w.key("exact").value(exact.dealtProbability(c));
            w.key("z").value(StandardScore(seen.dealt[c], n, exact.dealtProbability(c)));
            w.endObject();
            w.key("made").beginObject();
            w.key("count").value(seen.made[c]);
            w.key("observed").value(share(seen.made[c]));
            w.key("exact").value(exact.rowProbability(c));
            w.key("z").value(StandardScore(seen.made[c], n, exact.rowProbability(c)));
            w.endObject();
            w.endObject();
        }
        w.endArray();
        w.endObject();
        return w.text() + '\n';
    }

    std::string out;
    out += Format("Hands    %llu through NewDeck, ShuffleDeck and the top of the deck, best "
                  "hold each time\n",
                  static_cast<unsigned long long>(n));
    out += Format("Seed     %llu   (%d thread%s, %.2f s)\n",
                  static_cast<unsigned long long>(run.options.seed), run.threads,
                  run.threads == 1 ? "" : "s", run.seconds);
    out += "Pays     " + FormatPaysLine(exact.pays) + "\n";
    out += Format("Return   %.10f observed, %s exact on a fair deck: %+.2f standard errors\n\n",
                  observed, FormatFraction(exact.paid, ReturnTotals::Denominator(), 10).c_str(), z);
    out += Format("%-31s %12s %12s %7s   %12s %12s %7s\n", "Row", "Dealt seen", "fair deck", "z",
                  "Made seen", "fair deck", "z");
    for (const hands::HandClass row : kRowsTopDown) {
        const int c = static_cast<int>(row);
        out += Format("%-31s %12.8f %12.8f %+7.2f   %12.8f %12.8f %+7.2f\n", RowText(row).c_str(),
                      share(seen.dealt[c]), exact.dealtProbability(c),
                      StandardScore(seen.dealt[c], n, exact.dealtProbability(c)),
                      share(seen.made[c]), exact.rowProbability(c),
                      StandardScore(seen.made[c], n, exact.rowProbability(c)));
    }
    out += "\nz: how many standard errors the count lies from a fair deck's expectation.\n";
    return out;
}

} // namespace odds
