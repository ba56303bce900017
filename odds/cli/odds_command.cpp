#include "odds_command.h"
#include "pay_text.h"

#include "bankroll_search.h"
#include "card_code.h"
#include "command_line.h"
#include "odds_report.h"
#include "strategy_command.h"
#include "trainer.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <type_traits>

namespace odds {
namespace {

// A report in the form the command line asked for.
template <class Report> void Print(const CommandContext& c, const Report& report)
{
    c.out << (c.json ? RenderJson(report) : RenderText(report));
}

constexpr std::uint64_t kMaxHands = 1000000000000ULL;
constexpr int kMaxPlays = 100;

const char* const kAbout = "Exact odds for Quintara's Jacks or better game.";

const char* const kFooter = "Bad input gives one line on standard error and exit code 2.\n"
                            "A command's own options: quintara-odds COMMAND --help.";

const char* const kHandHelp =
    "Lists all 32 ways to hold the five dealt cards, best first, with the exact\n"
    "return per unit bet and the chance of each paying row after the draw.\n"
    "Equal returns list the hold of fewer cards first, then by hold mask\n"
    "(bit i = card place i); the best hold is the first.\n"
    "\n"
    "CARDS is five cards: a rank A 2-9 T J Q K (or 10) and a suit c d h s (or the\n"
    "symbols \u2663 \u2666 \u2665 \u2660), apart or back to back, e.g. \"Kh Qh Jh Th 2s\",\n"
    "\"10h,Jh,Qh,Kh,Ah\", KhQhJhTh2s or \"K\u2665 Q\u2665 J\u2665 10\u2665 2\u2660\".\n"
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

const char* const kReturnHelp =
    "Plays the best hold on every one of the 2,598,960 deals and prints the exact\n"
    "return per unit bet, as a reduced fraction and to 10 decimals, with the\n"
    "variance and standard deviation of one hand's payout and the hit frequency\n"
    "(the share of final hands that pay anything).\n"
    "\n"
    "Each deal is weighted by 7,669,695 (5 x C(47,5)), so that every hold's draws\n"
    "count as whole numbers: 19,933,230,517,200 combinations in all. Per final row\n"
    "it prints the combinations, the chance before and after the draw, the cycle\n"
    "(one in so many hands) and the row's part of the return per unit bet.\n"
    "\n"
    "Where holds of a deal tie on return, the one of fewer cards is played, then\n"
    "the one of lower hold mask (bit i = card place i). The return does not depend\n"
    "on it; the combinations of each row, the variance and the N-play figures do.\n"
    "\n"
    "--plays N gives the standard deviation per hand of N-play, where the N hands\n"
    "share the held cards and each draws from its own copy of the rest of the\n"
    "deck: sqrt(E[Var(X | deal)] + N x Var(E[X | deal])).";

const char* const kSimulateHelp =
    "Deals N hands the way the game does (a fresh deck put through the game's\n"
    "shuffle, five cards from the top, the discarded places refilled from the top,\n"
    "left to right), holds the best cards each time, and sets the observed return\n"
    "and rows beside the exact figures for a fair deck. The same seed gives the\n"
    "same result whatever the thread count.\n"
    "\n"
    "--play game plays the best hold for the game's own deal (see hand --help) and\n"
    "sets its return beside the fair deck's best hold on the very same deals: the\n"
    "gain and its standard error come from the hand-by-hand differences. It takes\n"
    "about 0.1 ms a hand on one core.\n"
    "\n"
    "On a terminal a long run shows a progress bar and, once its pace is known,\n"
    "how long it will take. Ctrl+C ends it with the figures of the hands played\n"
    "so far (whole blocks of 4096), marked as stopped, and exit code 130.";

// Usage lines read "quintara-odds hand CARDS... [OPTIONS]": what a command
// needs first, then what it takes.
class UsageFormatter final : public CLI::Formatter
{
  public:
    std::string make_usage(const CLI::App* app, std::string name) const override
    {
        std::string out = get_label("Usage") + ": " + name;
        for (const CLI::Option* opt :
             app->get_options([](const CLI::Option* o) { return o->get_positional(); }))
            out += " " + opt->get_name();
        if (!app->get_subcommands([](const CLI::App* sub) { return !sub->get_name().empty(); })
                 .empty())
            out += " COMMAND";
        return out + " [OPTIONS]\n";
    }
};

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Redraws a one-line bar on err until the run finishes, then wipes it.
class ProgressBar
{
  public:
    // The work of the first k of total hands grows as (k / total)^growth;
    // a total of 0 is a run of unknown length.
    ProgressBar(std::ostream& err, std::uint64_t total, const std::atomic<std::uint64_t>& done,
                double growth = 1)
        : m_err(err), m_total(total), m_done(done), m_growth(growth), m_thread([this] { run(); })
    {
    }
    ~ProgressBar()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
        m_err << "\r\033[2K" << std::flush;
    }

