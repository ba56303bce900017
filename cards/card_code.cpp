#include "card_code.h"

#include <array>
#include <cctype>

namespace cards {
namespace {

constexpr std::string_view kRankLetters = "A23456789TJQK";
constexpr std::string_view kSuitLetters = "cdhs";
constexpr std::array<std::string_view, 13> kRankNames = {
    "Ace", "2", "3", "4", "5", "6", "7", "8", "9", "10", "Jack", "Queen", "King"};
constexpr std::array<std::string_view, 4> kSuitNames = {"clubs", "diamonds", "hearts", "spades"};
// The card-back designs in menu order, codes 54 to 68: the menu caption with its access key,
// and the picture's file in the card art.
struct BackDesign
{
    std::string_view caption;
    std::string_view file;
};
constexpr std::array<BackDesign, kBackCount> kBacks = {{
    {"&Pattern 1", "back_blue_lattice"},
    {"Pa&ttern 2", "back_red_rings"},
    {"&Robot", "back_robot"},
    {"R&ose", "back_rose"},
    {"&Green Vines", "back_green_vines"},
    {"Blue &Vines", "back_blue_vines"},
    {"&4 Fishes", "back_four_fishes"},
    {"&3 Fishes", "back_three_fishes"},
    {"Se&ashell", "back_seashell"},
    {"&Castle", "back_castle"},
    {"&Beach", "back_beach"},
    {"&Sleeve", "back_sleeve"},
    {"Spac&e", "back_space"},
    {"Pea&ks", "back_peaks"},
    {"Rainbo&w", "back_rainbow"},
}};
constexpr std::array<std::string_view, 13> kRankFiles = {
    "ace", "2", "3", "4", "5", "6", "7", "8", "9", "10", "jack", "queen", "king"};
constexpr std::array<std::string_view, 4> kSuitFiles = {"club", "diamond", "heart", "spade"};

std::optional<int> RankOf(char c)
{
    const auto pos =
        kRankLetters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    if (pos == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(pos) + 1;
}

std::optional<int> SuitOf(char c)
{
    const auto pos =
        kSuitLetters.find(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (pos == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(pos);
}

bool IsSeparator(char c)
{
    return c == ',' || std::isspace(static_cast<unsigned char>(c));
}

} // namespace

std::string CardNotation(int code)
{
    if (!IsCardCode(code))
        return "??";
    return {kRankLetters[CardRank(code) - 1], kSuitLetters[CardSuit(code)]};
}

std::string CardName(int code)
{
    if (IsBackCode(code))
        return "Face down";
    if (!IsCardCode(code))
        return "No card";
    return std::string(kRankNames[CardRank(code) - 1]) + " of " +
           std::string(kSuitNames[CardSuit(code)]);
}

std::optional<int> ParseCard(std::string_view text)
{
    if (text.size() == 3 && text.substr(0, 2) == "10") {
        const auto suit = SuitOf(text[2]);
        return suit ? std::optional(MakeCard(*suit, 10)) : std::nullopt;
    }
    if (text.size() != 2)
        return std::nullopt;
    const auto rank = RankOf(text[0]);
    const auto suit = SuitOf(text[1]);
    if (!rank || !suit)
        return std::nullopt;
    return MakeCard(*suit, *rank);
}

std::optional<CardString> ParseCards(std::string_view text)
{
    CardString result;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsSeparator(text[i])) {
            ++i;
            continue;
        }
        // "10x" is the only three-character card.
        const std::size_t len = (text.substr(i, 2) == "10") ? 3 : 2;
        if (i + len > text.size())
            return std::nullopt;
        const auto card = ParseCard(text.substr(i, len));
        if (!card)
            return std::nullopt;
        result.push_back(*card);
        i += len;
    }
    return result;
}

std::string FormatCards(const CardString& cards)
{
    std::string out;
    for (const int c : cards) {
        if (!out.empty())
            out += ' ';
        out += CardNotation(c);
    }
    return out;
}

std::string_view BackCaption(int backCode)
{
    return IsBackCode(backCode) ? kBacks[backCode - kFirstBack].caption : std::string_view{};
}

std::string CardArtFile(int code)
{
    if (IsBackCode(code))
        return std::string(kBacks[code - kFirstBack].file) + ".svg";
    if (!IsCardCode(code))
        return "no_card.svg";
    return std::string(kRankFiles[CardRank(code) - 1]) + '_' +
           std::string(kSuitFiles[CardSuit(code)]) + ".svg";
}

} // namespace cards
