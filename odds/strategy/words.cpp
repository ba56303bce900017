#include "strategy.h"

#include "card_code.h"
#include "hold.h"
#include "strategy_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The words of the lists: every hold's pattern in the poker words players
// use, the book that numbers them, and the exceptions' conditions.
namespace odds {
namespace {

constexpr int kRanks = 13;

std::string ValueName(int value)
{
    static const char* const kNames[] = {"",  "",  "2",  "3", "4", "5", "6", "7",
                                         "8", "9", "10", "J", "Q", "K", "A"};
    return kNames[value];
}

std::string Count(int n, const char* one, const char* many, const char* none)
{
    if (n == 0)
        return none;
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

std::string HighCards(int n)
{
    return Count(n, "high card", "high cards", "no high card");
}

// The straights that contain every held value, the Ace either end.
int Straights(const std::vector<int>& values)
{
    int ways = 0;
    for (int low = 1; low <= 10; ++low) {
        bool all = true;
        for (const int v : values) {
            const bool in = (v >= low && v <= low + 4) || (v == 14 && low == 1);
            all = all && in;
        }
        ways += all ? 1 : 0;
    }
    return ways;
}

// How a pattern reads, and how the lines of one family read once merged.
enum class Style
{
    Alone,    // the family is the pattern
    List,     // details are whole names: "Jack or Queen"
    Comma,    // family, then details: "4 to a flush, 1 or 2 high cards"
    Suited,   // "Suited K Q or K J"
    Unsuited, // "K Q or K J unsuited"
};

// The paying rows that hand patterns name, best first, for what a draw aims at.
enum Row
{
    kNoRow = -1,
    kStraightFlushRow = 1, // a royal is 0

    kFlushRow = 4,
    kStraightRow,
};

struct Words
{
    std::string family; // lines of one family may merge
    Style style = Style::Alone;
    std::string detail;
    std::string complete; // the name of the whole family, if it has one
    int order = 0;        // merged lines list their details by it
    int aim = kNoRow;     // the row a draw's words name ("4 to a flush": the flush)
};

// A wild family's lines start with the wild cards they hold ("Joker: "); a
// list of details carries it in front.
std::string Lead(const std::string& family)
{
    const std::size_t colon = family.find(": ");
    return colon == std::string::npos ? std::string() : family.substr(0, colon + 2);
}

Words Alone(std::string name, int aim = kNoRow)
{
    return {std::move(name), Style::Alone, "", "", 0, aim};
}

// values descending, all different; an empty family for a hold no strategy names.
Words DrawWords(const std::vector<int>& values, bool oneSuit)
{
    const int n = static_cast<int>(values.size());
    if (n == 0)
        return Alone("Draw five");
    const int high = static_cast<int>(
        std::count_if(values.begin(), values.end(), [](int v) { return v >= 11; }));
    const bool royalRanks = values.back() >= 10;
    const int ways = Straights(values);
    std::string ranks;
    int byRank = 0; // higher ranks first
    for (const int v : values) {
        if (!ranks.empty())
            ranks += ' ';
        ranks += ValueName(v);
        byRank = byRank * 15 - v;
    }
    if (n == 5) {
        if (ways == 1 && oneSuit)
            return {"made", Style::List, royalRanks ? "Royal Flush" : "Straight Flush", "",
                    royalRanks ? 0 : 1};
        if (oneSuit)
            return {"made", Style::List, "Flush", "", 4};
        return ways == 1 ? Words{"made", Style::List, "Straight", "", 5} : Words{};
    }
    const std::string count = std::to_string(n);
    if (oneSuit && n >= 2) {
        // A royal draw is a straight flush draw too: from a dealt straight
        // flush it would throw a made row away.
        if (royalRanks && n == 2)
            return {"suited", Style::Suited, ranks, "", byRank, kStraightFlushRow};
        if (royalRanks)
            return Alone(count + " to a Royal Flush", kStraightFlushRow);
        if (ways > 0 && n == 4)
            return {"4sf",
                    Style::List,
                    ways >= 2 ? "4 to an outside straight flush" : "4 to an inside straight flush",
                    "4 to a straight flush",
                    ways >= 2 ? 0 : 1,
                    kStraightFlushRow};
        // A gap is a straight the draw cannot reach: 5 6 8 and 2 3 4 have one.
        if (ways > 0)
            return {count + " to a straight flush",
                    Style::Comma,
                    HighCards(high) + ", " + Count(6 - n - ways, "gap", "gaps", "no gap"),
                    "",
                    10 * high + 6 - n - ways,
                    kStraightFlushRow};
        if (n >= 3)
            return {count + " to a flush", Style::Comma, HighCards(high), "", 10 * high, kFlushRow};
        return {};
    }
    if (n == 4 && ways > 0)
        return {ways >= 2 ? "4 to an outside straight" : "4 to an inside straight",
                Style::Comma,
                HighCards(high),
                "",
                10 * high,
                kStraightRow};
    if ((n == 2 || n == 3) && high == n)
        return {count + " unsuited", Style::Unsuited, ranks, "", byRank};
    if (n == 3 && ways > 0)
        return {"3 to a straight",
                Style::Comma,
                HighCards(high) + ", " + Count(3 - ways, "gap", "gaps", "no gap"),
                "",
                10 * high + 3 - ways,
                kStraightRow};
    if (n == 1 && high == 1) {
        static const char* const kHigh[] = {"Jack", "Queen", "King", "Ace"};
        return {"single", Style::List, kHigh[values[0] - 11], "", byRank};
    }
    return {};
}

// ranks0 ascending (Ace = 0).
Words PatternWords(const std::vector<int>& ranks0, bool oneSuit)
{
    std::array<int, kRanks> count{};
    for (const int r : ranks0)
        ++count[static_cast<std::size_t>(r)];
    std::vector<int> groups;
    int pairValue = 0;
    for (int r = 0; r < kRanks; ++r)
        if (count[static_cast<std::size_t>(r)] > 1) {
            groups.push_back(count[static_cast<std::size_t>(r)]);
            pairValue = Value(r);
        }
    const std::size_t n = ranks0.size();
    if (!groups.empty()) {
        std::sort(groups.begin(), groups.end());
        const auto made = [](const char* name, int order) {
            return Words{"made", Style::List, name, "", order};
        };
        if (groups == std::vector<int>{4} && n == 4)
            return made("Four of a kind", 2);
        if (groups == std::vector<int>{2, 3})
            return made("Full House", 3);
        if (groups == std::vector<int>{3} && n == 3)
            return made("Three of a kind", 6);
        if (groups == std::vector<int>{2, 2} && n == 4)
            return made("Two Pair", 7);
        if (groups == std::vector<int>{2} && n == 2)
            return made(pairValue >= 11 ? "Pair of Jacks or better" : "Low pair",
                        pairValue >= 11 ? 8 : 9);
        return {};
    }
    std::vector<int> values;
    for (const int r : ranks0)
        values.push_back(Value(r));
    std::sort(values.rbegin(), values.rend());
    return DrawWords(values, oneSuit && n >= 2);
}

// The rank groups that a bonus family's fours name, for fours, threes and
// full houses; pairs also part the paying ones from the rest.
std::string RankGroup(const Family& family, int value)
{
    if (value == 14)
        return "Aces";
    if (family.key == "aces-faces")
        return value >= 11 ? "Jacks-Kings" : "2s-10s";
    return value <= 4 ? "2s-4s" : "5s-Ks";
}

std::string PairGroup(const Family& family, int value)
{
    if (value == 14)
        return "Aces";
    if (value >= 11)
        return "Jacks-Kings";
    if (family.key == "aces-faces")
        return "2s-10s";
    return value <= 4 ? "2s-4s" : "5s-10s";
}

// Double Double Bonus pays its Aces and its 2s-4s more with a low kicker.
std::string Kicker(const Family& family, int fours, int kicker)
{
    if (family.key != "double-double")
        return "";
    if (fours == 14 && kicker >= 2 && kicker <= 4)
        return " with a 2-4 kicker";
    if (fours >= 2 && fours <= 4 && (kicker == 14 || kicker <= 4))
        return " with an A-4 kicker";
    return "";
}

// The game's words, with made hands named by the ranks the bonus rows pay for.
Words BonusWords(const Family& family, const std::vector<int>& ranks0, bool oneSuit)
{
    std::map<int, int> byValue; // value -> cards
    for (const int r : ranks0)
        ++byValue[Value(r)];
    int fours = 0, threes = 0, kicker = 0;
    std::vector<int> pairs;
    for (const auto& [v, n] : byValue) {
        if (n == 4)
            fours = v;
        else if (n == 3)
            threes = v;
        else if (n == 2)
            pairs.push_back(v);
        else
            kicker = v;
    }
    const std::size_t n = ranks0.size();
    const auto made = [](std::string name, int order) {
        return Words{"made", Style::List, std::move(name), "", order};
    };
    if (fours != 0 && n == 4)
        return made("Four " + RankGroup(family, fours), 2);
    if (fours != 0 && n == 5) {
        const std::string kick = Kicker(family, fours, kicker);
        return kick.empty() ? Words{} : made("Four " + RankGroup(family, fours) + kick, 2);
    }
    if (threes != 0 && pairs.size() == 1)
        return made("Full house with " + RankGroup(family, threes), 3);
    if (threes != 0 && n == 3)
        return made("Three " + RankGroup(family, threes), 6);
    if (threes != 0 && n == 4) {
        const std::string kick = Kicker(family, threes, kicker);
        return kick.empty() ? Words{} : made("Three " + RankGroup(family, threes) + kick, 6);
    }
    if (pairs.size() == 2 && n == 4)
        return made(pairs.back() == 14 ? "Two pair with Aces" : "Two pair", 7);
    if (pairs.size() == 1 && n == 2)
        return made("Pair of " + PairGroup(family, pairs[0]), pairs[0] >= 11 ? 8 : 9);
    if (!pairs.empty() || threes != 0 || fours != 0)
        return {};
    // Where quads pay more a royal draw weighs against a high pair, and one
    // with an Ace makes fewer straights: players part the two.
    if (oneSuit && n == 3 && byValue.begin()->first >= 10) {
        const bool ace = byValue.count(14) != 0;
        const bool ten = byValue.count(10) != 0;
        // Where the flush pays 7, a royal draw with a 10 is held over 4 to a
        // flush only as Q J 10, which makes the most straight flushes.
        const bool queenJackTen = ten && !ace && byValue.count(13) == 0;
        const bool apart = family.key == "bonus" && ten && !ace;
        const std::string detail = ace     ? "with an Ace"
                                   : apart ? (queenJackTen ? "Q J 10" : "K and 10")
                                   : ten   ? "with a 10, no Ace"
                                           : "K Q J";
        return {"3 to a Royal Flush",
                Style::Comma,
                detail,
                "",
                ace ? 3 : (apart && !queenJackTen ? 2 : (ten ? 1 : 0)),
                kStraightFlushRow};
    }
    return PatternWords(ranks0, oneSuit);
}

// Rows by their place in a wild family's table, top down.
int RowPlace(const Family& family, std::string_view name)
{
    const std::vector<int> rows = family.rowsTopDown();
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (family.rowName(rows[k]) == name)
            return static_cast<int>(k);
    return kNoRow;
}

// Deuces Wild and Joker Poker: every line says how many wild cards it holds
// ("Two deuces: 4 to a straight flush, consecutive"), and high cards count
// only where the joker's Kings or Better pays.
Words WildWords(const Family& family, const std::vector<int>& ranks0, bool oneSuit)
{
    const bool deuces = family.wild == Wild::Deuces;
    const int wildRank = family.wildRank();
    std::vector<int> natural;
    int wilds = 0;
    for (const int r : ranks0) {
        if (r == wildRank)
            ++wilds;
        else
            natural.push_back(Value(r));
    }
    std::sort(natural.rbegin(), natural.rend());
    static const char* const kDeuces[] = {"No deuce", "One deuce", "Two deuces", "Three deuces",
                                          "Four deuces"};
    const std::string prefix = deuces ? kDeuces[wilds] : (wilds ? "Joker" : "No joker");
    const auto with = [&](Words words) {
        if (words.family.empty())
            return words;
        words.family = prefix + ": " + words.family;
        return words;
    };
    const int n = static_cast<int>(ranks0.size());
    if (natural.empty()) {
        if (wilds == 0)
            return Alone("Draw five");
        if (deuces && wilds == 4)
            return {"Four deuces", Style::Alone, "", "", RowPlace(family, "Four Deuces")};
        return Alone(deuces ? std::string(kDeuces[wilds]) + " alone" : "Joker alone");
    }
    const auto made = [&](std::string name) {
        const int place = RowPlace(family, name);
        return with({"made", Style::List, std::move(name), "", place});
    };
    std::map<int, int> byValue;
    for (const int v : natural)
        ++byValue[v];
    int most = 0;
    int pairs = 0;
    for (const auto& [v, count] : byValue) {
        most = std::max(most, count);
        pairs += count == 2 ? 1 : 0;
    }
    if (n == 5) {
        RankCounts counts{};
        for (const int r : ranks0)
            ++counts[static_cast<std::size_t>(r)];
        const int row = family.rowOf(counts, oneSuit);
        const std::string name(family.rowName(row));
        // Held whole only from a straight up; a kicker to four or three of
        // a kind is no line.
        if (RowPlace(family, name) <= RowPlace(family, "Straight") && name != "Four of a Kind" &&
            name != "Four Deuces")
            return made(name);
        return {};
    }
    if (most + wilds == 4 && n == 4)
        return made("Four of a Kind");
    if (most + wilds == 3 && n == 3)
        return made("Three of a Kind");
    if (wilds == 0 && pairs == 2 && n == 4)
        return deuces ? Words{} : made("Two Pair");
    if (most + wilds == 2 && n == 2) {
        const int high = natural.front();
        if (deuces)
            return wilds == 0 ? with({"Pair", Style::Alone, "", "", kNoRow}) : Words{};
        const bool kings = family.key == "joker" && high >= 13;
        if (wilds > 0 && !kings)
            return with(Alone("One card below a King"));
        return with({kings ? "Pair of Kings or Aces" : "Low pair", Style::Alone, "", "", kNoRow});
    }
    if (most > 1)
        return {};
    // Draws: distinct natural values, the wild cards filling any gap.
    const int ways = Straights(natural);
    const bool royalRanks = natural.back() >= 10;
    const std::string count = std::to_string(n);
    const int straightFlush = RowPlace(family, "Straight Flush");
    // What sets draws of one shape apart: in Deuces Wild whether the natural
    // cards reach below 6, in Joker Poker its high cards, the Kings and Aces.
    const int kingsOrAces = static_cast<int>(
        std::count_if(natural.begin(), natural.end(), [](int v) { return v >= 13; }));
    const bool low = natural.back() < 6 || natural.front() == 14;
    const std::string shade =
        deuces ? (low ? "below 6" : "6 or higher")
               : Count(kingsOrAces, "King or Ace", "Kings or Aces", "no King or Ace");
    const int shadeOrder = deuces ? (low ? 1 : 0) : 2 - kingsOrAces;
    std::string ranks;
    int byRank = 0;
    for (const int v : natural) {
        ranks += (ranks.empty() ? "" : " ") + ValueName(v);
        byRank = byRank * 15 - v;
    }
    // Where a straight flush pays little a royal draw may break one up: it
    // aims at the natural royal alone.
    const int royal = 0;
    if (oneSuit && n == 2 && royalRanks)
        return with({"suited", Style::Suited, ranks, "", byRank, royal});
    // A royal draw with an Ace makes fewer straights.
    const bool ace = natural.front() == 14;
    if (oneSuit && n >= 3 && royalRanks)
        return with({count + " to a Royal Flush", Style::Comma,
                     deuces ? (ace ? "with an Ace" : "no Ace") : shade, "",
                     deuces ? (ace ? 1 : 0) : shadeOrder, royal});
    // A gap is a straight the natural cards cannot reach; with none they are
    // consecutive.
    const int gaps = std::max(0, 6 - static_cast<int>(natural.size()) - ways);
    if (oneSuit && ways > 0 && n == 4)
        return with({"4 to a straight flush", Style::Comma,
                     std::string(gaps == 0 ? "consecutive" : "inside") + ", " + shade, "",
                     (gaps == 0 ? 0 : 10) + shadeOrder, straightFlush});
    // An Ace in a deuces straight flush draw can only play low.
    const bool aceLow = deuces && ace;
    if (oneSuit && ways > 0 && n == 3)
        return with({"3 to a straight flush", Style::Comma,
                     Count(gaps, "gap", "gaps", "no gap") + ", " +
                         (aceLow ? std::string("with an Ace") : shade),
                     "", 10 * gaps + (aceLow ? 2 : shadeOrder), straightFlush});
    if (oneSuit && n >= 3)
        return with({count + " to a flush", Style::Comma, shade, "", shadeOrder,
                     RowPlace(family, "Flush")});
    // In Deuces Wild A 3 4 5 has no natural card to fill it, only the deuces.
    const bool needsDeuce = deuces && wilds == 0 && natural.size() == 4 && ace && natural[1] <= 5;
    // With the joker the natural cards of an outside straight may run on
    // their own or need the joker in a gap.
    const bool run = natural.front() - natural.back() + 1 == static_cast<int>(natural.size());
    if (ways >= 2 && n == 4 && !deuces && wilds > 0)
        return with({"4 to an outside straight", Style::Comma,
                     std::string(run ? "consecutive" : "with a gap") + ", " + shade, "",
                     (run ? 0 : 10) + shadeOrder, RowPlace(family, "Straight")});
    if (ways > 0 && n == 4)
        return with({ways >= 2 ? "4 to an outside straight" : "4 to an inside straight",
                     Style::Comma, needsDeuce ? "A 3 4 5" : shade, "", needsDeuce ? 9 : shadeOrder,
                     RowPlace(family, "Straight")});
    if (ways > 0 && n == 3 && wilds > 0)
        return with({"3 to a straight", Style::Comma,
                     Count(gaps, "gap", "gaps", "no gap") + ", " + shade, "",
                     10 * gaps + shadeOrder, RowPlace(family, "Straight")});
    if (!deuces && wilds == 0 && n <= 2 && natural.back() >= 13)
        return with(Alone(n == 1 ? "King or Ace" : "King and Ace"));
    return {};
}

// The words of a family's holds.
Words FamilyWords(const Family& family, const std::vector<int>& ranks0, bool oneSuit)
{
    if (family.wild != Wild::None)
        return WildWords(family, ranks0, oneSuit);
    if (&family != &JacksFamily())
        return BonusWords(family, ranks0, oneSuit);
    return PatternWords(ranks0, oneSuit);
}

// "a", "a or b", "a, b or c".
std::string JoinOr(const std::vector<std::string>& items)
{
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += i + 1 == items.size() ? " or " : ", ";
        out += items[i];
    }
    return out;
}

// "no, 1 or 2 high cards" rather than three whole phrases.
std::string JoinDetails(const std::vector<std::string>& details)
{
    if (details.size() == 1)
        return details[0];
    std::vector<std::string> counts;
    bool plural = false;
    for (const std::string& d : details) {
        const std::size_t space = d.find(' ');
        const std::string rest = d.substr(space + 1);
        if (space == std::string::npos || (rest != "high card" && rest != "high cards")) {
            std::vector<std::string> joined = details;
            for (std::string& item : joined)
                if (const std::size_t comma = item.find(", "); comma != std::string::npos)
                    item.replace(comma, 2, " and ");
            return JoinOr(joined);
        }
        counts.push_back(d.substr(0, space));
        plural = plural || (counts.back() != "no" && counts.back() != "1");
    }
    return JoinOr(counts) + (plural ? " high cards" : " high card");
}

std::string Format(const Words& words, const std::vector<std::string>& details, bool complete)
{
    switch (words.style) {
    case Style::Alone:
        return words.family;
    case Style::List:
        return Lead(words.family) +
               (complete && !words.complete.empty() ? words.complete : JoinOr(details));
    case Style::Comma:
        return complete ? words.family : words.family + ", " + JoinDetails(details);
    case Style::Suited:
        return Lead(words.family) + "Suited " + JoinOr(details);
    case Style::Unsuited:
        return JoinOr(details) + " unsuited";
    }
    return words.family;
}

} // namespace

PatternBook::PatternBook(const Family& family)
    : m_byMultiset(2 * DrawTables::kMultisetCount, kNoPattern), m_game(&family)
{
    const int wildRank = family.wildRank();
    const int rankCount = family.wild == Wild::Joker ? kRankValues : kRanks;
    std::map<std::string, int> ids;
    std::map<std::string, int> families;
    std::vector<int> ranks;
    int wilds = 0;
    const auto intern = [&](const Words& words) {
        const std::string name = Format(words, {words.detail}, false);
        const auto [it, added] = ids.emplace(name, static_cast<int>(m_names.size()));
        if (!added)
            return it->second;
        const auto [fam, newFamily] =
            families.emplace(words.family, static_cast<int>(m_families.size()));
        if (newFamily)
            m_families.push_back({words.family, static_cast<int>(words.style), words.complete, 0});
        ++m_families[static_cast<std::size_t>(fam->second)].members;
        m_names.push_back(name);
        m_details.push_back(words.detail);
        m_orders.push_back(words.order);
        m_family.push_back(fam->second);
        m_aims.push_back(words.aim);
        // A made hand's order is its row, best first.
        m_rows.push_back(
            words.family.ends_with("made") || words.family == "Four deuces" ? words.order : kNoRow);
        m_wilds.push_back(wilds);
        m_fallback.push_back(words.style == Style::Alone &&
                             (words.family == "Draw five" || words.family.ends_with(" alone") ||
                              words.family == "Four deuces"));
        return it->second;
    };
    // Multisets in the order DrawTables numbers them as they grow.
    const auto visit = [&](auto&& self, int index, int lowest) -> void {
        wilds = static_cast<int>(std::count(ranks.begin(), ranks.end(), wildRank));
        for (const bool oneSuit : {false, true}) {
            const Words words = FamilyWords(family, ranks, oneSuit);
            if (!words.family.empty())
                m_byMultiset[static_cast<std::size_t>(2 * index + (oneSuit ? 1 : 0))] =
                    intern(words);
        }
        if (ranks.size() == 5)
            return;
        for (int r = lowest; r < rankCount; ++r) {
            if (std::count(ranks.begin(), ranks.end(), r) >= (r == kJokerRank ? 1 : 4))
                continue; // four of a rank, one joker
            const int size = static_cast<int>(ranks.size());
            ranks.push_back(r);
            self(self, DrawTables::GrowMultiset(index, size, r), r);
            ranks.pop_back();
        }
    };
    visit(visit, 0, 0);
}

std::string PatternBook::lineName(const std::vector<int>& patterns) const
{
    if (patterns.size() == 1)
        return name(patterns[0]);
    const WordFamily& f = m_families[static_cast<std::size_t>(family(patterns[0]))];
    std::vector<int> sorted = patterns;
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
        const auto key = [&](int p) {
            return std::pair(m_orders[static_cast<std::size_t>(p)], name(p));
        };
        return key(a) < key(b);
    });
    std::vector<std::string> details;
    for (const int p : sorted)
        details.push_back(m_details[static_cast<std::size_t>(p)]);
    const Words words{f.key, static_cast<Style>(f.style), "", f.complete};
    return Format(words, details, static_cast<int>(patterns.size()) == f.members);
}

