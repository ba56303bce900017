#pragma once

#include <cstdint>

namespace odds {

// SplitMix64's output function: spreads the bits of a counter or a seed
// evenly, for block seeds and for hash keys.
constexpr std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

} // namespace odds
