#pragma once

#include "pay_table.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace odds {

constexpr int kClassCount = hands::kHandClassCount;

// One multiplier per hands::HandClass, indexed by it.
using PayVector = std::array<std::int64_t, kClassCount>;

// The nine paying rows from the top of the table down, the order in which
// --pays lists them: royal, straight flush, four of a kind, full house, flush,
// straight, three of a kind, two pairs, jacks or better.
inline constexpr std::array<hands::HandClass, kClassCount - 1> kPayOrder = {
    hands::HandClass::RoyalFlush,   hands::HandClass::StraightFlush,
    hands::HandClass::FourOfAKind,  hands::HandClass::FullHouse,
    hands::HandClass::Flush,        hands::HandClass::Straight,
    hands::HandClass::ThreeOfAKind, hands::HandClass::TwoPair,
    hands::HandClass::JacksOrBetter};

// Large enough for any real table, small enough that exact sums never overflow.
constexpr std::int64_t kMaxPay = 1000000;

PayVector GamePays();

inline std::string_view RowName(hands::HandClass hand)
{
    const std::string_view name = hands::PayRowOf(hand).name;
    return name.empty() ? std::string_view("Nothing") : name;
}

} // namespace odds
