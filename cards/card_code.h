#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A card is a code 1..52: 13 x suit index + rank. Codes 54..68 name card-back
// designs; 0 and 53 are never used.
namespace cards {

constexpr int kCardCount = 52;
constexpr int kFirstBack = 54;
constexpr int kLastBack = 68;
constexpr int kDefaultBack = 63;
constexpr int kBackCount = kLastBack - kFirstBack + 1;

// Ranks: 1 = Ace, 2..10, 11 = Jack, 12 = Queen, 13 = King.
constexpr int CardRank(int code)
{
    const int r = code % 13;
    return r == 0 ? 13 : r;
}

// Suit index 0..3 = clubs, diamonds, hearts, spades.
constexpr int CardSuit(int code)
{
    return (code - 1) / 13;
}

constexpr int MakeCard(int suit, int rank)
{
    return 13 * suit + rank;
}

constexpr bool IsCardCode(int code)
{
    return code >= 1 && code <= kCardCount;
}
constexpr bool IsBackCode(int code)
{
    return code >= kFirstBack && code <= kLastBack;
}

// Deck and Hand hold one card code per element; element 0 is the top of the
// deck, element k of a hand is card place k.
using CardString = std::vector<int>;

// "Qh", "Tc", "As": rank letter then suit letter, as players write hands.
std::string CardNotation(int code);
// "Queen of hearts", for screen readers.
std::string CardName(int code);

// Accepts a rank (A 2..9 T J Q K, or 10) followed by a suit letter c d h s,
// case-insensitive. Anything else gives nullopt.
std::optional<int> ParseCard(std::string_view text);

// Cards separated by blanks or commas, or written back to back ("KhQhJh").
// Fails on an unknown card; duplicates are the caller's business.
std::optional<CardString> ParseCards(std::string_view text);

std::string FormatCards(const CardString& cards);

// The card-back menu captions, with their access keys, by back code.
std::string_view BackCaption(int backCode);

// The file holding a code's picture in the card art: "queen_heart.svg", "back_castle.svg";
// any number that is neither a card nor a back gives "no_card.svg", the empty place.
std::string CardArtFile(int code);

} // namespace cards
