#pragma once

#include "pays.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace odds {

namespace detail {

// A multiset of j ranks s1 <= ... <= sj (0-based, the joker 13) maps to the
// j-combination si + i - 1 of 13 + j values. Its colex rank, after the
// multisets of every smaller size, is one flat index for sizes 0..5.
// kGrowBy[size][rank] is what adding rank as element size + 1 adds to it.
inline constexpr auto kGrowBy = [] {
    std::array<std::array<int, kRankValues>, 5> grow{};
    for (int size = 0; size < 5; ++size)
        for (int r = 0; r < kRankValues; ++r)
            grow[size][r] =
                static_cast<int>(Choose(kRankValues - 1 + size, size) + Choose(r + size, size + 1));
    return grow;
}();

} // namespace detail

// Hands counted by their final row, indexed by hands::HandClass.
using ClassCounts = std::array<std::int32_t, kClassCount>;

// What a five-card hand is worth depends only on its multiset of ranks and on
// whether the cards that are not wild share one suit. These tables hold, per
// rank multiset of up to five cards, how many of the deck's hands contain a
// given set of cards with those ranks, and per set of cards whose natural
// ones share a suit, how many of those hands keep that suit. Every entry
// comes from the family's rule.
class DrawTables
{
  public:
    explicit DrawTables(const Family& family = JacksFamily());

    // Multisets of 0..5 ranks, each a sorted run of 0-based ranks (Ace = 0).
    static constexpr int kMultisetCount = 11628;
    // A suited key: the natural ranks (13 bits) and the wild cards among them.
    static constexpr unsigned kSuitedSetCount = 5u << 13;
    static constexpr unsigned SuitedKey(unsigned naturalRanks, int wilds)
    {
        return naturalRanks | (static_cast<unsigned>(wilds) << 13);
    }
    // Index of the multiset grown by a rank no lower than any already in it.
    static int GrowMultiset(int index, int size, int rank0)
    {
        return index + detail::kGrowBy[size][rank0];
    }

    // Hands that hold a given set of cards whose ranks are this multiset,
    // counted by the row the ranks alone decide (never a one-suit row).
    const ClassCounts& containing(int multiset) const { return m_containing[multiset]; }
    // For a set of cards whose natural ones share a suit (by SuitedKey): the
    // hands holding them whose natural cards all keep that suit, added to
    // their one-suit rows and taken from the rows their ranks alone would give.
    const ClassCounts& suitedShift(unsigned key) const { return m_suitedShift[key]; }

    // The row of a hand of five distinct card codes, by table lookup.
    int classify(std::span<const int, 5> hand) const;
    // Hands of each row among all the deck's deals.
    const ClassCounts& allHands() const { return m_allHands; }
    const Family& family() const { return *m_family; }
    const Deck& deck() const { return m_family->deck(); }

  private:
    const Family* m_family;
    std::vector<std::int8_t> m_rankClass;   // by multiset index, size 5
    std::vector<std::int8_t> m_suitedClass; // by suited key, five cards
    std::vector<ClassCounts> m_containing;  // by multiset index
    std::vector<ClassCounts> m_suitedShift; // by suited key
    ClassCounts m_allHands{};
};

} // namespace odds