  private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        std::optional<std::pair<std::chrono::steady_clock::time_point, std::uint64_t>> first;
        std::string left;
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; })) {
            const std::uint64_t done = m_done.load();
            if (m_total == 0) { // a run whose length is not known: the count only
                m_err << "\r" << done << " hands so far; Ctrl+C stops with the figures so far"
                      << "\033[K" << std::flush;
                continue;
            }
            const auto now = std::chrono::steady_clock::now();
            // The pace is taken from the hands themselves, once they run.
            if (!first && done > 0)
                first.emplace(now, done);
            const double seconds = first ? SecondsSince(first->first) : 0;
            if (first && seconds >= 1 && done > first->second) {
                const double remaining =
                    (1 - work(done)) * seconds / (work(done) - work(first->second));
                left = ", " + Duration(remaining) + " left";
                if (!m_told && remaining > 10)
                    m_err << "\r\033[2Kquintara-odds: this run takes about " << Duration(remaining)
                          << "; Ctrl+C stops it with the figures so far\n";
                m_told = true;
            }
            const double part = static_cast<double>(done) / static_cast<double>(m_total);
            constexpr int kWidth = 40;
            const int filled = static_cast<int>(part * kWidth);
            m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] "
                  << static_cast<int>(part * 100) << "%  " << done << " / " << m_total << " hands"
                  << left << "\033[K" << std::flush;
        }
    }

    double work(std::uint64_t done) const
    {
        return std::pow(static_cast<double>(done) / static_cast<double>(m_total), m_growth);
    }

    // "40 s", "12 min", "3 h 20 min", "41 days": as a person would round it.
    static std::string Duration(double seconds)
    {
        const auto whole = static_cast<std::uint64_t>(std::min(seconds, 1e15));
        if (whole < 100)
            return std::to_string(whole) + " s";
        if (whole < 3600)
            return std::to_string((whole + 30) / 60) + " min";
        if (whole < 2 * 86400)
            return std::to_string(whole / 3600) + " h " + std::to_string(whole % 3600 / 60) +
                   " min";
        return std::to_string(whole / 86400) + " days";
    }

    std::ostream& m_err;
    std::uint64_t m_total;
    const std::atomic<std::uint64_t>& m_done;
    double m_growth;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    bool m_told = false; // the estimate is said once
    std::thread m_thread;
};

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

std::array<int, 5> DealtCards(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& part : words)
        text += SuitLetters(part) + ' ';
    const auto parsed = cards::ParseCards(text);
    if (!parsed) {
        // Name the piece that failed: try each blank- or comma-separated word.
        std::string word;
        for (const char c : text + ' ') {
            if (c == ' ' || c == ',' || c == '\t' || c == '\n') {
                if (!word.empty() && !cards::ParseCards(word))
                    break;
                word.clear();
            } else {
                word += c;
            }
        }
        throw UsageError{"unknown card in " + Quote(word.empty() ? text : word) +
                         "; write cards like Kh, Td, 10d or K♥"};
    }
    if (parsed->size() != 5)
        throw UsageError{"hand needs exactly 5 cards, got " + std::to_string(parsed->size())};
    std::array<int, 5> dealt{};
    std::copy(parsed->begin(), parsed->end(), dealt.begin());
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < i; ++j)
            if (dealt[i] == dealt[j])
                throw UsageError{"card " + cards::CardNotation(dealt[i]) + " given twice"};
    return dealt;
}

struct HandOptions
{
    std::vector<std::string> words;
    ValueOption deal;
};

