#pragma once

#include "pay_table.h"

#include <array>
#include <span>
#include <string>

namespace hands {

// Five small values in card-place order: suit indexes or ranks.
using Seq5 = std::array<int, 5>;
using Hand5 = std::span<const int, 5>;

// Fills the suit and rank sequences of a hand of five card codes.
void SplitHand(Hand5 hand, Seq5& suits, Seq5& ranks);
Seq5 SortChars(Seq5 values);
bool IsOneSuit(const Seq5& suits);
bool IsStraight(const Seq5& ranks); // Ace low or high, never wrapping past the King
bool IsFullHouse(const Seq5& ranks);
bool IsTwoPairs(const Seq5& ranks);
// 0 = nothing that pays, 2 = one pair of Jacks or better, 3 = three, 4 = four of a kind.
int CountOfAKind(const Seq5& ranks);

// The first row of the pay table whose test the hand passes.
HandClass ClassifyHand(Hand5 hand);

// Returns the multiplier and writes the deciding row's comment, on every call.
int EvaluateHand(Hand5 hand, std::string& comment);

} // namespace hands
