#include "strategy_command.h"
#include "pay_text.h"

#include "card_code.h"
#include "command_line.h"
#include "hold.h"
#include "json_writer.h"

#include <cstdio>
#include <memory>

namespace odds {

namespace {

const char* const kStrategyHelp =
    "Derives a ranked strategy list from the exact best hold of every deal and grades\n"
    "it exactly. Play a hand by the first line that one of its holds fits; where two\n"
    "holds fit one line, keep the better. Each line shows the share of deals it\n"
    "decides.\n"
    "\n"
    "Where one order cannot serve every hand, exceptions follow the line they amend,\n"
    "ranked like 23a, 23b: when that line decides and the cards its hold throws away\n"
    "are as named (one of the values, both of them, a card of the held suit, two\n"
    "cards of a held card's suit, a card of a held rank, or a card of the held suit\n"
    "and one of the values, which may be the same card, where it says so with no card\n"
    "of one more value off the held suit), and where it says so the hold keeps a card\n"
    "of the value named, play the lower line it names instead, if that line fits;\n"
    "the first of a line's exceptions that does so plays. A line may name holds that\n"
    "only an exception reaches. Each shows the share of deals it hands over and what\n"
    "it gains. An exception counts as a line for --lines; it is kept only where it\n"
    "gains at least 0.000001 per unit bet.\n"
    "\n"
    "Every budget chooses from the lists of one search path that no budget\n"
    "changes, and lines of one family that play every deal alike are merged\n"
    "wherever they stand, so a larger --lines never grades worse.\n"
    "\n"
    "The grade: the return when every deal is played by the list, its gap to the best\n"
    "play, the share of deals where the list's hold returns less than the best one,\n"
    "and the five costliest departures (return lost over all deals) with an example.\n"
    "\n"
    "Strategy lines use the standard poker words, where the rows of the game's table\n"
    "(and of return) have their own: a Straight Flush is its \"Flush\", a Flush (five\n"
    "of one suit) its \"Suit\", Four of a kind its \"Caret\". High cards are Jack to\n"
    "Ace; a straight draw's gaps are the straights it cannot reach: 5 6 8 and 2 3 4\n"
    "have one.";

// A sum over all deals, per unit bet.
std::string Fraction(const StrategyGrade& g, Wide num, int decimals)
{
    std::string out = num < 0 ? "-" : "";
    out += FormatFraction(num < 0 ? -num : num, g.denominator(), decimals);
    return out;
}

std::string Percent(const StrategyGrade& g, std::int64_t deals)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f%%",
                  100.0 * static_cast<double>(deals) / static_cast<double>(g.deck.deals));
    return buf;
}

std::string Held(const std::array<int, 5>& dealt, unsigned hold)
{
    const CardPick held = Hold(hold).held(dealt);
    return held.empty() ? "nothing" : CardsText(held);
}

void Cards(JsonWriter& json, const std::array<int, 5>& dealt, unsigned hold)
{
    json.beginArray();
    for (const int card : Hold(hold).held(dealt))
        json.value(CardText(card));
    json.endArray();
}

std::string BestName(const PatternBook& book, int pattern)
{
    return pattern == PatternBook::kNoPattern ? "a hold no line names" : book.name(pattern);
}

} // namespace

std::string StrategyJson(const Strategy& strategy, const PayVector& pays, int maxLines,
                         const Family& family)
{
    const PatternBook& book = PatternBook::Get(family);
    const StrategyGrade& g = strategy.grade;
    JsonWriter json;
    json.beginObject();
    json.key("pays");
    WritePays(json, pays, family);
    json.key("max_lines").value(maxLines);
    json.key("lines").beginArray();
    for (std::size_t i = 0; i < strategy.lines.size(); ++i) {
        json.beginObject();
        json.key("rank").value(static_cast<int>(i) + 1);
        json.key("hold").value(book.lineName(strategy.lines[i]));
        json.key("patterns").beginArray();
        for (const int p : strategy.lines[i])
            json.value(book.name(p));
        json.endArray();
        json.key("decides").value(g.decides[i]);
        json.endObject();
    }
    json.endArray();
    json.key("exceptions").beginArray();
    for (std::size_t k = 0; k < strategy.exceptions.size(); ++k) {
        const StrategyException& x = strategy.exceptions[k];
        json.beginObject();
        json.key("line").value(x.line + 1);
        json.key("when").value(x.condition());
        json.key("instead").value(x.instead + 1);
        json.key("moves").value(g.moved[k]);
        json.key("gain").raw(Fraction(g, g.gained[k], 10));
        json.endObject();
    }
    json.endArray();
    json.key("deals").value(g.deck.deals);
    json.key("return").raw(Fraction(g, g.paid, 10));
    json.key("optimal").raw(Fraction(g, g.optimalPaid, 10));
    json.key("gap").raw(Fraction(g, g.optimalPaid - g.paid, 10));
    json.key("deals_differing").value(g.dealsDiffering);
    json.key("costliest").beginArray();
    for (const Deviation& d : g.costliest) {
        json.beginObject();
        json.key("line").value(d.listLine + 1);
        json.key("best").value(BestName(book, d.bestPattern));
        json.key("lost").raw(Fraction(g, d.lost, 10));
        json.key("example");
        Cards(json, d.example, kAllHeld);
        json.key("held");
        Cards(json, d.example, d.listHold);
        json.key("best_held");
        Cards(json, d.example, d.bestHold);
        json.key("example_loss").raw(FormatFraction(d.exampleLoss, g.deck.denominator, 10));
        json.endObject();
    }
    json.endArray();
    json.endObject();
    return json.text() + '\n';
}

