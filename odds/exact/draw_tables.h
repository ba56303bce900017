#pragma once

#include "evaluator.h"
#include "pays.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace odds {

namespace detail {

constexpr std::int64_t Choose(int n, int k)
{
    if (k < 0 || n < 0 || k > n)
        return 0;
    std::int64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// A multiset of j ranks s1 <= ... <= sj (0-based) maps to the j-combination
// si + i - 1 of 12 + j values. Its colex rank, after the multisets of every
// smaller size, is one flat index for sizes 0..5. kGrowBy[size][rank] is what
// adding rank as element size + 1 adds to that index.
inline constexpr auto kGrowBy = [] {
    std::array<std::array<int, 13>, 5> grow{};
    for (int size = 0; size < 5; ++size)
        for (int r = 0; r < 13; ++r)
            grow[size][r] = static_cast<int>(Choose(12 + size, size) + Choose(r + size, size + 1));
    return grow;
}();

} // namespace detail

// Hands counted by their final row, indexed by hands::HandClass.
using ClassCounts = std::array<std::int32_t, kClassCount>;

// What a five-card hand is worth depends only on its multiset of ranks and on
// whether all five suits agree. These tables hold, per rank multiset of up to
// five cards, how many of the 2,598,960 hands contain a given set of cards
// with those ranks, and per set of ranks of one suit, how many of those hands
// are five of that suit. Every entry comes from hands::ClassifyHand.
class DrawTables
{
  public:
    DrawTables();

    // Multisets of 0..5 ranks, each a sorted run of 0-based ranks (Ace = 0).
    static constexpr int kMultisetCount = 8568;
    static constexpr unsigned kSuitedSetCount = 1u << 13;
    // Index of the multiset grown by a rank no lower than any already in it.
    static int GrowMultiset(int index, int size, int rank0)
    {
        return index + detail::kGrowBy[size][rank0];
    }

    // Hands that hold a given set of cards whose ranks are this multiset,
    // counted by the row the ranks alone decide (never a one-suit row).
    const ClassCounts& containing(int multiset) const { return m_containing[multiset]; }
    // For a set of ranks of one suit (a 13-bit mask, bit = 0-based rank): the
    // one-suit hands holding them, added to their one-suit rows and taken from
    // the rows their ranks alone would give.
    const ClassCounts& suitedShift(unsigned rankMask) const { return m_suitedShift[rankMask]; }

    // The row of a hand of five distinct card codes, by table lookup.
    hands::HandClass classify(std::span<const int, 5> hand) const;
    // Hands of each row among all 2,598,960.
    const ClassCounts& allHands() const { return m_allHands; }

  private:
    std::vector<hands::HandClass> m_rankClass;   // by multiset index, size 5
    std::vector<hands::HandClass> m_suitedClass; // by 13-bit rank mask
    std::vector<ClassCounts> m_containing;       // by multiset index
    std::vector<ClassCounts> m_suitedShift;      // by 13-bit rank mask
    ClassCounts m_allHands{};
};

} // namespace odds