void AddHandCommand(CommandSet& commands)
{
    auto options = std::make_shared<HandOptions>();
    CLI::App& hand = commands.add(
        "hand", "the return of each of the 32 holds of a dealt hand, best first", kHandHelp,
        [options](const CommandContext& c) {
            const bool game = GameChosen(options->deal, "--deal");
            const std::array<int, 5> dealt = DealtCards(options->words);
            const DrawTables tables;
            HoldTable table;
            CountDraws(tables, dealt, table);
            if (game) {
                const PaidTables paid(tables, c.pays);
                const DealModel model = GameDealModel();
                Print(c, BuildGameHandReport(dealt, table, GameDeal(paid, model).values(dealt),
                                             model, c.pays));
            } else {
                Print(c, BuildHandReport(dealt, table, c.pays));
            }
            return kExitOk;
        });
    hand.add_option("CARDS", options->words, "the five dealt cards, in the order dealt")
        ->type_name("");
    AddValueOption(hand, "--deal", options->deal, "DEAL",
                   "fair (default): values for a uniformly shuffled deck; game: for the game's "
                   "own deal, beside the fair ones");
}

// "1,3,5", "1-10" or a mix of both: play counts 1..kMaxPlays in the order given.
std::vector<int> PlaysFrom(const ValueOption& option)
{
    std::vector<int> plays;
    if (!option.given())
        return plays;
    const std::string& text = option.text;
    const UsageError bad{"--plays takes numbers from 1 to " + std::to_string(kMaxPlays) +
                         " and ranges, such as 1,3,5 or 1-10, not " + Quote(text)};
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        const std::size_t dash = std::min(item.find('-'), item.size());
        try {
            const auto low =
                static_cast<int>(ParseWholeNumber("--plays", item.substr(0, dash), 1, kMaxPlays));
            const auto high = dash == item.size()
                                  ? low
                                  : static_cast<int>(ParseWholeNumber(
                                        "--plays", item.substr(dash + 1), 1, kMaxPlays));
            if (high < low)
                throw bad;
            for (int n = low; n <= high; ++n)
                plays.push_back(n);
        } catch (const UsageError&) {
            throw bad;
        }
        if (comma == text.size())
            break;
        pos = comma + 1;
    }
    return plays;
}

struct ReturnOptions
{
    ValueOption threads;
    ValueOption plays;
};

void AddReturnCommand(CommandSet& commands)
{
    auto options = std::make_shared<ReturnOptions>();
    CLI::App& ret =
        commands.add("return", "the return of the pay table under optimal play, exactly",
                     kReturnHelp, [options](const CommandContext& c) {
                         const int count = ThreadsFrom(options->threads);
                         const std::vector<int> plays = PlaysFrom(options->plays);
                         const auto start = std::chrono::steady_clock::now();
                         const DrawTables tables;
                         const ReturnTotals totals = ComputeReturn(tables, c.pays, count);
                         Print(c, BuildReturnReport(totals, plays, count, SecondsSince(start)));
                         return kExitOk;
                     });
    AddThreadsOption(ret, options->threads);
    AddValueOption(ret, "--plays", options->plays, "N",
                   "standard deviation of N-play, N from 1 to 100: 5, 1,3,5 or 1-10");
}

struct SimulateOptions
{
    ValueOption play;
    ValueOption hands;
    ValueOption seed;
    ValueOption threads;
};

