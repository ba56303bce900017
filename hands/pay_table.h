#pragma once

#include <array>
#include <string_view>

namespace hands {

// The results a final hand can have, in the order the evaluator tests them.
enum class HandClass
{
    RoyalFlush,
    StraightFlush, // the player's table calls it "Flush"
    Flush,         // five of one suit, not in sequence; "Suit" on the table
    Straight,
    FullHouse,
    TwoPair,
    FourOfAKind, // "Caret" on the table
    ThreeOfAKind,
    JacksOrBetter,
    Nothing,
};
constexpr int kHandClassCount = 10;

struct PayRow
{
    HandClass hand;
    std::string_view name; // as the player sees it; empty for Nothing
    int multiplier;
    std::string_view comment;
    std::string_view sound; // "DATA_" followed by the multiplier
};

// The one pay table of the game, in evaluation order (index = HandClass).
inline constexpr std::array<PayRow, kHandClassCount> kPayTable = {{
    {HandClass::RoyalFlush, "Royal Flush", 500, "It's a Royal Flush ! Wow !", "DATA_500"},
    {HandClass::StraightFlush, "Flush", 100, "A Flush ! Cool !", "DATA_100"},
    {HandClass::Flush, "Suit", 7, "All of one suit ! Yeah !", "DATA_7"},
    {HandClass::Straight, "Straight", 5, "Straight. Very well !", "DATA_5"},
    {HandClass::FullHouse, "Full House", 10, "A Cool Full House !", "DATA_10"},
    {HandClass::TwoPair, "Two Pairs", 2, "Well, at least something.", "DATA_2"},
    {HandClass::FourOfAKind, "Caret", 50, "A Caret, Extremely good !!!", "DATA_50"},
    {HandClass::ThreeOfAKind, "3 of a kind", 3, "Three of a kind !", "DATA_3"},
    {HandClass::JacksOrBetter, "2 of a kind (Jacks or better)", 1, "Your money back !", "DATA_1"},
    {HandClass::Nothing, "", 0, "Looser !", "DATA_0"},
}};

constexpr const PayRow& PayRowOf(HandClass hand)
{
    return kPayTable[static_cast<int>(hand)];
}

// The nine paying rows in ascending order of multiplier, as the pay table
// window lists them.
std::array<const PayRow*, kHandClassCount - 1> PayingRowsAscending();

// Sound of the welcome at start-up (also the "Suit" result) and of the end of the game.
inline constexpr std::string_view kWelcomeSound = "DATA_7";
inline constexpr std::string_view kFarewellSound = "DATA_DEF";

} // namespace hands
