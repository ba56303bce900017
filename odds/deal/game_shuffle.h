#pragma once

#include "card_code.h"

#include <array>
#include <cstdint>

namespace cards {
class Random;
}

// The game's own shuffle, fast: 52 triple cuts of the fresh deck, of which
// only the top ten cards are followed, the five dealt and the five drawn.
namespace odds {

constexpr int kTopCards = 10;                // five dealt, at most five drawn
constexpr int kCuts = 2 * cards::kCardCount; // random numbers per shuffle

// The top cards after the shuffle whose cut points are cut[0..kCuts).
std::array<int, kTopCards> TopAfterCuts(const std::int32_t* cut);

// The first ten cards of a fresh deck after cards::ShuffleDeck, drawing the
// same random numbers, without moving the other 42 cards.
std::array<int, kTopCards> ShuffledTop(cards::Random& random);

// cards::SeededRandom's numbers, with next() inlined in the hot loop.
// The cut points that cards::SeededRandom's numbers give, three shuffles'
// worth at a time: std::mt19937_64 with its 312 words twisted and tempered
// two at a time, then cards::UnitFloat and cards::CutPoint on four at a time.
class CutSource
{
  public:
    explicit CutSource(std::uint64_t seed)
    {
        m_state[0] = seed;
        for (std::size_t i = 1; i < kWords; ++i)
            m_state[i] = 6364136223846793005ULL * (m_state[i - 1] ^ (m_state[i - 1] >> 62)) + i;
    }

    // The cuts of the next shuffle.
    const std::int32_t* next()
    {
        if (m_used == kWords) {
            refill();
            m_used = 0;
        }
        const std::int32_t* cuts = m_cuts.data() + m_used;
        m_used += kCuts;
        return cuts;
    }

  private:
    static constexpr std::size_t kWords = 312;
    static constexpr std::size_t kShift = 156;
    static constexpr std::uint64_t kMatrix = 0xb5026f5aa96619e9ULL;
    static constexpr std::uint64_t kUpper = ~std::uint64_t{0} << 31;
    static_assert(kWords % kCuts == 0);

    static std::uint64_t Twisted(std::uint64_t word, std::uint64_t nextWord, std::uint64_t far)
    {
        const std::uint64_t y = (word & kUpper) | (nextWord & ~kUpper);
        return far ^ (y >> 1) ^ ((y & 1) ? kMatrix : 0);
    }
    static std::uint64_t Tempered(std::uint64_t z)
    {
        z ^= (z >> 29) & 0x5555555555555555ULL;
        z ^= (z << 17) & 0x71d67fffeda60000ULL;
        z ^= (z << 37) & 0xfff7eee000000000ULL;
        return z ^ (z >> 43);
    }

    // Twists the generator's words and turns them into the next shuffles' cuts.
    void refill();

    std::array<std::uint64_t, kWords> m_state{};
    std::array<std::int32_t, kWords> m_cuts{};
    std::size_t m_used = kWords;
};

} // namespace odds