int RunSimulate(const SimulateOptions& options, const CommandContext& c)
{
    if (!options.hands.given())
        throw UsageError{"simulate needs --hands N"};
    SimulationRun run;
    run.options.hands = ParseWholeNumber("--hands", options.hands.text, 1, kMaxHands);
    run.options.seed = options.seed.given()
                           ? ParseWholeNumber("--seed", options.seed.text, 0, UINT64_MAX)
                           : FreshSeed();
    run.options.threads = ThreadsFrom(options.threads);
    run.options.pays = c.pays;
    run.options.play =
        GameChosen(options.play, "--play") ? SimulatedPlay::Game : SimulatedPlay::Fair;
    run.threads = static_cast<int>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(run.options.threads),
                                (run.options.hands + kSimulationBlock - 1) / kSimulationBlock));

    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables;
    ReturnTotals exact;
    std::atomic<std::uint64_t> done{0};
    SimulationTotals seen;
    {
        const StopOnInterrupt interrupt;
        run.options.stop = &StopOnInterrupt::stopped();
        std::optional<ProgressBar> bar;
        if (c.progress)
            bar.emplace(c.err, run.options.hands, done);
        seen = Simulate(tables, run.options, &done, &exact);
    }
    run.seconds = SecondsSince(start);
    if (seen.hands == 0) {
        c.err << "quintara-odds: simulate stopped before a hand was played\n";
        return kExitInterrupted;
    }
    Print(c, BuildSimulationReport(seen, exact, run));
    return seen.hands < run.options.hands ? kExitInterrupted : kExitOk;
}

void AddSimulateCommand(CommandSet& commands)
{
    auto options = std::make_shared<SimulateOptions>();
    CLI::App& simulate = commands.add(
        "simulate", "play hands through the game's own deal, with the best hold", kSimulateHelp,
        [options](const CommandContext& c) { return RunSimulate(*options, c); });
    AddValueOption(simulate, "--hands", options->hands, "N",
                   "1 to " + std::to_string(kMaxHands) + " hands");
    AddValueOption(simulate, "--seed", options->seed, "S",
                   "0 to 18446744073709551615 (default: a fresh seed below 2^53, printed)");
    AddValueOption(simulate, "--play", options->play, "HOLD",
                   "fair (default): the best hold for a fair deck; game: the best for the "
                   "game's own deal");
    AddThreadsOption(simulate, options->threads);
}

const char* const kRuinHelp =
    "The chance of going broke, no longer able to pay the next bet, within the\n"
    "hands, playing the best hold each time, and the bankroll's 5 %, 50 % and\n"
    "95 % points after them. One hand's net result comes from the exact row\n"
    "chances of the pay table; the bankroll's distribution is carried hand by\n"
    "hand in bet units, exactly (no random play). Amounts are dollars and cents,\n"
    "read exactly; what is left over that could never make a bet stays in the\n"
    "bankroll. With --plays N each round bets U on each of N hands that share\n"
    "the deal and the held cards and draw from their own copies of the rest of\n"
    "the deck.\n"
    "\n"
    "--hands inf gives the chance of ever going broke. It is 1 for a table that\n"
    "returns 1 or less. Otherwise, with R > 0 where E[exp(-R net)] = 1, it is\n"
    "exp(-R y) from y bets exactly for one play a hand (a hand loses one bet at\n"
    "most); for N-play the hands are carried until the Lundberg bound\n"
    "exp(-R (y - N + 1)) on what the levels still live could add is below 1e-10\n"
    "(or 10,000,000 hands), and half of that is the printed error.\n"
    "\n"
    "--risk P, instead of --bankroll, finds the smallest bankroll in bets (and\n"
    "dollars) whose chance of going broke within the hands, or ever, is at most\n"
    "P. For one play within the hands, one backward pass over the levels gives\n"
    "the chance from every bankroll at once: from the hands' end, where only a\n"
    "bankroll that cannot bet is broke, one hand at a time to their start;\n"
    "levels from which ruin in the hands left is below 1e-12 (the bound below)\n"
    "count as none. Otherwise ruin falls as the bankroll grows, so doubling and\n"
    "halving find it, one run at each bankroll tried.\n"
    "\n"
    "--curve, instead of --bankroll, prints that chance for about twenty\n"
    "bankrolls from one bet to where it falls below 0.0001, from the same pass\n"
    "(one play, --hands H).\n"
    "\n"
    "Truncation: levels at the top of the bankroll's distribution are set aside\n"
    "as never broke when they hold below 1e-15 of the chance and going broke\n"
    "from them in the hands left has a chance below 1e-12 (a Chernoff bound);\n"
    "levels at either end holding below 1e-19 are set aside too. The bound on\n"
    "the error this makes in the ruin figure is printed; it stays far below\n"
    "1e-9.\n"
    "\n"
    "Rounds of more than 16 plays come from the round's spectrum, and each hand\n"
    "of N-play steps by a convolution by FFT (KISS FFT, in double), as a round\n"
    "has thousands of outcomes. The round-off is bounded from the FFT's error\n"
    "bound: at most (16 log2 L + 16) u |x| at any level and sqrt(L) times that\n"
    "in all, for a transform of length L, levels x (2-norm) and u = 2^-53;\n"
    "levels within it of zero are set to zero and what they held is counted\n"
    "too. Nets of N-play rarer than 1e-17 in all are left out. All of it is in\n"
    "the printed bound, some 5e-10 for 10-play over 1,600 hands.\n"
    "\n"
    "Time: it follows the hands times the width of the bankroll's spread, not\n"
    "the bankroll; the spread grows with the square root of the hands, so the\n"
    "time with the hands to the 1.5. --hands times --plays is at most 1,000,000:\n"
    "a bankroll of 1,000 bets takes about a minute there on two cores, and\n"
    "10,000,000 would take half an hour. On a terminal a run longer than a\n"
    "second shows a progress bar and, where it takes longer than 10 s, how long;\n"
    "Ctrl+C ends it with the figures of the hands so far, marked as stopped, and\n"
    "exit code 130. A spread wider than 8388608 levels (about 130 MB), which only\n"
    "huge --pays reach, is refused.";