std::string StrategyText(const Strategy& strategy, const PayVector& pays, int maxLines,
                         const Family& family)
{
    const PatternBook& book = PatternBook::Get(family);
    const StrategyGrade& g = strategy.grade;
    std::string out = "Pays     " + FormatPaysLine(pays, family) + "\n";
    const std::size_t exceptions = strategy.exceptions.size();
    // Entries count lines and exceptions alike, so the budget reads as spent.
    const std::size_t lines = strategy.lines.size();
    out += "Entries  " + std::to_string(lines + exceptions) + " (at most " +
           std::to_string(maxLines) + "): " + std::to_string(lines) +
           (lines == 1 ? " line" : " lines") +
           (exceptions == 0 ? std::string()
                            : ", " + std::to_string(exceptions) +
                                  (exceptions == 1 ? " exception" : " exceptions")) +
           "; hold the first that fits\n\n";
    char buf[64];
    out += "Rank  Decides   Hold\n";
    for (std::size_t i = 0; i < strategy.lines.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%4zu  %8s  ", i + 1, Percent(g, g.decides[i]).c_str());
        out += Wrapped(buf, book.lineName(strategy.lines[i]));
        char letter = 'a';
        for (std::size_t k = 0; k < exceptions; ++k) {
            const StrategyException& x = strategy.exceptions[k];
            if (x.line != static_cast<int>(i))
                continue;
            std::snprintf(buf, sizeof buf, "%3zu%c  %8s    ", i + 1, letter++,
                          Percent(g, g.moved[k]).c_str());
            out += Wrapped(buf,
                           "except when " + x.condition() + ": " +
                               book.lineName(strategy.lines[static_cast<std::size_t>(x.instead)]) +
                               " (line " + std::to_string(x.instead + 1) + "), gains " +
                               Fraction(g, g.gained[k], 7));
        }
    }
    out +=
        "\nReturn   " + Fraction(g, g.paid, 10) + "  per unit bet, every deal played by the list\n";
    out += "Optimal  " + Fraction(g, g.optimalPaid, 10) + "\n";
    out += "Gap      " + Fraction(g, g.optimalPaid - g.paid, 10) + "\n";
    out += "Differs  " + Percent(g, g.dealsDiffering) + " of deals (" +
           std::to_string(g.dealsDiffering) + "), where the list's hold returns less\n";
    if (&family == &JacksFamily())
        out += "\nLines use the poker words; the game's rows, from the top:\n";
    else
        out += "\nThe rows, from the top:\n";
    out += RowLegend("  ", family);
    if (g.costliest.empty())
        return out;
    out += "\nCostliest departures (return lost per unit bet over all deals)\n";
    for (std::size_t i = 0; i < g.costliest.size(); ++i) {
        const Deviation& d = g.costliest[i];
        out += Wrapped(std::to_string(i + 1) + ". ", Fraction(g, d.lost, 10) + "  line " +
                                                         std::to_string(d.listLine + 1) + " (" +
                                                         book.lineName(strategy.lines[d.listLine]) +
                                                         ") over " + BestName(book, d.bestPattern));
        out += "   e.g. " + CardsText(d.example) + ": holds " + Held(d.example, d.listHold) +
               ", best " + Held(d.example, d.bestHold) + ", loses " +
               FormatFraction(d.exampleLoss, g.deck.denominator, 4) + "\n";
    }
    return out;
}

int RunStrategy(const StrategyOptions& options, std::ostream& out)
{
    const DrawTables tables(*options.family);
    const StrategyData data(tables, options.pays, options.threads);
    const Strategy strategy = data.best(options.maxLines);
    out << (options.json ? StrategyJson(strategy, options.pays, options.maxLines, *options.family)
                         : StrategyText(strategy, options.pays, options.maxLines, *options.family));
    return kExitOk;
}

void AddStrategyCommand(CommandSet& commands)
{
    auto lines = std::make_shared<ValueOption>();
    CLI::App& strategy =
        commands.add("strategy", "a ranked strategy list for the pay table, and its exact grade",
                     kStrategyHelp, [lines](const CommandContext& c) {
                         StrategyOptions options;
                         options.family = c.family;
                         options.pays = c.pays;
                         options.json = c.json;
                         if (lines->given())
                             options.maxLines = static_cast<int>(
                                 ParseWholeNumber("--lines", lines->text, 1, kMaxStrategyLines));
                         return RunStrategy(options, c.out);
                     });
    AddValueOption(strategy, "--lines", *lines, "N",
                   "at most N lines, 1 to " + std::to_string(kMaxStrategyLines) +
                       " (default 40); exceptions count");
}

} // namespace odds
