#include "trainer.h"
#include "pay_text.h"

#include "strategy_command.h"

#include "card_code.h"
#include "command_line.h"
#include "deck.h"
#include "evaluator.h"
#include "game_deal.h"
#include "hold.h"
#include "random.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <unistd.h>

namespace odds {

namespace {

const char* const kTrainHelp =
    "Deals a hand and reads the cards to turn face down and exchange, as the game\n"
    "does: their places 1 to 5 (\"2 3 4\" or \"234\"), \"none\" to keep all five or\n"
    "\"all\" to draw five; \"q\" stops. Says at once whether that was the best hold\n"
    "and what a mistake costs, with the best hold and the strategy line that\n"
    "applies, then draws and shows the result and the win. At the end (N hands, \"q\"\n"
    "or the end of input) a summary: hands, mistakes, the return lost in total and\n"
    "per hand, and the three worst mistakes. Input may be piped; each answer read\n"
    "from a pipe is echoed after its prompt, so the transcript shows it.\n"
    "\n"
    "--deal fair deals from a uniformly shuffled deck; --deal game as the game does,\n"
    "its own shuffle, the draw refilling from the top, left to right. Holds are\n"
    "graded by their exact values for the deal played: a fair deck's, or the game's\n"
    "own deal's under the run model of hand --deal game. The strategy line quoted\n"
    "is a fair deck's. Results use the names of the game's table; strategy lines\n"
    "the standard poker words (see quintara-odds strategy --help). train has no\n"
    "--json output.";

constexpr std::uint64_t kMaxTrainHands = 1000000;

struct Mistake
{
    std::uint64_t hand = 0;
    std::array<int, 5> dealt{};
    unsigned held = 0;
    unsigned best = 0;
    std::int64_t lost = 0; // 1/deck.denominator of a unit bet
};

std::string CardText(int card, bool colour)
{
    const std::string text = odds::CardText(card);
    const int suit = SuitOf(card);
    if (!colour || card == kJoker)
        return text;
    // Diamonds and hearts red, clubs and spades bold.
    std::string out = suit == 1 || suit == 2 ? "\033[31m" : "\033[1m";
    out += text;
    out += "\033[0m";
    return out;
}

std::string HandText(const std::array<int, 5>& hand, bool colour)
{
    std::string out;
    for (const int card : hand) {
        if (!out.empty())
            out += ' ';
        out += CardText(card, colour);
    }
    return out;
}

std::string HeldText(const std::array<int, 5>& dealt, unsigned hold)
{
    if (hold == 0)
        return "nothing";
    if (hold == kAllHeld)
        return "all";
    return CardsText(Hold(hold).held(dealt));
}

// A return in units of 1/denominator of a unit bet, to four decimals.
std::string Bet(std::int64_t scaled, std::int64_t denominator)
{
    return FormatFraction(scaled, denominator, 4);
}

// The places to turn face down, as the game asks for them: "2 3 4", "234",
// "none" (keep all five), "all" (draw five). The hold kept; nullopt for
// anything else.
std::optional<unsigned> ParseFaceDown(const std::string& text)
{
    if (text == "none")
        return kAllHeld;
    if (text == "all")
        return 0u;
    unsigned faceDown = 0;
    for (const char c : text) {
        if (c >= '1' && c <= '5')
            faceDown |= 1u << (c - '1');
        else if (c != ' ' && c != ',' && c != '\t')
            return std::nullopt;
    }
    if (faceDown == 0)
        return std::nullopt;
    return Hold::FaceDown(faceDown).mask();
}

// "turn face down 3 4 5", "keep all five", "draw five".
std::string FaceDownText(unsigned hold)
{
    if (hold == kAllHeld)
        return "keep all five";
    if (hold == 0)
        return "draw five";
    std::string out = "turn face down";
    for (const int place : Hold(hold).faceDown())
        out += " " + std::to_string(place);
    return out;
}

std::string Trim(const std::string& text)
{
    const std::size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return "";
    const std::size_t end = text.find_last_not_of(" \t\r");
    std::string out = text.substr(begin, end - begin + 1);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Both deals: a fresh deck each hand, five from the top, the draw after them.
class Dealer
{
  public:
    Dealer(DealKind deal, std::uint64_t seed, const Family& family)
        : m_deal(deal), m_engine(seed), m_game(seed), m_cards(family.cards())
    {
    }

    std::array<int, 5> deal()
    {
        std::array<int, 5> hand{};
        if (m_deal == DealKind::Game) {
            cards::NewDeck(m_deck, m_game);
            cards::ShuffleDeck(m_deck, m_game);
            for (int& card : hand)
                card = cards::TakeCard(m_deck, m_game);
            return hand;
        }
        m_deck = m_cards;
        for (std::size_t i = m_deck.size() - 1; i > 0; --i)
            std::swap(m_deck[i], m_deck[Below(i + 1)]);
        m_next = 0;
        for (int& card : hand)
            card = m_deck[m_next++];
        return hand;
    }

    int draw()
    {
        if (m_deal == DealKind::Game)
            return cards::TakeCard(m_deck, m_game);
        return m_deck[m_next++];
    }

  private:
    // Uniform in 0..n-1, without the bias of a plain modulo.
    std::size_t Below(std::size_t n)
    {
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
        for (;;) {
            const std::uint64_t x = m_engine();
            if (x < limit)
                return static_cast<std::size_t>(x % n);
        }
    }

    DealKind m_deal;
    std::mt19937_64 m_engine;
    cards::SeededRandom m_game;
    cards::CardString m_cards; // the family's deck in order
    cards::CardString m_deck;
    std::size_t m_next = 0;
};

// What the player's hold was worth next to the best, and the strategy line
// that speaks for this hand.
struct Grade
{
    unsigned held = 0;
    unsigned best = 0;
    std::int64_t heldReturn = 0; // 1/deck.denominator of a unit bet
    std::int64_t bestReturn = 0;
    std::string lineText; // empty where the family has no list

    std::int64_t loss() const { return bestReturn - heldReturn; }
};

// The strategy and the tables every hand is graded by.
class Grader
{
  public:
    explicit Grader(const TrainerOptions& options)
        : m_tables(*options.family), m_pays(options.pays), m_lines(options.lines),
          m_exceptions(options.exceptions)
    {
        if (options.deal == DealKind::Game) {
            m_paid.emplace(m_tables, m_pays);
            m_game.emplace(*m_paid, GameDealModel());
        }
        if (m_lines.empty()) {
            Strategy strategy = StrategyData(m_tables, m_pays, 0).best(40);
            m_lines = std::move(strategy.lines);
            m_exceptions = std::move(strategy.exceptions);
        }
    }

    Grade grade(const std::array<int, 5>& dealt, unsigned held) const
    {
        HoldTable table;
        CountDraws(m_tables, dealt, table);
        const Deck& deck = m_tables.deck();
        Grade g;
        g.held = held;
        g.best = BestHold(table, m_pays, deck);
        g.bestReturn = ScaledReturn(table[g.best], g.best, m_pays, deck);
        g.heldReturn = ScaledReturn(table[held], held, m_pays, deck);
        g.lineText = LineText(dealt, table, g.bestReturn);
        if (m_game) {
            // Graded by the game's deal; the strategy is a fair deck's.
            const HoldValues values = m_game->values(dealt);
            const auto scaled = [&](unsigned h) {
                return std::llround(values[h] * static_cast<double>(deck.denominator));
            };
            g.best = BestOf(values);
            g.bestReturn = scaled(g.best);
            g.heldReturn = scaled(held);
            g.lineText = "for a fair deck, " + g.lineText;
        }
        return g;
    }

    std::int64_t denominator() const { return m_tables.deck().denominator; }

  private:
    // The line of the list that speaks for the hand, and what it holds when
    // that is not the best.
    std::string LineText(const std::array<int, 5>& dealt, const HoldTable& table,
                         std::int64_t bestReturn) const
    {
        const PatternBook& book = PatternBook::Get(m_tables.family());
        const unsigned listed =
            ListHold(m_lines, m_exceptions, dealt, table, m_pays, m_tables.family());
        const int pattern = book.patternOf(dealt, listed);
        std::size_t line = 0;
        while (line < m_lines.size() && std::find(m_lines[line].begin(), m_lines[line].end(),
                                                  pattern) == m_lines[line].end())
            ++line;
        std::string text =
            "line " + std::to_string(line + 1) + " of the strategy: " + book.name(pattern);
        if (ScaledReturn(table[listed], listed, m_pays, m_tables.deck()) < bestReturn)
            text += ", holds " + HeldText(dealt, listed) + " here";
        return text;
    }

    DrawTables m_tables;
    std::optional<PaidTables> m_paid;
    std::optional<GameDeal> m_game;
    PayVector m_pays;
    std::vector<StrategyLine> m_lines;
    std::vector<StrategyException> m_exceptions;
};

// The count of hands and mistakes and the worst three: only what the summary
// shows is kept, so endless input runs in flat memory.
class Tally
{
  public:
    explicit Tally(std::int64_t denominator) : m_denominator(denominator) {}

    void add(std::uint64_t hand, const std::array<int, 5>& dealt, const Grade& g)
    {
        ++m_played;
        const std::int64_t loss = g.loss();
        if (loss == 0)
            return;
        m_lost += loss;
        ++m_mistakes;
        // By loss, most first; the earlier hand first on a tie.
        const auto at =
            std::upper_bound(m_worst.begin(), m_worst.end(), loss,
                             [](std::int64_t l, const Mistake& m) { return l > m.lost; });
        if (at != m_worst.end() || m_worst.size() < kWorstShown) {
            m_worst.insert(at, {hand, dealt, g.held, g.best, loss});
            if (m_worst.size() > kWorstShown)
                m_worst.pop_back();
        }
    }

    std::uint64_t played() const { return m_played; }

    void report(std::ostream& out) const
    {
        out << "\nHands     " << m_played << "\nMistakes  " << m_mistakes << "\n";
        out << "Lost      " << FormatFraction(m_lost, m_denominator, 4) << " in total";
        if (m_played > 0)
            out << ", " << FormatFraction(m_lost, Wide(m_denominator) * m_played, 4) << " per hand";
        out << "\n";
        if (!m_worst.empty())
            out << "Worst mistakes\n";
        for (const Mistake& m : m_worst) {
            out << "  hand " << m.hand << ": " << HandText(m.dealt, false) << ", held "
                << HeldText(m.dealt, m.held) << ", best " << HeldText(m.dealt, m.best) << ", lost "
                << Bet(m.lost, m_denominator) << "\n";
        }
    }

  private:
    static constexpr std::size_t kWorstShown = 3;
    std::int64_t m_denominator;
    std::vector<Mistake> m_worst;
    std::uint64_t m_mistakes = 0;
    std::uint64_t m_played = 0;
    Wide m_lost = 0;
};

// Asks until the answer is a hold; nothing at "q" or the end of input. An
// answer from a pipe is echoed, as a terminal would have shown it.
std::optional<unsigned> AskHold(std::istream& in, std::ostream& out, bool echo)
{
    for (;;) {
        out << "Turn face down (places 1 to 5, none or all)? " << std::flush;
        std::string line;
        if (!std::getline(in, line)) {
            out << "\n";
            return std::nullopt;
        }
        if (echo)
            out << line << "\n";
        const std::string answer = Trim(line);
        if (answer == "q" || answer == "quit")
            return std::nullopt;
        if (const std::optional<unsigned> hold = ParseFaceDown(answer))
            return hold;
        out << "Type the places to turn face down (1 to 5), none to keep all five, all to\n"
               "draw five, or q.\n";
    }
}

void ReportGrade(std::ostream& out, const std::array<int, 5>& dealt, const Grade& g,
                 std::int64_t denominator)
{
    const auto bet = [denominator](std::int64_t scaled) { return Bet(scaled, denominator); };
    const std::string line = g.lineText.empty() ? "" : "; " + g.lineText;
    // Wrapped at 80 columns, under their text.
    if (g.loss() == 0) {
        out << Wrapped("Best hold ", "(returns " + bet(g.bestReturn) + line + ").");
        return;
    }
    out << Wrapped("Not the best: ", "holding " + HeldText(dealt, g.held) + " returns " +
                                         bet(g.heldReturn) + ", so it loses " + bet(g.loss()) +
                                         " per unit bet.")
        << Wrapped("Best: ", "hold " + HeldText(dealt, g.best) + " (" + FaceDownText(g.best) +
                                 "), returns " + bet(g.bestReturn) +
                                 (g.lineText.empty() ? "" : " (" + g.lineText + ")") + ".");
}

// Draws for the places given up and shows what the hand made.
void ReportDraw(std::ostream& out, Dealer& dealer, std::array<int, 5> hand, unsigned held,
                const TrainerOptions& options)
{
    for (const int place : Hold(held).faceDown())
        hand[static_cast<std::size_t>(place - 1)] = dealer.draw();
    const Family& family = *options.family;
    const int row = family.classify(hand);
    out << "Draw     " << HandText(hand, options.colour) << "   "
        << (row == family.nothing ? "nothing" : std::string(family.rowName(row))) << ", wins "
        << options.pays[static_cast<std::size_t>(row)] << "\n";
}

} // namespace

int RunTrainer(const TrainerOptions& options, std::istream& in, std::ostream& out)
{
    const Grader grader(options);
    Dealer dealer(options.deal, options.seed, *options.family);
    Tally tally(grader.denominator());
    const Family& family = *options.family;

    out << "Pays " << FormatPays(options.pays, family)
        << (&family == &JacksFamily() ? "" : " (" + std::string(family.name) + ")") << ", "
        << (options.deal == DealKind::Game ? "the game's deal" : "a fair deal") << ", seed "
        << options.seed << ".\n";
    out << RowLegend("Rows: ", family);
    if (options.deal == DealKind::Game)
        out << "Holds are graded by their values in the game's own deal (exact under a run\n"
               "model of its shuffle: see quintara-odds hand --help).\n";
    out << "Answer with the places of the cards to turn face down and exchange, as in the\n"
           "game (\"2 3 4\"); \"none\" keeps all five, \"all\" draws five; \"q\" stops.\n";
    while (options.hands == 0 || tally.played() < options.hands) {
        const std::array<int, 5> dealt = dealer.deal();
        out << "\nHand " << tally.played() + 1;
        if (options.hands > 0)
            out << " of " << options.hands;
        out << "   " << HandText(dealt, options.colour) << "\n";
        const std::optional<unsigned> hold = AskHold(in, out, options.echo);
        if (!hold)
            break;
        const Grade g = grader.grade(dealt, *hold);
        tally.add(tally.played() + 1, dealt, g);
        ReportGrade(out, dealt, g, grader.denominator());
        ReportDraw(out, dealer, dealt, *hold, options);
    }
    tally.report(out);
    return 0;
}

struct TrainArguments
{
    ValueOption hands;
    ValueOption seed;
    ValueOption deal;
};

void AddTrainCommand(CommandSet& commands)
{
    auto args = std::make_shared<TrainArguments>();
    CLI::App& train = commands.add(
        "train", "a trainer: you hold, it says what the choice cost", kTrainHelp,
        [args](const CommandContext& c) {
            if (c.json) // given before the command's name
                throw UsageError{"train talks to a person; it has no --json output"};
            TrainerOptions options;
            options.family = c.family;
            options.pays = c.pays;
            if (args->hands.given())
                options.hands = ParseWholeNumber("--hands", args->hands.text, 1, kMaxTrainHands);
            options.seed = SeedFrom(args->seed);
            options.deal = DealKindFrom(args->deal, "--deal");
            if (options.deal == DealKind::Game)
                RefuseGameDeal(*c.family, "--deal game");
            options.colour = &c.out == &std::cout && isatty(STDOUT_FILENO) == 1;
            options.echo = isatty(STDIN_FILENO) != 1;
            return RunTrainer(options, std::cin, c.out);
        },
        false);
    AddValueOption(train, "--hands", args->hands, "N",
                   "stop after N hands, 1 to " + std::to_string(kMaxTrainHands) +
                       " (default: until q)");
    AddValueOption(train, "--seed", args->seed, "S",
                   "0 to 18446744073709551615; the same seed deals the same hands");
    AddValueOption(train, "--deal", args->deal, "fair|game",
                   "fair: a uniformly shuffled deck (default); game: the game's deal");
}

} // namespace odds
