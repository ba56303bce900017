#pragma once

#include "card_code.h"

#include <array>
#include <cstdint>
#include <numeric>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace odds {

// Row slots of the widest family: its paying rows and Nothing.
constexpr int kClassCount = 14;

// One multiplier per row, indexed by the family's row numbers.
using PayVector = std::array<std::int64_t, kClassCount>;

// Large enough for any real table, small enough that exact sums never overflow.
constexpr std::int64_t kMaxPay = 1000000;

// The joker's card code, after the 52 cards (1..52).
constexpr int kJoker = 53;
// Ranks as the counting uses them: 0 = Ace, 1 = 2, ..., 12 = King, 13 = the joker.
constexpr int kRankValues = 14;
constexpr int kJokerRank = 13;
constexpr int kDeuceRank = 1;
using RankCounts = std::array<int, kRankValues>;

constexpr int RankOf(int code)
{
    return code == kJoker ? kJokerRank : cards::CardRank(code) - 1;
}
// "Qh", and "Jk" for the joker.
std::string CardText(int code);
// Cards written out with a blank between them.
std::string CardsText(std::span<const int> codes);
// 0..3; the joker has no suit and gives 4.
constexpr int SuitOf(int code)
{
    return code == kJoker ? 4 : cards::CardSuit(code);
}

constexpr std::int64_t Choose(int n, int k)
{
    if (k < 0 || n < 0 || k > n)
        return 0;
    std::int64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// What the size of the deck decides: the draws of each hold and the deals.
struct Deck
{
    int cards = 52;
    int stub = 47; // cards left after the deal
    std::array<std::int64_t, 6> drawsByHeld{};
    // The least common multiple of drawsByHeld, so that every hold's return
    // is a whole number of 1/denominator and holds compare exactly.
    std::int64_t denominator = 1;
    std::int64_t deals = 0;

    constexpr std::int64_t drawsFor(int held) const
    {
        return drawsByHeld[static_cast<std::size_t>(held)];
    }
};

constexpr Deck MakeDeck(int cards)
{
    Deck deck;
    deck.cards = cards;
    deck.stub = cards - 5;
    for (int held = 0; held <= 5; ++held) {
        deck.drawsByHeld[static_cast<std::size_t>(held)] = Choose(deck.stub, 5 - held);
        deck.denominator =
            std::lcm(deck.denominator, deck.drawsByHeld[static_cast<std::size_t>(held)]);
    }
    deck.deals = Choose(cards, 5);
    return deck;
}

inline constexpr Deck kDeck52 = MakeDeck(52);
inline constexpr Deck kDeck53 = MakeDeck(53);

enum class Wild
{
    None,
    Deuces,
    Joker,
};

// A family of video poker: its deck, its paying rows from the top down, and
// the rule that names the row of a final hand. Rows are numbered by the
// family; the Jacks or Better rows keep the game's own numbers
// (hands::HandClass), so that the game's evaluator indexes the counts as is.
struct Family
{
    std::string_view key;     // for --game
    std::string_view name;    // as players call it
    std::string_view alsoFor; // other games that use the same rows, or empty
    Wild wild = Wild::None;
    std::vector<int> payOrder;                // row numbers from the top down, as --pays lists them
    int nothing = 0;                          // the row of a hand that pays nothing
    std::vector<std::string_view> names;      // by row number
    std::vector<std::string_view> shortNames; // by row number, at most 8 characters
    std::vector<std::string_view> legend;     // by row number: name and the usual words
    // The row of five cards with these ranks; suited: the cards that are not
    // wild (all five when none is) share one suit.
    int (*rowOf)(const RankCounts& counts, bool suited) = nullptr;
    PayVector defaultPays{};

    const Deck& deck() const { return wild == Wild::Joker ? kDeck53 : kDeck52; }
    // The rank that is wild, or -1.
    int wildRank() const;
    std::size_t rowCount() const { return payOrder.size() + 1; }
    // The rows top down, Nothing last.
    std::vector<int> rowsTopDown() const;
    std::string_view rowName(int row) const { return names[static_cast<std::size_t>(row)]; }
    // The row of five card codes, worked out from the rule (no tables).
    int classify(std::span<const int, 5> hand) const;
    // The deck's card codes in order: 1..52, then the joker.
    std::vector<int> cards() const;
};

const std::vector<Family>& Families();
const Family& JacksFamily();
// By --game key; nullptr when there is none.
const Family* FindFamily(std::string_view key);

} // namespace odds