const PatternBook& PatternBook::Get(const Family& family)
{
    // One book per family, each built on first use.
    static std::mutex lock;
    static std::map<const Family*, std::unique_ptr<PatternBook>> books;
    const std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<PatternBook>& book = books[&family];
    if (!book)
        book.reset(new PatternBook(family));
    return *book;
}

int PatternBook::inDeal(int pattern, int dealtPattern) const
{
    if (pattern == kNoPattern || dealtPattern == kNoPattern)
        return pattern;
    const int aim = m_aims[static_cast<std::size_t>(pattern)];
    const int dealtRow = m_rows[static_cast<std::size_t>(dealtPattern)];
    return aim != kNoRow && dealtRow != kNoRow && dealtRow <= aim ? kNoPattern : pattern;
}

int PatternBook::patternOf(std::span<const int, 5> dealt, unsigned hold) const
{
    const int pattern = inDeal(heldPattern(dealt, hold), heldPattern(dealt, kAllHeld));
    const int dealtWilds = static_cast<int>(std::count_if(
        dealt.begin(), dealt.end(), [&](int card) { return RankOf(card) == m_game->wildRank(); }));
    return pattern != kNoPattern && wilds(pattern) < dealtWilds ? kNoPattern : pattern;
}

int PatternBook::heldPattern(std::span<const int, 5> dealt, unsigned hold) const
{
    std::array<int, 5> ranks{};
    int held = 0;
    unsigned suits = 0;
    for (const int card : Hold(hold).held(dealt)) {
        ranks[static_cast<std::size_t>(held++)] = RankOf(card);
        if (RankOf(card) != m_game->wildRank())
            suits |= 1u << SuitOf(card);
    }
    for (int i = 1; i < held; ++i)
        for (int j = i;
             j > 0 && ranks[static_cast<std::size_t>(j - 1)] > ranks[static_cast<std::size_t>(j)];
             --j)
            std::swap(ranks[static_cast<std::size_t>(j - 1)], ranks[static_cast<std::size_t>(j)]);
    int index = 0;
    for (int k = 0; k < held; ++k)
        index = DrawTables::GrowMultiset(index, k, ranks[static_cast<std::size_t>(k)]);
    return patternOfMultiset(index, (suits & (suits - 1)) == 0);
}

