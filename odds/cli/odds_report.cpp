#include "odds_report.h"
#include "pay_text.h"

#include "card_code.h"
#include "command_line.h"
#include "game_deal_links.h"
#include "json_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace odds {

namespace {

// Columns for the nine paying rows, top of the table first, in the game's own
// words: here a Flush is a straight flush and a Suit is five of one suit.
constexpr std::array<const char*, kClassCount - 1> kShortNames = {
    "Royal", "Flush", "Caret", "Full H.", "Suit", "Straight", "3 kind", "2 pairs", "Jacks+"};

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
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

std::string RowText(hands::HandClass row)
{
    return std::string(RowName(row));
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

std::string CardsOf(const std::array<int, 5>& dealt, unsigned hold, bool held)
{
    cards::CardString chosen;
    for (std::size_t i = 0; i < 5; ++i)
        if (((hold >> i) & 1u) == (held ? 1u : 0u))
            chosen.push_back(dealt[i]);
    return cards::FormatCards(chosen);
}

// The dealt cards with "--" in the places given up.
std::string HeldText(const std::array<int, 5>& dealt, unsigned hold)
{
    std::string out;
    for (std::size_t i = 0; i < 5; ++i) {
        if (i > 0)
            out += ' ';
        out += (hold & (1u << i)) ? cards::CardNotation(dealt[i]) : "--";
    }
    return out;
}

// The card places, numbered 1 to 5 as the hold buttons are, that the player
// turns face down to exchange them.
std::vector<int> FaceDownPlaces(unsigned hold)
{
    std::vector<int> places;
    for (int i = 0; i < 5; ++i)
        if (!(hold & (1u << i)))
            places.push_back(i + 1);
    return places;
}

std::string FaceDownText(unsigned hold)
{
    std::string out;
    for (const int place : FaceDownPlaces(hold)) {
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
                                  " (" + CardsOf(dealt, hold, false) + ")";
}

void CardArray(JsonWriter& w, const std::array<int, 5>& dealt, unsigned hold, bool held)
{
    w.beginArray();
    for (std::size_t i = 0; i < 5; ++i)
        if (((hold >> i) & 1u) == (held ? 1u : 0u))
            w.value(cards::CardNotation(dealt[i]));
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
    for (const int place : FaceDownPlaces(hold))
        w.value(place);
    w.endArray();
}

JsonWriter& BeginRow(JsonWriter& w, hands::HandClass row, std::int64_t pays)
{
    w.beginObject();
    w.key("name").value(RowText(row));
    return w.key("pays").value(pays);
}

} // namespace

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

HandReportData BuildHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                               const PayVector& pays)
{
    HandReportData report;
    report.dealt = dealt;
    report.hand = cards::FormatCards({dealt.begin(), dealt.end()});
    report.pays = pays;
    for (const unsigned h : RankHolds(table, pays)) {
        HandReportData::Hold hold;
        hold.mask = h;
        hold.draws = DrawsFor(h);
        hold.counts = table[h];
        for (int c = 0; c < kClassCount; ++c) {
            hold.paid += table[h][c] * pays[c];
            hold.probability[c] =
                static_cast<double>(table[h][c]) / static_cast<double>(hold.draws);
        }
        report.holds.push_back(hold);
    }
    return report;
}

// A chance in seven characters, six decimals: ".021277", or "1.00000".
std::string ChanceText(double chance)
{
    if (chance >= 1)
        return "1.00000";
    char text[16];
    std::snprintf(text, sizeof text, "%.6f", chance);
    return text + 1; // without the leading 0
}

std::string RenderJson(const HandReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("hand").value(report.hand);
    w.key("pays");
    WritePays(w, report.pays);
    w.key("holds").beginArray();
    for (const HandReportData::Hold& hold : report.holds) {
        w.beginObject();
        HoldCards(w, report.dealt, hold.mask);
        w.key("return").raw(FormatFraction(hold.paid, hold.draws, 12));
        w.key("paid").value(hold.paid);
        w.key("draws").value(hold.draws);
        w.key("rows").beginArray();
        for (const hands::HandClass row : kRowsTopDown) {
            const int c = static_cast<int>(row);
            BeginRow(w, row, report.pays[c]);
            w.key("count").value(static_cast<std::int64_t>(hold.counts[c]));
            w.key("probability").value(hold.probability[c]);
            w.endObject();
        }
        w.endArray();
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const HandReportData& report)
{
    const HandReportData::Hold& best = report.holds.front();
    std::string out;
    out += "Hand   " + report.hand + "\n";
    out += "Pays   " + FormatPaysLine(report.pays) + "\n";
    out += "Best   hold " + HeldText(report.dealt, best.mask) + ", return " +
           FormatFraction(best.paid, best.draws, 10) + " per unit bet\n";
    out += "       turn face down " + FaceDownSentence(report.dealt, best.mask) + "\n\n";
    // Two tables of the same 32 holds, so each fits 80 columns: what to do
    // and what it returns, then the chance of each row after the draw.
    out += "  #  Hold            Face down   Return\n";
    for (std::size_t i = 0; i < report.holds.size(); ++i) {
        const HandReportData::Hold& hold = report.holds[i];
        out += Format("%3zu  %s  %-10s  %s\n", i + 1, HeldText(report.dealt, hold.mask).c_str(),
                      FaceDownText(hold.mask).c_str(),
                      FormatFraction(hold.paid, hold.draws, 6).c_str());
    }
    // A column as wide as its name and a space, and at least a chance and one.
    const auto width = [](const char* name) {
        return std::max(8, static_cast<int>(std::strlen(name)) + 1);
    };
    out += "\n  # ";
    for (const char* name : kShortNames)
        out += Format("%*s", width(name), name);
    out += "\n";
    for (std::size_t i = 0; i < report.holds.size(); ++i) {
        out += Format("%3zu ", i + 1);
        for (std::size_t k = 0; k < kPayOrder.size(); ++k)
            out += Format(
                "%*s", width(kShortNames[k]),
                ChanceText(report.holds[i].probability[static_cast<int>(kPayOrder[k])]).c_str());
        out += "\n";
    }
    out += "\nReturn per unit bet, exact; below it, the chance of each row after the draw.\n"
           "Face down: the card places, 1 to 5 from the left, to turn face down for the\n"
           "draw.\n" +
           RowLegend("Rows: ");
    return out;
}

GameHandReportData BuildGameHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                                       const HoldValues& game, const DealModel& model,
                                       const PayVector& pays)
{
    GameHandReportData report;
    report.dealt = dealt;
    report.hand = cards::FormatCards({dealt.begin(), dealt.end()});
    report.pays = pays;
    report.model = model;
    std::array<int, kHoldCount> fairRank{};
    const std::array<unsigned, kHoldCount> fairOrder = RankHolds(table, pays);
    for (std::size_t i = 0; i < fairOrder.size(); ++i)
        fairRank[fairOrder[i]] = static_cast<int>(i) + 1;
    // The game's order: BestOf's rule, applied again to what is left.
    HoldValues left = game;
    for (int n = 0; n < kHoldCount; ++n) {
        const unsigned h = BestOf(left);
        left[h] = -1;
        GameHandReportData::Hold hold;
        hold.mask = h;
        hold.game = game[h];
        hold.draws = DrawsFor(h);
        for (int c = 0; c < kClassCount; ++c)
            hold.paid += table[h][c] * pays[c];
        hold.fairRank = fairRank[h];
        report.holds.push_back(hold);
    }
    return report;
}

std::string RenderJson(const GameHandReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("hand").value(report.hand);
    w.key("deal").value("game");
    w.key("pays");
    WritePays(w, report.pays);
    w.key("model").beginObject();
    w.key("links").beginArray();
    for (const double link : report.model.link)
        w.value(link);
    w.endArray();
    w.key("decks_measured").value(static_cast<std::uint64_t>(kMeasuredDecks));
    w.endObject();
    w.key("holds").beginArray();
    for (const GameHandReportData::Hold& hold : report.holds) {
        w.beginObject();
        HoldCards(w, report.dealt, hold.mask);
        w.key("game_return").value(hold.game);
        w.key("fair_return").raw(FormatFraction(hold.paid, hold.draws, 12));
        w.key("fair_rank").value(hold.fairRank);
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const GameHandReportData& report)
{
    const GameHandReportData::Hold& best = report.holds.front();
    std::string out;
    out += "Hand   " + report.hand + "   (as dealt: place 1 was the top card)\n";
    out += "Pays   " + FormatPaysLine(report.pays) + "\n";
    out += "Best   for the game's deal: hold " + HeldText(report.dealt, best.mask) +
           Format(", %.6f per unit bet\n       (fair deck: %s)\n", best.game,
                  FormatFraction(best.paid, best.draws, 6).c_str());
    out += "       turn face down " + FaceDownSentence(report.dealt, best.mask) + "\n";
    const auto fairBest =
        std::find_if(report.holds.begin(), report.holds.end(),
                     [](const GameHandReportData::Hold& h) { return h.fairRank == 1; });
    if (fairBest->mask != best.mask)
        out += "       for a fair deck the best is " + HeldText(report.dealt, fairBest->mask) +
               Format(", %.6f in the game's deal\n", fairBest->game);
    out += "\n  #  Hold            Face down   Game deal   Fair deck   Fair #\n";
    for (std::size_t i = 0; i < report.holds.size(); ++i) {
        const GameHandReportData::Hold& hold = report.holds[i];
        out += Format("%3zu  %s  %-10s  %9.6f   %-10s  %6d\n", i + 1,
                      HeldText(report.dealt, hold.mask).c_str(), FaceDownText(hold.mask).c_str(),
                      hold.game, FormatFraction(hold.paid, hold.draws, 6).c_str(), hold.fairRank);
    }
    const std::array<double, 5>& link = report.model.link;
    out += Format("\nGame deal: the value per unit bet in the game's own deal, exact under a run\n"
                  "model of its shuffle, which leaves the deck as runs of consecutive cards.\n"
                  "Each drawn card is the successor of the card before it (the next rank of\n"
                  "its suit, a King the next suit's Ace) with chance %.4f for the first\n"
                  "drawn card, up to %.4f for the fifth, where that card is still unseen;\n"
                  "otherwise it is uniform among the unseen cards. Card 5's run and one new\n"
                  "run are followed; cards after the new run are uniform. Chances measured\n"
                  "on %s of the game's shuffles. In simulation the model's best\n"
                  "holds beat the fair deck's: quintara-odds simulate --play game.\n",
                  link.front(), link.back(),
                  GroupedDecimal(static_cast<double>(kMeasuredDecks), 0).c_str());
    out += "Fair deck: exact for a uniformly shuffled deck. Fair #: its rank there.\n"
           "Face down: the card places, 1 to 5 from the left, to turn face down for the\n"
           "draw.\n";
    return out;
}

ReturnReportData BuildReturnReport(const ReturnTotals& totals, const std::vector<int>& plays,
                                   int threads, double seconds)
{
    ReturnReportData report;
    const Wide denominator = ReturnTotals::Denominator();
    report.pays = totals.pays;
    report.combinations = static_cast<std::int64_t>(denominator);
    report.paid = totals.paid;
    Wide a = totals.paid;
    Wide b = denominator;
    while (b != 0) {
        const Wide r = a % b;
        a = b;
        b = r;
    }
    report.numerator = totals.paid / a;
    report.denominator = denominator / a;
    report.returnText = FormatFraction(totals.paid, denominator, 10);
    report.variance = totals.variance();
    report.deviation = std::sqrt(std::max(0.0L, report.variance));
    Wide hits = 0;
    for (const hands::HandClass row : kRowsTopDown) {
        const int c = static_cast<int>(row);
        ReturnReportData::Row figures;
        figures.row = row;
        figures.pays = totals.pays[c];
        figures.combinations = static_cast<std::int64_t>(totals.rows[c]);
        figures.dealt = totals.dealtProbability(c);
        figures.probability = totals.rowProbability(c);
        figures.cycle = totals.rows[c] == 0 ? 0.0
                                            : static_cast<double>(denominator) /
                                                  static_cast<double>(totals.rows[c]);
        figures.share = figures.probability * static_cast<double>(figures.pays);
        report.rows.push_back(figures);
        if (totals.pays[c] > 0)
            hits += totals.rows[c];
    }
    report.hitFrequency = static_cast<double>(hits) / static_cast<double>(denominator);
    for (const int n : plays)
        report.plays.emplace_back(n, totals.playsDeviation(n));
    report.threads = threads;
    report.seconds = seconds;
    return report;
}

std::string RenderJson(const ReturnReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays);
    w.key("return").raw(report.returnText);
    w.key("return_fraction").beginObject();
    w.key("numerator").raw(WholeText(report.numerator));
    w.key("denominator").raw(WholeText(report.denominator));
    w.endObject();
    w.key("combinations").value(report.combinations);
    w.key("paid").raw(WholeText(report.paid));
    w.key("variance").value(static_cast<double>(report.variance));
    w.key("standard_deviation").value(static_cast<double>(report.deviation));
    w.key("hit_frequency").value(report.hitFrequency);
    w.key("deals").value(kDealCount);
    w.key("threads").value(report.threads);
    w.key("seconds").value(report.seconds);
    w.key("rows").beginArray();
    for (const ReturnReportData::Row& row : report.rows) {
        BeginRow(w, row.row, row.pays);
        w.key("combinations").value(row.combinations);
        w.key("dealt").value(row.dealt);
        w.key("probability").value(row.probability);
        w.key("cycle");
        if (row.cycle > 0)
            w.value(row.cycle);
        else
            w.raw("null");
        w.key("contribution").value(row.share);
        w.endObject();
    }
    w.endArray();
    w.key("plays").beginArray();
    for (const auto& [n, deviation] : report.plays) {
        w.beginObject();
        w.key("plays").value(n);
        w.key("standard_deviation").value(static_cast<double>(deviation));
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const ReturnReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays) + "\n";
    out += "Return   " + report.returnText + "  per unit bet, best hold on all " +
           std::to_string(kDealCount) + " deals\n";
    out += "         = " + WholeText(report.numerator) + "/" + WholeText(report.denominator) +
           " exactly\n";
    out += Format("Variance %.9Lf   standard deviation %.9Lf\n", report.variance, report.deviation);
    out += Format("Hits     %.9f of the hands pay (hit frequency)\n", report.hitFrequency);
    out += "Every deal weighted by " + WholeText(kReturnDenominator, true) + ": " +
           WholeText(report.combinations, true) + " combinations\n\n";
    // Two tables of the same rows, so each fits 80 columns.
    out += Format("%-29s %7s %22s %19s\n", "Row", "Pays", "Combinations", "Cycle");
    for (const ReturnReportData::Row& row : report.rows) {
        const std::string cycle =
            row.cycle > 0 ? "1 in " + GroupedDecimal(row.cycle, 2) : std::string("never");
        out += Format("%-29s %7lld %22s %19s\n", RowText(row.row).c_str(),
                      static_cast<long long>(row.pays), WholeText(row.combinations, true).c_str(),
                      cycle.c_str());
    }
    out +=
        Format("\n%-29s  %-14s  %-14s  %s\n", "Row", "Dealt", "After the draw", "Share of return");
    for (const ReturnReportData::Row& row : report.rows)
        out += Format("%-29s  %.12f  %.12f  %.10f\n", RowText(row.row).c_str(), row.dealt,
                      row.probability, row.share);
    if (!report.plays.empty()) {
        out += "\nStandard deviation per hand of N-play (the N hands share the held cards):\n";
        for (const auto& [n, deviation] : report.plays)
            out += Format("  %3d-play  %.2Lf\n", n, deviation);
    }
    out += "\n";
    out += RowLegend("Rows: ");
    out += Format("\nComputed in %.3f s on %d thread%s.\n", report.seconds, report.threads,
                  report.threads == 1 ? "" : "s");
    return out;
}

SimulationReportData BuildSimulationReport(const SimulationTotals& seen, const ReturnTotals& exact,
                                           const SimulationRun& run)
{
    SimulationReportData report;
    report.run = run;
    report.hands = seen.hands;
    report.paid = seen.paid;
    report.pays = exact.pays;
    const std::uint64_t n = seen.hands;
    const double mean = exact.returnValue();
    report.standardError = exact.payoutDeviation() / std::sqrt(static_cast<double>(n));
    report.observed = seen.returnValue();
    report.fairBestReturn = seen.fairReturn();
    report.gain = seen.gain();
    report.gainStandardError = seen.gainStandardError();
    report.z = report.standardError > 0 ? (report.observed - mean) / report.standardError : 0.0;
    report.exactText = FormatFraction(exact.paid, ReturnTotals::Denominator(), 10);
    const auto figure = [n](std::uint64_t count, double p) {
        return SimulationReportData::Figure{count,
                                            static_cast<double>(count) / static_cast<double>(n), p,
                                            StandardScore(count, n, p)};
    };
    for (const hands::HandClass row : kRowsTopDown) {
        const int c = static_cast<int>(row);
        report.rows.push_back({row, exact.pays[c], figure(seen.dealt[c], exact.dealtProbability(c)),
                               figure(seen.made[c], exact.rowProbability(c))});
    }
    return report;
}

std::string RenderJson(const SimulationReportData& report)
{
    const auto put = [](JsonWriter& w, const char* key,
                        const SimulationReportData::Figure& figure) {
        w.key(key).beginObject();
        w.key("count").value(figure.count);
        w.key("observed").value(figure.observed);
        w.key("exact").value(figure.exact);
        w.key("z").value(figure.z);
        w.endObject();
    };
    JsonWriter w;
    w.beginObject();
    w.key("hands").value(report.hands);
    w.key("stopped").value(report.hands < report.run.options.hands);
    w.key("seed").value(report.run.options.seed);
    w.key("threads").value(report.run.threads);
    w.key("seconds").value(report.run.seconds);
    w.key("pays");
    WritePays(w, report.pays);
    const bool game = report.run.options.play == SimulatedPlay::Game;
    w.key("play").value(game ? "game" : "fair");
    w.key("fair_best_return").value(report.fairBestReturn);
    w.key("gain").value(report.gain);
    w.key("gain_standard_error").value(report.gainStandardError);
    w.key("return").beginObject();
    w.key("observed").value(report.observed);
    w.key("paid").value(report.paid);
    w.key("exact").raw(report.exactText);
    w.key("standard_error").value(report.standardError);
    w.key("z").value(report.z);
    w.endObject();
    w.key("rows").beginArray();
    for (const SimulationReportData::Row& row : report.rows) {
        BeginRow(w, row.row, row.pays);
        put(w, "dealt", row.dealt);
        put(w, "made", row.made);
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const SimulationReportData& report)
{
    std::string out;
    const bool game = report.run.options.play == SimulatedPlay::Game;
    out += Format("Hands    %llu through the game's shuffle and the top of the deck,\n"
                  "         the best hold %s each time\n",
                  static_cast<unsigned long long>(report.hands),
                  game ? "for the game's deal" : "for a fair deck");
    if (report.hands < report.run.options.hands)
        out += Format("Stopped  by Ctrl+C after %llu of %llu hands: the figures are for those\n",
                      static_cast<unsigned long long>(report.hands),
                      static_cast<unsigned long long>(report.run.options.hands));
    out += Format("Seed     %llu   (%d thread%s, %.2f s)\n",
                  static_cast<unsigned long long>(report.run.options.seed), report.run.threads,
                  report.run.threads == 1 ? "" : "s", report.run.seconds);
    out += "Pays     " + FormatPaysLine(report.pays) + "\n";
    out += Format("Return   %.10f observed, %s exact on a fair deck:\n"
                  "         %+.2f standard errors\n",
                  report.observed, report.exactText.c_str(), report.z);
    if (game)
        out += Format("Gain     %+.10f +- %.10f (one standard error) over the fair\n"
                      "         deck's best hold on the same deals, which returned %.10f\n",
                      report.gain, report.gainStandardError, report.fairBestReturn);
    out += "\n";
    // Dealt and made after the draw in two tables, so each fits 80 columns.
    const auto table = [&](const char* seen, auto figure) {
        out += Format("%-31s %12s %12s %7s\n", "Row", seen, "fair deck", "z");
        for (const SimulationReportData::Row& row : report.rows) {
            const SimulationReportData::Figure& f = figure(row);
            out += Format("%-31s %12.8f %12.8f %+7.2f\n", RowText(row.row).c_str(), f.observed,
                          f.exact, f.z);
        }
    };
    table("Dealt seen", [](const SimulationReportData::Row& row) { return row.dealt; });
    out += "\n";
    table("Made seen", [](const SimulationReportData::Row& row) { return row.made; });
    out += "\nz: how many standard errors the count lies from a fair deck's expectation.\n";
    out += RowLegend("Rows: ");
    return out;
}

RuinReportData BuildRuinReport(const PayVector& pays, std::int64_t bankroll, std::int64_t bet,
                               std::int64_t hands, const RuinResult& result, double seconds)
{
    RuinReportData report;
    report.pays = pays;
    report.bankroll = bankroll;
    report.bet = bet;
    report.hands = hands;
    report.result = result;
    const std::int64_t spare = bankroll % bet;
    report.low = result.low * bet + spare;
    report.median = result.median * bet + spare;
    report.high = result.high * bet + spare;
    report.seconds = seconds;
    return report;
}

namespace {

// Money in JSON: a number, whole when it is whole dollars.
void Money(JsonWriter& w, const char* key, std::int64_t cents)
{
    w.key(key).raw(DollarText(cents));
}

// The hands of a run in JSON: null for ever.
void Hands(JsonWriter& w, std::int64_t hands)
{
    if (hands == 0)
        w.key("hands").raw("null");
    else
        w.key("hands").value(hands);
}

std::string Horizon(std::int64_t hands, int plays)
{
    const std::string of = plays == 1 ? "" : Format(" of %d-play", plays);
    return hands == 0 ? "for ever" + of : Format("%lld hands", static_cast<long long>(hands)) + of;
}

} // namespace

std::string RenderJson(const RuinReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays);
    Money(w, "bankroll", report.bankroll);
    Money(w, "bet", report.bet);
    Hands(w, report.forever() ? 0 : report.result.hands);
    w.key("plays").value(report.plays);
    if (report.forever()) {
        w.key("ever").value(true);
        w.key("ruin").value(report.ever.ruin);
        w.key("error_bound").value(report.ever.errorBound);
        w.key("certain").value(report.ever.certain);
        w.key("adjustment").value(report.ever.adjustment);
        w.key("hands_carried").value(report.ever.hands);
    } else {
        w.key("ruin").value(report.result.ruin);
        w.key("error_bound").value(report.result.errorBound);
        w.key("bankroll_after").beginObject();
        Money(w, "p05", report.low);
        Money(w, "median", report.median);
        Money(w, "p95", report.high);
        w.endObject();
        if (report.stopped())
            w.key("stopped").value(true);
    }
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RuinReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays) + "\n";
    out += "Start    $" + DollarText(report.bankroll) + " bankroll, $" + DollarText(report.bet) +
           " a hand, " + Horizon(report.forever() ? 0 : report.result.hands, report.plays) +
           ", best hold each time" + (report.stopped() ? " (stopped)" : "") + "\n";
    const std::string unable = "(unable to bet $" + DollarText(report.bet * report.plays) + ")";
    if (report.forever()) {
        out += Wrapped("Ruin     ", Format("%.10f", report.ever.ruin) +
                                        (report.ever.ruin > 0 && report.ever.ruin < 1e-4
                                             ? Format(" (%.3e)", report.ever.ruin)
                                             : std::string()) +
                                        "  chance of ever going broke " + unable);
        if (report.ever.certain)
            out += Format("         certain: the table returns %.10f per unit bet, no more than "
                          "1,\n         so the bankroll comes down to nothing in the end\n",
                          report.returnValue);
        else if (report.ever.hands == 0)
            out += Format("         the table returns %.10f per unit bet; with R = %.10f,\n"
                          "         where E[exp(-R net)] = 1, ruin from y bets is exp(-R y)\n"
                          "         exactly, as a hand loses one bet at most\n",
                          report.returnValue, report.ever.adjustment);
        else
            out += Format("         the table returns %.10f per unit bet; carried %lld hands,\n"
                          "         until the levels still live could add at most %.0e: with\n"
                          "         R = %.10f, where E[exp(-R net)] = 1, ruin from y bets is\n"
                          "         at most exp(-R (y - %d))\n",
                          report.returnValue, static_cast<long long>(report.ever.hands),
                          kEverTolerance, report.ever.adjustment, report.plays - 1);
        out += Format("\nThe ruin figure is exact to within %.1e; computed in %.2f s.\n",
                      std::max(report.ever.errorBound, 1e-15), report.seconds);
        return out;
    }
    out += Wrapped("Ruin     ", Format("%.10f  chance of going broke ", report.result.ruin) +
                                    unable + " within the hands");
    out += "After    $" + DollarText(report.low) + " at the 5% point, $" +
           DollarText(report.median) + " median, $" + DollarText(report.high) +
           " at the 95% point\n";
    out += Format("\nThe ruin figure is exact to within %.1e; computed in %.2f s.\n",
                  std::max(report.result.errorBound, 1e-15), report.seconds);
    return out;
}

