#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <span>
#include <vector>

namespace odds {

// Up to five cards picked from a dealt hand, in card-place order.
struct CardPick
{
    std::array<int, 5> cards{};
    std::size_t size = 0;

    const int* begin() const { return cards.data(); }
    const int* end() const { return cards.data() + size; }
    bool empty() const { return size == 0; }
};

// What a player keeps of a dealt hand: bit i of the mask keeps card place i
// (0-based; the player numbers the places 1 to 5).
class Hold
{
  public:
    constexpr Hold() = default;
    constexpr explicit Hold(unsigned mask) : m_mask(mask & 31u) {}
    // The hold that turns face down the places 1..5 set in places (bit p-1).
    static constexpr Hold FaceDown(unsigned places) { return Hold(~places & 31u); }

    constexpr unsigned mask() const { return m_mask; }
    constexpr bool keeps(int place) const { return ((m_mask >> place) & 1u) != 0; }
    constexpr int count() const { return std::popcount(m_mask); }
    constexpr bool all() const { return m_mask == 31u; }

    CardPick held(std::span<const int, 5> dealt) const { return pick(dealt, true); }
    CardPick thrown(std::span<const int, 5> dealt) const { return pick(dealt, false); }
    // The places, 1 to 5, to turn face down for the draw.
    std::vector<int> faceDown() const
    {
        std::vector<int> places;
        for (int i = 0; i < 5; ++i)
            if (!keeps(i))
                places.push_back(i + 1);
        return places;
    }
    // The final hand: the kept places as dealt, the others filled in order
    // from drawn.
    template <class Cards>
    std::array<int, 5> drawn(std::span<const int, 5> dealt, const Cards& drawn) const
    {
        std::array<int, 5> hand{};
        std::size_t next = 0;
        for (std::size_t i = 0; i < 5; ++i)
            hand[i] = keeps(static_cast<int>(i)) ? dealt[i] : drawn[next++];
        return hand;
    }

  private:
    CardPick pick(std::span<const int, 5> dealt, bool kept) const
    {
        CardPick out;
        for (std::size_t i = 0; i < 5; ++i)
            if (keeps(static_cast<int>(i)) == kept)
                out.cards[out.size++] = dealt[i];
        return out;
    }

    unsigned m_mask = 0;
};

} // namespace odds