struct RuinOptions
{
    ValueOption bankroll;
    ValueOption bet;
    ValueOption hands;
    ValueOption plays;
    ValueOption risk;
    bool curve = false;
};

// The hands one run carries at most, times the plays of each: a bankroll of
// 1,000 bets over 1,000,000 hands of one play takes about a minute, as the
// spread, and so each hand's work, grows with the square root of the hands.
constexpr std::int64_t kMaxRuinHands = 1000000;
constexpr std::int64_t kMaxDollars = 1000000000000LL;
constexpr std::int64_t kMaxUnits = 10000000;

// The chance --risk takes: a decimal above 0 and below 1.
double ParseRisk(const std::string& text)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !(value > 0 && value < 1))
        throw UsageError{"--risk must be a chance above 0 and below 1, such as 0.01, not " +
                         Quote(text)};
    return value;
}

// One ruin run: a progress bar on a terminal, Ctrl+C ends it with the
// hands so far.
std::string TooWideMessage()
{
    return "ruin: the bankroll's spread under these pays grows past " + std::to_string(kMaxLevels) +
           " levels; try fewer --hands, --plays or smaller --pays";
}

class RuinRunner
{
  public:
    RuinRunner(const CommandContext& c, const RoundOutcomes& round, std::int64_t hands)
        : m_c(c), m_round(round), m_hands(hands)
    {
    }

    RuinResult within(std::int64_t units)
    {
        return run(m_hands, 1.5, [&](const RuinProgress& p) {
            return ComputeRuin(m_round, units, m_hands, DefaultThreadCount(), p);
        });
    }
    RuinCurve curve()
    {
        return run(m_hands, 2,
                   [&](const RuinProgress& p) { return ComputeRuinCurve(m_round, m_hands, p); });
    }
    EverRuin ever(std::int64_t units)
    {
        return run(0, 1, [&](const RuinProgress& p) {
            return ComputeEverRuin(m_round, units, DefaultThreadCount(), p);
        });
    }
    bool stopped() const { return StopOnInterrupt::stopped().load(); }

  private:
    // The work of a run within the hands grows as the hands to the 1.5.
    template <class F>
    std::invoke_result_t<F, const RuinProgress&> run(std::int64_t total, double growth, F&& compute)
    {
        std::atomic<std::uint64_t> done{0};
        std::optional<ProgressBar> bar;
        if (m_c.progress)
            bar.emplace(m_c.err, static_cast<std::uint64_t>(total), done, growth);
        const RuinProgress progress{&done, &StopOnInterrupt::stopped()};
        try {
            return compute(progress);
        } catch (const RuinTooWide&) {
            throw UsageError{TooWideMessage()};
        }
    }

    const StopOnInterrupt m_interrupt;
    const CommandContext& m_c;
    const RoundOutcomes& m_round;
    std::int64_t m_hands; // 0: for ever
};

// The smallest bankroll in bets whose ruin is at most risk: ruin falls as
// the bankroll grows, so doubling finds a bankroll that is enough and
// halving the gap the smallest.

