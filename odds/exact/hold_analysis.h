#pragma once

#include "draw_tables.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace odds {

// A hold is a 5-bit mask: bit i set keeps the card of place i.
constexpr int kHoldCount = 32;
constexpr int kAllHeld = kHoldCount - 1;

// The 52-card deck's figures, which the game's own table uses: the cards
// left after the deal, the draws each hold can get from them, and their least
// common multiple (see Deck).
constexpr int kStubSize = kDeck52.stub;
constexpr std::array<std::int64_t, 6> kDrawsByHeld = kDeck52.drawsByHeld;
constexpr std::int64_t kReturnDenominator = kDeck52.denominator;
static_assert(kReturnDenominator == 7669695);

// Cards held by each hold; a table, since the baseline x86-64 has no popcount.
inline constexpr auto kHeldCount = [] {
    std::array<int, kHoldCount> held{};
    for (unsigned h = 0; h < kHoldCount; ++h)
        for (unsigned bit = 1; bit < kHoldCount; bit <<= 1)
            held[h] += (h & bit) ? 1 : 0;
    return held;
}();

constexpr std::int64_t DrawsFor(unsigned hold, const Deck& deck = kDeck52)
{
    return deck.drawsFor(kHeldCount[hold]);
}

// The 32 subsets of a dealt hand, numbered over the cards sorted by rank so
// that each subset lists its ranks in order and its multiset index grows one
// card at a time. place maps a subset back to a hold of card places.
struct HandSubsets
{
    std::array<int, kHoldCount> multiset{};
    std::array<unsigned, kHoldCount> suitedKey{}; // DrawTables::SuitedKey
    // One-suit hands: 4 when the subset has no natural card, 1 when its
    // natural cards share a suit, else 0.
    std::array<int, kHoldCount> suitMultiplier{};
    std::array<unsigned, kHoldCount> place{};

    // wildRank: the family's, or -1.
    explicit HandSubsets(std::span<const int, 5> dealt, int wildRank = -1);
    // Hands of the whole deck holding subset s, by row.
    ClassCounts containing(const DrawTables& tables, unsigned s) const;
};

// For every hold of a dealt hand: how many of its draws end in each row.
using HoldTable = std::array<ClassCounts, kHoldCount>;

// Exact counts, by inclusion and exclusion over the discarded cards, with no
// hand ever evaluated.
void CountDraws(const DrawTables& tables, std::span<const int, 5> dealt, HoldTable& out);

// The return of a hold per unit bet, in units of 1/deck.denominator.
std::int64_t ScaledReturn(const ClassCounts& counts, unsigned hold, const PayVector& pays,
                          const Deck& deck = kDeck52);

// Orders holds: higher return first; among equal returns the one that keeps
// fewer cards, then the lower mask. A few deals have equal holds with
// different rows (9c Tc Jc 8d Ah: 9-T-J or 8-9-T-J), and preferring fewer
// cards settles those the same way whatever order the cards come in.
constexpr bool BetterHold(std::int64_t scaledA, unsigned a, std::int64_t scaledB, unsigned b)
{
    if (scaledA != scaledB)
        return scaledA > scaledB;
    if (kHeldCount[a] != kHeldCount[b])
        return kHeldCount[a] < kHeldCount[b];
    return a < b;
}

// The first hold in BetterHold order.
unsigned BestHold(const HoldTable& table, const PayVector& pays, const Deck& deck = kDeck52);

// The paid total of every entry of the draw tables under one pay table, so
// that holds can be compared before any of their counts are needed.
class PaidTables
{
  public:
    PaidTables(const DrawTables& tables, const PayVector& pays);
    std::int64_t containing(int multiset) const
    {
        return m_containing[static_cast<std::size_t>(multiset)];
    }
    std::int64_t suitedShift(unsigned rankMask) const { return m_suitedShift[rankMask]; }

  private:
    std::vector<std::int64_t> m_containing;
    std::vector<std::int64_t> m_suitedShift;
};

// For each subset of the dealt hand, the paid total of the draws that keep
// exactly that subset (by HandSubsets numbering).
std::array<std::int64_t, kHoldCount> ExactPaid(const HandSubsets& subsets, const PaidTables& paid);

struct BestPlay
{
    unsigned hold = 0;
    std::int64_t scaledReturn = 0; // in units of 1/deck.denominator
    ClassCounts counts{};          // the draws of that hold, by row
    // Bit h set for every hold h as good as the best and of as many cards:
    // the holds BetterHold settles by mask alone.
    std::uint32_t ties = 0;
};

// BestHold and its counts at a fraction of the cost of CountDraws.
BestPlay PlayBest(const DrawTables& tables, const PaidTables& paid, std::span<const int, 5> dealt);

} // namespace odds