std::string RenderJson(const RiskReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays);
    Money(w, "bet", report.bet);
    Hands(w, report.hands);
    w.key("plays").value(report.plays);
    w.key("risk").value(report.risk);
    if (report.units > 0) {
        w.key("bankroll_bets").value(report.units);
        Money(w, "bankroll", report.units * report.bet);
        w.key("ruin").value(report.ruin);
        w.key("error_bound").value(report.errorBound);
        if (report.ruinBelow >= 0)
            w.key("ruin_one_bet_less").value(report.ruinBelow);
    } else {
        w.key("bankroll_bets").raw("null");
        w.key("certain").value(report.certain);
        w.key("max_bets").value(report.maxUnits);
    }
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RiskReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays) + "\n";
    out += "Start    $" + DollarText(report.bet) + " a hand, " +
           Horizon(report.hands, report.plays) + ", best hold each time\n";
    const std::string within = report.hands == 0 ? "ever" : "within the hands";
    out += Format("Risk     at most %g of going broke ", report.risk) + within + "\n";
    if (report.units > 0) {
        std::string bankroll = Format("%lld bets ($", static_cast<long long>(report.units)) +
                               DollarText(report.units * report.bet) +
                               Format(") at least: ruin %.10f", report.ruin);
        if (report.ruinBelow >= 0)
            bankroll += Format(", one bet less %.10f", report.ruinBelow);
        out += Wrapped("Bankroll ", bankroll);
        out += Format("\nThe ruin figures are exact to within %.1e; computed in %.2f s.\n",
                      std::max(report.errorBound, 1e-15), report.seconds);
    } else if (report.certain) {
        out += Format("Bankroll none will do: the table returns %.10f per unit bet,\n"
                      "         no more than 1, so ruin for ever is certain\n",
                      report.returnValue);
    } else {
        out += Format("Bankroll more than %lld bets, the most this command tries\n",
                      static_cast<long long>(report.maxUnits));
    }
    return out;
}

} // namespace odds

