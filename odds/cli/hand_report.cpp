#include "odds_report.h"
#include "pay_text.h"
#include "report_text.h"

#include "card_code.h"
#include "game_deal_links.h"
#include "json_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace odds {

using namespace report_detail;

namespace {

// A column as wide as its name and a space, and at least a chance and one.
int ColumnWidth(std::string_view name)
{
    return std::max(8, static_cast<int>(name.size()) + 1);
}

// The paying rows in runs of columns that fit 80 columns beside the hold's number.
std::vector<std::vector<int>> ColumnGroups(const Family& family)
{
    std::vector<std::vector<int>> groups(1);
    int width = 4;
    for (const int row : family.payOrder) {
        const int w = ColumnWidth(family.shortNames[static_cast<std::size_t>(row)]);
        if (width + w > 80) {
            groups.emplace_back();
            width = 4;
        }
        groups.back().push_back(row);
        width += w;
    }
    return groups;
}

} // namespace

HandReportData BuildHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                               const PayVector& pays, const Family& family)
{
    HandReportData report;
    report.dealt = dealt;
    report.hand = CardsText(dealt);
    report.family = &family;
    report.pays = pays;
    for (const unsigned h : RankHolds(table, pays, family.deck())) {
        HandReportData::Hold hold;
        hold.mask = h;
        hold.draws = DrawsFor(h, family.deck());
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
    WritePays(w, report.pays, *report.family);
    w.key("holds").beginArray();
    for (const HandReportData::Hold& hold : report.holds) {
        w.beginObject();
        HoldCards(w, report.dealt, hold.mask);
        w.key("return").raw(FormatFraction(hold.paid, hold.draws, 12));
        w.key("paid").value(hold.paid);
        w.key("draws").value(hold.draws);
        w.key("rows").beginArray();
        for (const int row : report.family->rowsTopDown()) {
            const auto c = static_cast<std::size_t>(row);
            BeginRow(w, *report.family, row, report.pays[c]);
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
    out += "Pays   " + FormatPaysLine(report.pays, *report.family) + "\n";
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
    const Family& family = *report.family;
    for (const std::vector<int>& group : ColumnGroups(family)) {
        out += "\n  # ";
        for (const int row : group) {
            const std::string_view name = family.shortNames[static_cast<std::size_t>(row)];
            out += Format("%*.*s", ColumnWidth(name), static_cast<int>(name.size()), name.data());
        }
        out += "\n";
        for (std::size_t i = 0; i < report.holds.size(); ++i) {
            out += Format("%3zu ", i + 1);
            for (const int row : group)
                out += Format(
                    "%*s", ColumnWidth(family.shortNames[static_cast<std::size_t>(row)]),
                    ChanceText(report.holds[i].probability[static_cast<std::size_t>(row)]).c_str());
            out += "\n";
        }
    }
    out += "\nReturn per unit bet, exact; below it, the chance of each row after the draw.\n"
           "Face down: the card places, 1 to 5 from the left, to turn face down for the\n"
           "draw.\n" +
           RowLegend("Rows: ", family);
    return out;
}

GameHandReportData BuildGameHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                                       const HoldValues& game, const DealModel& model,
                                       const PayVector& pays, const Family& family)
{
    GameHandReportData report;
    report.dealt = dealt;
    report.hand = CardsText(dealt);
    report.family = &family;
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
    WritePays(w, report.pays, *report.family);
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
    out += "Pays   " + FormatPaysLine(report.pays, *report.family) + "\n";
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

} // namespace odds
