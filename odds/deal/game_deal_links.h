// Written by tools/measure_deal.cpp: measure-deal 20000000 1
// Do not edit; rerun it when the shuffle changes.
// For k = 0..8: of the decks whose card at place k + 2 could be the
// successor of the card at place k + 1 (it is not among places 1..k + 1),
// how many, and how many had it there.
#pragma once

#include <array>
#include <cstdint>

namespace odds {

inline constexpr std::uint64_t kMeasuredDecks = 20000000ULL;
inline constexpr std::array<std::uint64_t, 9> kMeasuredFree = {
    20000000ULL, 19764408ULL, 19466846ULL, 19151598ULL, 18821982ULL,
    18492263ULL, 18160878ULL, 17822100ULL, 17487109ULL,
};
inline constexpr std::array<std::uint64_t, 9> kMeasuredNext = {
    3037386ULL, 3035427ULL, 3034321ULL, 3038088ULL, 3037898ULL,
    3038348ULL, 3038280ULL, 3035188ULL, 3037428ULL,
};

} // namespace odds