bool StrategyException::applies(std::span<const int, 5> dealt, unsigned hold, int wildRank) const
{
    // One pass over the five cards; wild cards are neither thrown away nor
    // named by a condition.
    unsigned heldSuits = 0;
    unsigned heldValues = 0;
    unsigned thrown = 0;
    std::array<int, 5> given{};
    int count = 0;
    for (std::size_t i = 0; i < 5; ++i) {
        const int card = dealt[i];
        if (RankOf(card) == wildRank)
            continue;
        if (hold & (1u << i)) {
            heldSuits |= 1u << cards::CardSuit(card);
            heldValues |= 1u << Value(RankOf(card));
        } else {
            thrown |= 1u << Value(RankOf(card));
            given[static_cast<std::size_t>(count++)] = card;
        }
    }
    const bool oneSuit = heldSuits != 0 && (heldSuits & (heldSuits - 1)) == 0;
    // The value named by "and no" counts only off the held suit: there the
    // card spoils the other hold's straight without being the suit's penalty.
    for (int k = 0; k < count && without != 0; ++k) {
        const int card = given[static_cast<std::size_t>(k)];
        if (Value(RankOf(card)) == without && !(heldSuits & (1u << cards::CardSuit(card))))
            return false;
    }
    if (heldValue != 0 && !(heldValues & (1u << heldValue)))
        return false;
    if (allValues)
        return values != 0 && (thrown & values) == values;
    if (!suitAnd && (values & thrown) != 0)
        return true;
    if (heldRank && (heldValues & thrown))
        return true;
    std::array<int, 4> thrownOfSuit{};
    bool ofHeldSuit = false;
    for (int k = 0; k < count; ++k) {
        const int suit = cards::CardSuit(given[static_cast<std::size_t>(k)]);
        if (!(heldSuits & (1u << suit)))
            continue;
        ofHeldSuit = true;
        if (twoOfSuit && ++thrownOfSuit[static_cast<std::size_t>(suit)] == 2)
            return true;
    }
    if (suitAnd)
        return oneSuit && ofHeldSuit && (thrown & values) != 0;
    return heldSuit && oneSuit && ofHeldSuit;
}

