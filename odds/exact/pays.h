#pragma once

#include "family.h"
#include "pay_table.h"

#include <array>
#include <cstdint>

namespace odds {

// The game's nine paying rows from the top of the table down, the order in
// which --pays lists them: royal, straight flush, four of a kind, full house,
// flush, straight, three of a kind, two pairs, jacks or better.
inline constexpr std::array<hands::HandClass, hands::kHandClassCount - 1> kPayOrder = {
    hands::HandClass::RoyalFlush,   hands::HandClass::StraightFlush,
    hands::HandClass::FourOfAKind,  hands::HandClass::FullHouse,
    hands::HandClass::Flush,        hands::HandClass::Straight,
    hands::HandClass::ThreeOfAKind, hands::HandClass::TwoPair,
    hands::HandClass::JacksOrBetter};

// The game's own table, by the game's row numbers.
PayVector GamePays();

} // namespace odds
