#include "commands.h"
#include "json_writer.h"
#include "pay_text.h"
#include "report_text.h"

#include <algorithm>
#include <map>
#include <memory>

namespace odds {
namespace {

using namespace report_detail;

const char* const kGamesHelp =
    "Lists the families quintara-odds plays, each with its deck, its rows from the\n"
    "top down (the order --pays takes them) and its default pays; --game picks one.\n"
    "\n"
    "How the rows are named:\n"
    "  A hand counts once, in its highest row. A straight may run Ace low (A-5) or\n"
    "  Ace high (T-A), never round the corner.\n"
    "  A wild card (the four 2s in deuces, the joker in the joker families) stands\n"
    "  for whatever card makes the best row, an Ace low straight included. A flush\n"
    "  needs the natural cards to share a suit: the wild cards take that suit.\n"
    "  A natural royal holds no wild card; a wild royal holds at least one. In\n"
    "  deuces four deuces pay as Four Deuces whatever the fifth card.\n"
    "  With the joker, Kings or Better pays a natural pair of Kings or Aces, or the\n"
    "  joker beside a King or an Ace.\n"
    "  Bonus rows name the rank of the four: Aces, 2s-4s, or the rest (Double Double\n"
    "  Bonus: Aces with a 2, 3 or 4 as the fifth card, 2s-4s with an Ace, 2, 3 or 4).";

const char* const kTablesHelp =
    "Lists every built-in pay table with its family, its pays and its exact return\n"
    "under optimal play, highest return first. --game keeps one family's tables.\n"
    "--table NAME picks one by name on any command; names match whatever their\n"
    "case, blanks and slashes.";

std::string WildText(const Family& f)
{
    switch (f.wild) {
    case Wild::Deuces:
        return "the four 2s are wild";
    case Wild::Joker:
        return "53 cards: the joker is wild";
    case Wild::None:
        break;
    }
    return "52 cards, none wild";
}

int RunGames(const CommandContext& c)
{
    if (c.json) {
        JsonWriter w;
        w.beginObject();
        w.key("games").beginArray();
        for (const Family& f : Families()) {
            w.beginObject();
            w.key("game").value(std::string(f.key));
            w.key("name").value(std::string(f.name));
            w.key("also_for").value(std::string(f.alsoFor));
            w.key("deck").value(static_cast<std::int64_t>(f.deck().cards));
            w.key("wild").value(f.wild == Wild::Deuces  ? "deuces"
                                : f.wild == Wild::Joker ? "joker"
                                                        : "none");
            w.key("rows").beginArray();
            for (const int row : f.payOrder)
                w.value(std::string(f.rowName(row)));
            w.endArray();
            w.key("default_pays");
            WritePays(w, f.defaultPays, f);
            w.endObject();
        }
        w.endArray();
        w.endObject();
        c.out << w.text() << '\n';
        return kExitOk;
    }
    for (const Family& f : Families()) {
        c.out << Wrapped(
            std::string(f.key) + "   ",
            std::string(f.name) +
                (f.alsoFor.empty() ? "" : " (the rows of " + std::string(f.alsoFor) + " too)") +
                ", " + WildText(f));
        c.out << RowLegend("  --pays ", f);
        c.out << "  default " << FormatPays(f.defaultPays, f) << "\n\n";
    }
    c.out << "quintara-odds return --game deuces, or --table \"Full Pay Deuces Wild\".\n";
    return kExitOk;
}

struct TableReturn
{
    const NamedTable* table;
    ReturnTotals totals;
};

int RunTables(const CommandContext& c)
{
    std::vector<TableReturn> rows;
    std::map<const Family*, DrawTables> tables;
    for (const NamedTable& t : NamedTables()) {
        if (c.gameChosen && t.family != c.family)
            continue;
        const DrawTables& counted = tables.try_emplace(t.family, *t.family).first->second;
        rows.push_back({&t, ComputeReturn(counted, t.pays, DefaultThreadCount())});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const TableReturn& a, const TableReturn& b) {
        // Exactly: a / b > c / d as a d > c b.
        return a.totals.paid * b.totals.denominator() > b.totals.paid * a.totals.denominator();
    });
    if (c.json) {
        JsonWriter w;
        w.beginObject();
        w.key("tables").beginArray();
        for (const TableReturn& r : rows) {
            const Family& f = *r.table->family;
            w.beginObject();
            w.key("name").value(std::string(r.table->name));
            w.key("game").value(std::string(f.key));
            w.key("pays");
            WritePays(w, r.table->pays, f);
            w.key("return").raw(FormatFraction(r.totals.paid, r.totals.denominator(), 10));
            w.endObject();
        }
        w.endArray();
        w.endObject();
        c.out << w.text() << '\n';
        return kExitOk;
    }
    c.out << Format("%-34s %-15s %s\n", "Table", "Game", "Return");
    for (const TableReturn& r : rows) {
        const Family& f = *r.table->family;
        c.out << Format("%-34.*s %-15.*s %s\n", static_cast<int>(r.table->name.size()),
                        r.table->name.data(), static_cast<int>(f.key.size()), f.key.data(),
                        FormatFraction(r.totals.paid, r.totals.denominator(), 6).c_str());
        c.out << "  pays " << FormatPays(r.table->pays, f) << "\n";
    }
    c.out << "\nReturn per unit bet under optimal play, exact (quintara-odds return --table\n"
             "NAME gives the whole report).\n";
    return kExitOk;
}

} // namespace

void AddGamesCommand(CommandSet& commands)
{
    commands.add("games", "the families of video poker, their rows and --pays order", kGamesHelp,
                 RunGames);
}

void AddTablesCommand(CommandSet& commands)
{
    commands.add("tables", "every built-in pay table with its exact return", kTablesHelp,
                 RunTables);
}

} // namespace odds