std::string StrategyException::condition() const
{
    static const char* const kNames[] = {"",     "",       "a 2",     "a 3",    "a 4",
                                         "a 5",  "a 6",    "a 7",     "an 8",   "a 9",
                                         "a 10", "a Jack", "a Queen", "a King", "an Ace"};
    const auto bare = [](int v) {
        return std::string(kNames[v]).substr(kNames[v][1] == 'n' ? 3 : 2);
    };
    std::vector<std::string> items;
    const int low = values == 0 ? 0 : std::countr_zero(values);
    const int high = values == 0 ? 0 : std::bit_width(values) - 1;
    // A run of values reads as one: the penalty cards of a straight.
    if (high - low >= 2 && values == ((2u << high) - (1u << low)))
        items.push_back("a card from " + bare(low) + " to " + bare(high));
    else
        for (int v = 14; v >= 2; --v)
            if (values & (1u << v))
                items.push_back(kNames[v]);
    const std::string holds =
        heldValue == 0 ? std::string("it") : "it holds " + std::string(kNames[heldValue]) + " and";
    const std::string but =
        without == 0 ? std::string() : ", and no " + bare(without) + " of another suit";
    if (suitAnd)
        return holds + " throws away a card of the held suit and " + JoinOr(items) + but;
    if (heldSuit)
        items.push_back("a card of the held suit");
    if (twoOfSuit)
        items.push_back("two cards of a held card's suit");
    if (heldRank)
        items.push_back("a card of a held rank");
    if (allValues && items.size() == 2)
        return holds + " throws away " + items[1] + " and " + items[0];
    return holds + " throws away " + JoinOr(items);
}

} // namespace odds
