#include "commands.h"

#include "card_code.h"

#include <algorithm>
#include <memory>

namespace odds {
namespace {

const char* const kHandHelp =
    "Lists all 32 ways to hold the five dealt cards, best first, with the exact\n"
    "return per unit bet and the chance of each paying row after the draw.\n"
    "Equal returns list the hold of fewer cards first, then by hold mask\n"
    "(bit i = card place i); the best hold is the first.\n"
    "\n"
    "CARDS is five cards: a rank A 2-9 T J Q K (or 10) and a suit c d h s (or the\n"
    "symbols \u2663 \u2666 \u2665 \u2660), apart or back to back, e.g. \"Kh Qh Jh Th 2s\",\n"
    "\"10h,Jh,Qh,Kh,Ah\", KhQhJhTh2s or \"K\u2665 Q\u2665 J\u2665 10\u2665 2\u2660\". With\n"
    "--game joker the joker is Jk (or Joker, or X), a word of its own.\n"
    "\n"
    "--deal game values every hold in the game's own deal, beside its fair value,\n"
    "best for the game's deal first; give the cards in the order dealt, left to\n"
    "right. The game's shuffle cuts the ordered deck into blocks and moves them\n"
    "without turning them round, so the deck is a string of runs: after a card its\n"
    "successor (the next rank of its suit; a King's is the next suit's Ace, the\n"
    "King of spades' the Ace of clubs) comes next far more often than by chance.\n"
    "The draw takes the cards after card 5. The values are exact under this run\n"
    "model: each drawn card is the successor of the one before it with the chance\n"
    "measured on the game's shuffle (about 0.14 to 0.15, given that card is still\n"
    "unseen), else uniform among the unseen cards; card 5's run and one new run\n"
    "are followed, the cards after the new run are uniform. simulate --play game\n"
    "plays these holds on the game's real shuffle.";

// The suit symbols as the cards show them, for players who paste a hand.
std::string SuitLetters(std::string text)
{
    static const std::array<std::pair<std::string_view, char>, 8> symbols = {{{"♣", 'c'},
                                                                              {"♦", 'd'},
                                                                              {"♥", 'h'},
                                                                              {"♠", 's'},
                                                                              {"♧", 'c'},
                                                                              {"♢", 'd'},
                                                                              {"♡", 'h'},
                                                                              {"♤", 's'}}};
    for (const auto& [symbol, letter] : symbols)
        for (std::size_t at = text.find(symbol); at != std::string::npos;
             at = text.find(symbol, at + 1))
            text.replace(at, symbol.size(), 1, letter);
    return text;
}

bool IsJokerWord(std::string word)
{
    for (char& c : word)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == "jk" || word == "joker" || word == "x";
}

std::array<int, 5> DealtCards(const std::vector<std::string>& words, const Family& family)
{
    std::vector<int> parsed;
    std::string word;
    std::string text;
    for (const std::string& part : words)
        text += SuitLetters(part) + ' ';
    for (const char c : text) {
        if (c != ' ' && c != ',' && c != '\t' && c != '\n') {
            word += c;
            continue;
        }
        if (word.empty())
            continue;
        // The joker stands alone as a word: Jk, Joker or X.
        if (family.wild == Wild::Joker && IsJokerWord(word)) {
            parsed.push_back(kJoker);
        } else if (const auto cards = cards::ParseCards(word)) {
            parsed.insert(parsed.end(), cards->begin(), cards->end());
        } else {
            throw UsageError{"unknown card in " + Quote(word) +
                             "; write cards like Kh, Td, 10d or K♥" +
                             std::string(family.wild == Wild::Joker ? ", the joker as Jk" : "")};
        }
        word.clear();
    }
    if (parsed.size() != 5)
        throw UsageError{"hand needs exactly 5 cards, got " + std::to_string(parsed.size())};
    std::array<int, 5> dealt{};
    std::copy(parsed.begin(), parsed.end(), dealt.begin());
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < i; ++j)
            if (dealt[i] == dealt[j])
                throw UsageError{"card " + CardText(dealt[i]) + " given twice"};
    return dealt;
}

struct HandOptions
{
    std::vector<std::string> words;
    ValueOption deal;
};

} // namespace

void AddHandCommand(CommandSet& commands)
{
    auto options = std::make_shared<HandOptions>();
    CLI::App& hand = commands.add(
        "hand", "the return of each of the 32 holds of a dealt hand, best first", kHandHelp,
        [options](const CommandContext& c) {
            const bool game = DealKindFrom(options->deal, "--deal") == DealKind::Game;
            if (game)
                RefuseGameDeal(*c.family, "--deal game");
            const std::array<int, 5> dealt = DealtCards(options->words, *c.family);
            const DrawTables tables(*c.family);
            HoldTable table;
            CountDraws(tables, dealt, table);
            if (game) {
                const PaidTables paid(tables, c.pays);
                const DealModel model = GameDealModel();
                Print(c, BuildGameHandReport(dealt, table, GameDeal(paid, model).values(dealt),
                                             model, c.pays, *c.family));
            } else {
                Print(c, BuildHandReport(dealt, table, c.pays, *c.family));
            }
            return kExitOk;
        });
    hand.add_option("CARDS", options->words, "the five dealt cards, in the order dealt")
        ->type_name("");
    AddValueOption(hand, "--deal", options->deal, "DEAL",
                   "fair (default): values for a uniformly shuffled deck; game: for the game's "
                   "own deal, beside the fair ones");
}

} // namespace odds