// About twenty bankrolls from one bet to where ruin has fallen below 1e-4,
// evenly spaced in whole bets.
RuinCurveReportData BuildCurveReport(const RuinCurve& curve, std::int64_t bet)
{
    RuinCurveReportData report;
    report.bet = bet;
    report.errorBound = curve.errorBound;
    auto last = static_cast<std::int64_t>(curve.ruin.size());
    for (std::int64_t u = 1; u < last; ++u)
        if (curve.ruin[static_cast<std::size_t>(u)] < 1e-4) {
            last = u;
            break;
        }
    const std::int64_t step = std::max<std::int64_t>(1, (last + 19) / 20);
    for (std::int64_t u = 1;; u += step) {
        const std::int64_t at = std::min(u, last);
        report.points.push_back({at, at < static_cast<std::int64_t>(curve.ruin.size())
                                         ? curve.ruin[static_cast<std::size_t>(at)]
                                         : 0.0});
        if (at == last)
            break;
    }
    return report;
}

// The report of a risk search: the answer in the analysis' terms, and the
// figures the report adds.
RiskReportData RiskReport(const RiskAnswer& answer, double risk)
{
    RiskReportData report;
    report.risk = risk;
    report.maxUnits = kMaxUnits;
    report.units = answer.units;
    report.certain = answer.certain;
    report.ruin = answer.ruin;
    report.errorBound = answer.errorBound;
    report.ruinBelow = answer.ruinBelow;
    return report;
}

RiskReportData FindRisk(RuinRunner& runner, const RoundOutcomes& round, std::int64_t hands,
                        double risk)
{
    const auto ruinAt = [&](std::int64_t units) {
        if (hands == 0) {
            const EverRuin e = runner.ever(units);
            return RuinAt{e.ruin, e.errorBound, e.certain};
        }
        const RuinResult r = runner.within(units);
        return RuinAt{r.ruin, r.errorBound, false};
    };
    return RiskReport(
        FindRiskBankroll(ruinAt, round.plays, risk, kMaxUnits, [&] { return runner.stopped(); }),
        risk);
}

