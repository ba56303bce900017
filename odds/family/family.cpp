#include "family.h"

#include "card_code.h"
#include "pay_table.h"

#include <algorithm>

namespace odds {
namespace {

using hands::HandClass;

// What five cards make, before a family names the row.
enum class Made
{
    NaturalRoyal,
    FourDeuces,
    WildRoyal,
    FiveOfAKind,
    StraightFlush,
    FourOfAKind,
    FullHouse,
    Flush,
    Straight,
    ThreeOfAKind,
    TwoPair,
    Pair,
    Nothing,
};

struct Shape
{
    Made made = Made::Nothing;
    int quadRank = -1; // four of a kind: its rank; kicker: the fifth card's
    int kicker = -1;
    int pairRank = -1; // a pair: its rank (a wild card pairs the highest card)
};

constexpr unsigned kRoyalRanks = 1u | (0xfu << 9); // A, T, J, Q, K

// Five distinct natural ranks (a 13-bit mask, Ace = bit 0) fit one run of
// five, the Ace low or high (T-A); the wild cards fill the gaps.
bool FitsStraight(unsigned mask)
{
    if ((mask & ~kRoyalRanks) == 0)
        return true;
    for (int low = 0; low + 5 <= 13; ++low)
        if ((mask & ~(0x1fu << low)) == 0)
            return true;
    return false;
}

// Ace is the highest card when a wild card makes a pair with it.
int PairStrength(int rank)
{
    return rank == 0 ? 13 : rank;
}

Shape ShapeOf(const RankCounts& counts, bool suited, int wildRank)
{
    const int wild = wildRank >= 0 ? counts[static_cast<std::size_t>(wildRank)] : 0;
    unsigned mask = 0;
    int most = 0;
    int mostRank = -1;
    int pairs = 0;
    int highest = -1;
    for (int r = 0; r < 13; ++r) {
        const int n = counts[static_cast<std::size_t>(r)];
        if (r == wildRank || n == 0)
            continue;
        mask |= 1u << r;
        if (n > most) {
            most = n;
            mostRank = r;
        }
        if (n == 2)
            ++pairs;
        if (highest < 0 || PairStrength(r) > PairStrength(highest))
            highest = r;
    }
    const bool distinct = most <= 1;
    const bool straight = distinct && FitsStraight(mask);
    Shape s;
    if (suited && distinct && (mask & ~kRoyalRanks) == 0)
        s.made = wild == 0 ? Made::NaturalRoyal : (wild == 4 ? Made::FourDeuces : Made::WildRoyal);
    else if (wild == 4 && wildRank == kDeuceRank)
        s.made = Made::FourDeuces;
    else if (most + wild >= 5)
        s.made = Made::FiveOfAKind;
    else if (suited && straight)
        s.made = Made::StraightFlush;
    else if (most + wild >= 4) {
        s.made = Made::FourOfAKind;
        s.quadRank = mostRank;
        for (int r = 0; r < 13; ++r)
            if (r != mostRank && r != wildRank && counts[static_cast<std::size_t>(r)] > 0)
                s.kicker = r;
    } else if ((most == 3 && pairs == 1) || (wild == 1 && pairs == 2))
        s.made = Made::FullHouse;
    else if (suited)
        s.made = Made::Flush;
    else if (straight)
        s.made = Made::Straight;
    else if (most + wild >= 3)
        s.made = Made::ThreeOfAKind;
    else if (pairs == 2)
        s.made = Made::TwoPair;
    else if (most + wild >= 2) {
        s.made = Made::Pair;
        s.pairRank = wild > 0 ? highest : mostRank;
    }
    return s;
}

bool JacksOrBetterPair(int rank)
{
    return rank == 0 || rank >= 10;
}

bool LowQuad(int rank) // 2s, 3s, 4s
{
    return rank >= 1 && rank <= 3;
}

// The rows every non-wild family shares, below its quads, top down from first.
int LowerRow(Made made, int pairRank, int first)
{
    switch (made) {
    case Made::FullHouse:
        return first;
    case Made::Flush:
        return first + 1;
    case Made::Straight:
        return first + 2;
    case Made::ThreeOfAKind:
        return first + 3;
    case Made::TwoPair:
        return first + 4;
    case Made::Pair:
        return JacksOrBetterPair(pairRank) ? first + 5 : first + 6;
    default:
        return first + 6;
    }
}

int JacksRow(const RankCounts& counts, bool suited)
{
    const Shape s = ShapeOf(counts, suited, -1);
    constexpr std::array<HandClass, 7> kLower = {HandClass::FullHouse, HandClass::Flush,
                                                 HandClass::Straight,  HandClass::ThreeOfAKind,
                                                 HandClass::TwoPair,   HandClass::JacksOrBetter,
                                                 HandClass::Nothing};
    switch (s.made) {
    case Made::NaturalRoyal:
        return static_cast<int>(HandClass::RoyalFlush);
    case Made::StraightFlush:
        return static_cast<int>(HandClass::StraightFlush);
    case Made::FourOfAKind:
        return static_cast<int>(HandClass::FourOfAKind);
    default:
        return static_cast<int>(kLower[static_cast<std::size_t>(LowerRow(s.made, s.pairRank, 0))]);
    }
}

// The families without a wild card whose fours of a kind pay by rank: Royal
// 0, Straight Flush 1, the fours from row 2 as fours() names them, then the
// common rows from row common.
template <class Fours>
int FoursByRankRow(const RankCounts& counts, bool suited, int common, Fours fours)
{
    const Shape s = ShapeOf(counts, suited, -1);
    switch (s.made) {
    case Made::NaturalRoyal:
        return 0;
    case Made::StraightFlush:
        return 1;
    case Made::FourOfAKind:
        return fours(s.quadRank, s.kicker);
    default:
        return LowerRow(s.made, s.pairRank, common);
    }
}

// Bonus Poker and Double Bonus: Four Aces, Four 2s-4s, Four 5s-Ks.
int BonusRow(const RankCounts& counts, bool suited)
{
    return FoursByRankRow(counts, suited, 5,
                          [](int rank, int) { return rank == 0 ? 2 : (LowQuad(rank) ? 3 : 4); });
}

// Double Double Bonus: the Aces and the 2s-4s pay more with a low kicker.
int DoubleDoubleRow(const RankCounts& counts, bool suited)
{
    return FoursByRankRow(counts, suited, 7, [](int rank, int kicker) {
        if (rank == 0)
            return LowQuad(kicker) ? 2 : 4;
        if (LowQuad(rank))
            return kicker == 0 || LowQuad(kicker) ? 3 : 5;
        return 6;
    });
}

// Aces and Faces: Four Aces, Four Jacks-Kings, Four 2s-10s.
int AcesFacesRow(const RankCounts& counts, bool suited)
{
    return FoursByRankRow(counts, suited, 5,
                          [](int rank, int) { return rank == 0 ? 2 : (rank >= 10 ? 3 : 4); });
}

int DeucesRow(const RankCounts& counts, bool suited)
{
    constexpr std::array<Made, 10> kRows = {
        Made::NaturalRoyal,  Made::FourDeuces,  Made::WildRoyal, Made::FiveOfAKind,
        Made::StraightFlush, Made::FourOfAKind, Made::FullHouse, Made::Flush,
        Made::Straight,      Made::ThreeOfAKind};
    const Made made = ShapeOf(counts, suited, kDeuceRank).made;
    const auto it = std::find(kRows.begin(), kRows.end(), made);
    return static_cast<int>(it - kRows.begin()); // 10: nothing
}

int JokerRowWith(const RankCounts& counts, bool suited, bool kingsPay)
{
    constexpr std::array<Made, 10> kRows = {
        Made::NaturalRoyal, Made::FiveOfAKind, Made::WildRoyal, Made::StraightFlush,
        Made::FourOfAKind,  Made::FullHouse,   Made::Flush,     Made::Straight,
        Made::ThreeOfAKind, Made::TwoPair};
    const Shape s = ShapeOf(counts, suited, kJokerRank);
    if (s.made == Made::Pair)
        return kingsPay && (s.pairRank == 0 || s.pairRank == 12) ? 10 : (kingsPay ? 11 : 10);
    const auto it = std::find(kRows.begin(), kRows.end(), s.made);
    if (it == kRows.end())
        return kingsPay ? 11 : 10;
    return static_cast<int>(it - kRows.begin());
}

int JokerRow(const RankCounts& counts, bool suited)
{
    return JokerRowWith(counts, suited, true);
}

int JokerTwoPairRow(const RankCounts& counts, bool suited)
{
    return JokerRowWith(counts, suited, false);
}

std::vector<int> Numbered(int paying)
{
    std::vector<int> order(static_cast<std::size_t>(paying));
    for (int i = 0; i < paying; ++i)
        order[static_cast<std::size_t>(i)] = i;
    return order;
}

PayVector Pays(std::initializer_list<std::int64_t> topDown)
{
    PayVector pays{};
    std::copy(topDown.begin(), topDown.end(), pays.begin());
    return pays;
}

// A family whose rows are numbered top down, Nothing last.
Family TopDown(std::string_view key, std::string_view name, std::string_view alsoFor, Wild wild,
               std::vector<std::string_view> names, std::vector<std::string_view> shortNames,
               int (*rowOf)(const RankCounts&, bool), PayVector pays)
{
    Family f;
    f.key = key;
    f.name = name;
    f.alsoFor = alsoFor;
    f.wild = wild;
    f.payOrder = Numbered(static_cast<int>(names.size()));
    f.nothing = static_cast<int>(names.size());
    names.push_back("Nothing");
    shortNames.push_back("Nothing");
    f.legend = names;
    f.names = std::move(names);
    f.shortNames = std::move(shortNames);
    f.rowOf = rowOf;
    f.defaultPays = pays;
    return f;
}

Family Jacks()
{
    Family f;
    f.key = "jacks";
    f.name = "Jacks or Better";
    f.wild = Wild::None;
    f.payOrder = {
        static_cast<int>(HandClass::RoyalFlush),   static_cast<int>(HandClass::StraightFlush),
        static_cast<int>(HandClass::FourOfAKind),  static_cast<int>(HandClass::FullHouse),
        static_cast<int>(HandClass::Flush),        static_cast<int>(HandClass::Straight),
        static_cast<int>(HandClass::ThreeOfAKind), static_cast<int>(HandClass::TwoPair),
        static_cast<int>(HandClass::JacksOrBetter)};
    f.nothing = static_cast<int>(HandClass::Nothing);
    f.names.resize(hands::kHandClassCount);
    f.shortNames.resize(hands::kHandClassCount);
    f.legend.resize(hands::kHandClassCount);
    // The game's own words, with the usual poker words beside them.
    const std::array<std::pair<HandClass, std::pair<std::string_view, std::string_view>>, 10>
        kWords = {{
            {HandClass::RoyalFlush, {"Royal", "Royal Flush"}},
            {HandClass::StraightFlush, {"Flush", "Flush (straight flush)"}},
            {HandClass::FourOfAKind, {"Caret", "Caret (four of a kind)"}},
            {HandClass::FullHouse, {"Full H.", "Full House"}},
            {HandClass::Flush, {"Suit", "Suit (flush: five of one suit)"}},
            {HandClass::Straight, {"Straight", "Straight"}},
            {HandClass::ThreeOfAKind, {"3 kind", "3 of a kind"}},
            {HandClass::TwoPair, {"2 pairs", "Two Pairs (two pair)"}},
            {HandClass::JacksOrBetter, {"Jacks+", "2 of a kind (a pair of Jacks or better)"}},
            {HandClass::Nothing, {"Nothing", "Nothing"}},
        }};
    for (const auto& [row, words] : kWords) {
        const auto i = static_cast<std::size_t>(row);
        const std::string_view name = hands::PayRowOf(row).name;
        f.names[i] = name.empty() ? std::string_view("Nothing") : name;
        f.shortNames[i] = words.first;
        f.legend[i] = words.second;
    }
    f.rowOf = JacksRow;
    for (const hands::PayRow& row : hands::kPayTable)
        f.defaultPays[static_cast<std::size_t>(row.hand)] = row.multiplier;
    return f;
}

std::vector<Family> MakeFamilies()
{
    std::vector<Family> all;
    all.push_back(Jacks());
    const std::vector<std::string_view> lower = {"Full House",      "Flush",    "Straight",
                                                 "Three of a Kind", "Two Pair", "Jacks or Better"};
    const std::vector<std::string_view> lowerShort = {"Full H.", "Flush",   "Straight",
                                                      "3 kind",  "2 pairs", "Jacks+"};
    const auto with = [](std::vector<std::string_view> top,
                         const std::vector<std::string_view>& rest) {
        top.insert(top.end(), rest.begin(), rest.end());
        return top;
    };
    all.push_back(TopDown(
        "bonus", "Bonus Poker", "Double Bonus", Wild::None,
        with({"Royal Flush", "Straight Flush", "Four Aces", "Four 2s-4s", "Four 5s-Ks"}, lower),
        with({"Royal", "St.Flush", "4 Aces", "4 2-4", "4 5-K"}, lowerShort), BonusRow,
        Pays({800, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1})));
    all.push_back(TopDown(
        "double-double", "Double Double Bonus", "Triple Double Bonus", Wild::None,
        with({"Royal Flush", "Straight Flush", "Four Aces with a 2-4", "Four 2s-4s with an A-4",
              "Four Aces", "Four 2s-4s", "Four 5s-Ks"},
             lower),
        with({"Royal", "St.Flush", "4A+kick", "4 2-4+k", "4 Aces", "4 2-4", "4 5-K"}, lowerShort),
        DoubleDoubleRow, Pays({800, 50, 400, 160, 160, 80, 50, 9, 6, 4, 3, 1, 1})));
    all.push_back(TopDown(
        "aces-faces", "Aces and Faces", "", Wild::None,
        with({"Royal Flush", "Straight Flush", "Four Aces", "Four Jacks-Kings", "Four 2s-10s"},
             lower),
        with({"Royal", "St.Flush", "4 Aces", "4 J-K", "4 2-10"}, lowerShort), AcesFacesRow,
        Pays({800, 50, 80, 40, 25, 8, 5, 4, 3, 2, 1})));
    all.push_back(TopDown("deuces", "Deuces Wild", "", Wild::Deuces,
                          {"Natural Royal Flush", "Four Deuces", "Wild Royal Flush",
                           "Five of a Kind", "Straight Flush", "Four of a Kind", "Full House",
                           "Flush", "Straight", "Three of a Kind"},
                          {"Royal", "4 Deuces", "W.Royal", "5 kind", "St.Flush", "4 kind",
                           "Full H.", "Flush", "Straight", "3 kind"},
                          DeucesRow, Pays({800, 200, 25, 15, 9, 5, 3, 2, 2, 1})));
    const std::vector<std::string_view> joker = {"Natural Royal Flush",
                                                 "Five of a Kind",
                                                 "Wild Royal Flush",
                                                 "Straight Flush",
                                                 "Four of a Kind",
                                                 "Full House",
                                                 "Flush",
                                                 "Straight",
                                                 "Three of a Kind",
                                                 "Two Pair"};
    const std::vector<std::string_view> jokerShort = {"Royal",  "5 kind",  "W.Royal", "St.Flush",
                                                      "4 kind", "Full H.", "Flush",   "Straight",
                                                      "3 kind", "2 pairs"};
    all.push_back(TopDown("joker", "Joker Poker (Kings or Better)", "", Wild::Joker,
                          with(joker, {"Kings or Better"}), with(jokerShort, {"Kings+"}), JokerRow,
                          Pays({800, 200, 100, 50, 20, 7, 5, 3, 2, 1, 1})));
    all.push_back(TopDown("joker-two-pair", "Joker Poker (Two Pair or Better)", "", Wild::Joker,
                          joker, jokerShort, JokerTwoPairRow,
                          Pays({800, 100, 50, 50, 20, 10, 6, 5, 2, 1})));
    return all;
}

} // namespace

int Family::wildRank() const
{
    switch (wild) {
    case Wild::Deuces:
        return kDeuceRank;
    case Wild::Joker:
        return kJokerRank;
    case Wild::None:
        break;
    }
    return -1;
}

std::vector<int> Family::rowsTopDown() const
{
    std::vector<int> rows = payOrder;
    rows.push_back(nothing);
    return rows;
}

int Family::classify(std::span<const int, 5> hand) const
{
    RankCounts counts{};
    unsigned suits = 0;
    for (const int code : hand) {
        const int rank = RankOf(code);
        ++counts[static_cast<std::size_t>(rank)];
        if (rank != wildRank())
            suits |= 1u << SuitOf(code);
    }
    return rowOf(counts, (suits & (suits - 1)) == 0);
}

std::vector<int> Family::cards() const
{
    std::vector<int> all;
    for (int code = 1; code <= 52; ++code)
        all.push_back(code);
    if (wild == Wild::Joker)
        all.push_back(kJoker);
    return all;
}

std::string CardText(int code)
{
    return code == kJoker ? std::string("Jk") : cards::CardNotation(code);
}

std::string CardsText(std::span<const int> codes)
{
    std::string out;
    for (const int code : codes) {
        if (!out.empty())
            out += ' ';
        out += CardText(code);
    }
    return out;
}

const std::vector<Family>& Families()
{
    static const std::vector<Family> all = MakeFamilies();
    return all;
}

const Family& JacksFamily()
{
    return Families().front();
}

const Family* FindFamily(std::string_view key)
{
    for (const Family& f : Families())
        if (f.key == key)
            return &f;
    return nullptr;
}

} // namespace odds
