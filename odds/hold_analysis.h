#pragma once

#include "draw_tables.h"

#include <array>
#include <cstdint>
#include <span>

namespace odds {

// A hold is a 5-bit mask: bit i set keeps the card of place i.
constexpr int kHoldCount = 32;
constexpr int kAllHeld = kHoldCount - 1;

// The cards left after the deal, and the draws each hold can get from them.
constexpr int kStubSize = 47;
constexpr std::array<std::int64_t, 6> kDrawsByHeld = {1533939, 178365, 16215, 1081, 47, 1};
// The least common multiple of kDrawsByHeld, so that every hold's return is a
// whole number of 1/kReturnDenominator and holds compare exactly.
constexpr std::int64_t kReturnDenominator = 7669695;

constexpr std::int64_t DrawsFor(unsigned hold)
{
    return kDrawsByHeld[static_cast<std::size_t>(__builtin_popcount(hold))];
}

// For every hold of a dealt hand: how many of its draws end in each row.
using HoldTable = std::array<ClassCounts, kHoldCount>;

// Exact counts, by inclusion and exclusion over the discarded cards, with no
// hand ever evaluated.
void CountDraws(const DrawTables& tables, std::span<const int, 5> dealt, HoldTable& out);

// The return of a hold per unit bet, in units of 1/kReturnDenominator.
std::int64_t ScaledReturn(const ClassCounts& counts, unsigned hold, const PayVector& pays);

// The hold of highest return; among equal ones the lowest mask.
unsigned BestHold(const HoldTable& table, const PayVector& pays);

} // namespace odds