int RunRuin(const RuinOptions& options, const CommandContext& c)
{
    for (const auto& [option, name] :
         {std::pair{&options.bet, "--bet"}, std::pair{&options.hands, "--hands"}})
        if (!option->given())
            throw UsageError{std::string("ruin needs ") + name};
    if (options.bankroll.given() + options.risk.given() + options.curve > 1)
        throw UsageError{"--bankroll, --risk and --curve exclude each other: --bankroll B gives "
                         "the chance of ruin, --risk P the bankroll for a chance"};
    if (!options.bankroll.given() && !options.risk.given() && !options.curve)
        throw UsageError{"ruin needs --bankroll, or --risk to find the bankroll"};
    const std::int64_t bet = ParseCents("--bet", options.bet.text, 1, 100 * kMaxDollars);
    const bool forever = options.hands.text == "inf";
    std::int64_t hands = 0;
    if (!forever) {
        try {
            hands = static_cast<std::int64_t>(
                ParseWholeNumber("--hands", options.hands.text, 1, kMaxRuinHands));
        } catch (const UsageError&) {
            throw UsageError{"--hands must be a whole number from 1 to " +
                             std::to_string(kMaxRuinHands) + ", or inf, not " +
                             Quote(options.hands.text)};
        }
    }
    const int plays =
        options.plays.given()
            ? static_cast<int>(ParseWholeNumber("--plays", options.plays.text, 1, kMaxPlays))
            : 1;
    if (hands * plays > kMaxRuinHands)
        throw UsageError{"--hands times --plays may be at most " + std::to_string(kMaxRuinHands)};
    const double risk = options.risk.given() ? ParseRisk(options.risk.text) : 0;
    std::int64_t bankroll = 0;
    if (options.bankroll.given()) {
        bankroll = ParseCents("--bankroll", options.bankroll.text, 1, 100 * kMaxDollars);
        if (bankroll < bet)
            throw UsageError{"--bankroll must be at least --bet"};
        if (bankroll / bet < plays)
            throw UsageError{"--bankroll must cover --bet on each of the --plays hands"};
        if (bankroll / bet > kMaxUnits)
            throw UsageError{"--bankroll may be at most " + std::to_string(kMaxUnits) + " bets"};
    }

    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables;
    RoundOutcomes round = SingleHandOutcomes(ComputeReturn(tables, c.pays, DefaultThreadCount()));
    if (plays > 1) {
        // Refused from one play's outcomes when the walk is sure to be too
        // wide: the rounds' own take long for large pays, and Ctrl+C ends them.
        const std::int64_t units = bankroll > 0 ? bankroll / bet : plays;
        if (RuinSurelyTooWide(round, plays, units,
                              forever ? std::numeric_limits<std::int64_t>::max() : hands))
            throw UsageError{TooWideMessage()};
        const StopOnInterrupt interrupt;
        try {
            round = PlaysOutcomes(tables, c.pays, plays, DefaultThreadCount(),
                                  &StopOnInterrupt::stopped());
        } catch (const RuinStopped&) {
            c.err << "quintara-odds: ruin stopped while the outcomes of a round were worked out\n";
            return kExitInterrupted;
        }
    }
    double returnValue = 1; // per unit bet: 1 + the mean net of a round per play
    for (std::size_t k = 0; k < round.net.size(); ++k)
        returnValue += round.chance[k] * round.net[k] / plays;
    RuinRunner runner(c, round, hands);
    if (options.curve) {
        if (forever || plays > 1)
            throw UsageError{"--curve needs --hands H of one play"};
        const RuinCurve curve = runner.curve();
        if (runner.stopped()) {
            c.err << "quintara-odds: ruin stopped before the curve was complete\n";
            return kExitInterrupted;
        }
        RuinCurveReportData report = BuildCurveReport(curve, bet);
        report.pays = c.pays;
        report.hands = hands;
        report.seconds = SecondsSince(start);
        Print(c, report);
        return kExitOk;
    }
    if (options.risk.given()) {
        // One play within the hands: every bankroll's ruin from one pass.
        RiskReportData report =
            plays == 1 && !forever
                ? RiskReport(RiskFromCurve(runner.curve(), risk, kMaxUnits), risk)
                : FindRisk(runner, round, hands, risk);
        if (runner.stopped()) {
            c.err << "quintara-odds: ruin stopped before the bankroll was found\n";
            return kExitInterrupted;
        }
        report.pays = c.pays;
        report.bet = bet;
        report.hands = hands;
        report.plays = plays;
        report.returnValue = returnValue;
        report.seconds = SecondsSince(start);
        Print(c, report);
        return kExitOk;
    }
    RuinReportData report;
    if (forever) {
        report = BuildRuinReport(c.pays, bankroll, bet, 0, {}, 0);
        report.ever = runner.ever(bankroll / bet);
    } else {
        report = BuildRuinReport(c.pays, bankroll, bet, hands, runner.within(bankroll / bet), 0);
        if (report.result.hands == 0) {
            c.err << "quintara-odds: ruin stopped before a hand was carried\n";
            return kExitInterrupted;
        }
    }
    report.plays = plays;
    report.returnValue = returnValue;
    report.seconds = SecondsSince(start);
    Print(c, report);
    return runner.stopped() ? kExitInterrupted : kExitOk;
}

void AddRuinCommand(CommandSet& commands)
{
    auto options = std::make_shared<RuinOptions>();
    CLI::App& ruin = commands.add(
        "ruin", "the risk of ruin of a bankroll over so many hands, exactly", kRuinHelp,
        [options](const CommandContext& c) { return RunRuin(*options, c); });
    AddValueOption(ruin, "--bankroll", options->bankroll, "B",
                   "the bankroll in dollars and cents, such as 200 or 187.50");
    AddValueOption(ruin, "--bet", options->bet, "U",
                   "the bet of each hand in dollars and cents, such as 5 or 1.25");
    AddValueOption(ruin, "--hands", options->hands, "H",
                   "1 to " + std::to_string(kMaxRuinHands) + " hands, or inf: for ever");
    AddValueOption(ruin, "--plays", options->plays, "N",
                   "N-play, 1 to 100: each hand bets U on each of N hands that share the deal");
    AddValueOption(ruin, "--risk", options->risk, "P",
                   "instead of --bankroll: the smallest bankroll whose ruin is at most P");
    ruin.add_flag("--curve", options->curve,
                  "instead of --bankroll: the chance of ruin for a range of bankrolls")
        ->disable_flag_override();
}