namespace odds {

std::string RenderJson(const RuinCurveReportData& report)
{
    JsonWriter w;
    w.beginObject();
    w.key("pays");
    WritePays(w, report.pays);
    Money(w, "bet", report.bet);
    Hands(w, report.hands);
    w.key("curve").beginArray();
    for (const RuinCurveReportData::Point& point : report.points) {
        w.beginObject();
        w.key("bankroll_bets").value(point.units);
        Money(w, "bankroll", point.units * report.bet);
        w.key("ruin").value(point.ruin);
        w.endObject();
    }
    w.endArray();
    w.key("error_bound").value(report.errorBound);
    w.key("seconds").value(report.seconds);
    w.endObject();
    return w.text() + '\n';
}

std::string RenderText(const RuinCurveReportData& report)
{
    std::string out;
    out += "Pays     " + FormatPaysLine(report.pays) + "\n";
    out += "Start    $" + DollarText(report.bet) + " a hand, " + Horizon(report.hands, 1) +
           ", best hold each time\n\n";
    out += "    Bets      Bankroll  Chance of going broke within the hands\n";
    for (const RuinCurveReportData::Point& point : report.points)
        out += Format("%8lld  %12s  %.10f\n", static_cast<long long>(point.units),
                      ("$" + DollarText(point.units * report.bet)).c_str(), point.ruin);
    out += Format("\nEvery figure is exact to within %.1e; all bankrolls from one pass in "
                  "%.2f s.\n",
                  std::max(report.errorBound, 1e-15), report.seconds);
    return out;
}

} // namespace odds