// Every sub-command, in the order --help lists them.
constexpr std::array kCommands = {AddHandCommand, AddReturnCommand,   AddSimulateCommand,
                                  AddRuinCommand, AddStrategyCommand, AddTrainCommand};

// CLI11's own words for bad input, made one line that names the command.
std::string Describe(const CLI::ParseError& error, const CLI::App& root)
{
    const CLI::App* command = &root;
    for (const CLI::App* sub : root.get_subcommands())
        command = sub;
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        const std::vector<std::string> extras = command->remaining();
        const std::string first = extras.empty() ? std::string() : extras.front();
        if (command == &root && (first.empty() || first[0] != '-'))
            return "unknown command " + Quote(first) + "; see quintara-odds --help";
        const std::string name = command == &root ? std::string() : " for " + command->get_name();
        const std::string help = command == &root
                                     ? "quintara-odds --help"
                                     : "quintara-odds " + command->get_name() + " --help";
        if (first.size() > 1 && first[0] == '-')
            return "unknown option " + Quote(first.substr(0, first.find('='))) + name + "; see " +
                   help;
        return "unexpected argument " + Quote(first) + name;
    }
    // Rephrase the messages of options given wrongly; pass on any other.
    std::string text = error.what();
    const std::string option = text.substr(0, text.find(':'));
    if (text.find("disallowed flag override") != std::string::npos)
        return "--" + text.substr(0, text.find(' ')) + " takes no value";
    if (text.find("At Most 1 required") != std::string::npos)
        return option + " given more than once";
    if (text.find(" missing") != std::string::npos && option.rfind("--", 0) == 0)
        return option + " needs a value";
    std::replace_if(
        text.begin(), text.end(),
        [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f; }, ' ');
    return text;
}

} // namespace

int RunOddsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress)
{
    try {
        if (args.empty())
            throw UsageError{"no command given; try quintara-odds --help"};
        // "help" and "help COMMAND" read as --help.
        std::vector<std::string> line = args;
        const bool helpWord = line.front() == "help";
        if (helpWord) {
            line.erase(line.begin());
            line.resize(std::min<std::size_t>(line.size(), 1));
            line.emplace_back("--help");
        }

        CLI::App root(kAbout, "quintara-odds");
        auto formatter = std::make_shared<UsageFormatter>();
        formatter->column_width(34);
        root.formatter(formatter);
        root.footer(std::string(kFooter) + "\n\n" + PaysOrderHelp());
        root.set_version_flag("--version", "quintara-odds " QUINTARA_VERSION,
                              "the version, as the package has it");
        CommandSet commands(root);
        for (const auto add : kCommands)
            add(commands);
        for (CLI::App* sub : root.get_subcommands({}))
            sub->group("Commands");
        // Help for a command that does not exist is an error, not the main help.
        if (helpWord && line.size() == 2) {
            const auto subs = root.get_subcommands(
                [&](CLI::App* sub) { return sub->get_name() == line.front(); });
            if (subs.empty())
                throw UsageError{"help: unknown command " + Quote(line.front()) +
                                 "; try quintara-odds --help"};
        }
        try {
            root.parse(std::vector<std::string>(line.rbegin(), line.rend()));
        } catch (const CLI::CallForHelp&) {
            out << root.help();
            return kExitOk;
        } catch (const CLI::CallForVersion& version) {
            out << version.what() << '\n';
            return kExitOk;
        } catch (const CLI::ParseError& e) {
            throw UsageError{Describe(e, root)};
        }
        return commands.run(out, err, progress);
    } catch (const UsageError& e) {
        err << "quintara-odds: " << e.message << '\n';
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        err << "quintara-odds: not enough memory for this input\n";
        return kExitFailure;
    } catch (const std::exception& e) {
        err << "quintara-odds: " << Quote(e.what()) << '\n';
        return kExitFailure;
    }
}

} // namespace odds
