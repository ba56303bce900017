#include "odds_command.h"
#include "pay_text.h"

#include "card_code.h"
#include "command_line.h"
#include "odds_report.h"
#include "strategy_command.h"
#include "trainer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

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
    "CARDS is five cards: a rank A 2-9 T J Q K (or 10) and a suit c d h s, apart or\n"
    "back to back, e.g. \"Kh Qh Jh Th 2s\", \"10h,Jh,Qh,Kh,Ah\" or KhQhJhTh2s.";

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
    ProgressBar(std::ostream& err, std::uint64_t total, const std::atomic<std::uint64_t>& done)
        : m_err(err), m_total(total), m_done(done), m_thread([this] { run(); })
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
            const auto now = std::chrono::steady_clock::now();
            // The pace is taken from the hands themselves, once they run.
            if (!first && done > 0)
                first.emplace(now, done);
            const double seconds = first ? SecondsSince(first->first) : 0;
            if (first && seconds >= 1 && done > first->second) {
                const double remaining = static_cast<double>(m_total - done) * seconds /
                                         static_cast<double>(done - first->second);
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

void AddHandCommand(CommandSet& commands)
{
    auto words = std::make_shared<std::vector<std::string>>();
    CLI::App& hand =
        commands.add("hand", "the return of each of the 32 holds of a dealt hand, best first",
                     kHandHelp, [words](const CommandContext& c) {
                         const std::array<int, 5> dealt = DealtCards(*words);
                         const DrawTables tables;
                         HoldTable table;
                         CountDraws(tables, dealt, table);
                         Print(c, BuildHandReport(dealt, table, c.pays));
                         return kExitOk;
                     });
    hand.add_option("CARDS", *words, "the five dealt cards")->type_name("");
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
    AddThreadsOption(simulate, options->threads);
}

const char* const kRuinHelp =
    "The chance of going broke, no longer able to pay the next bet, within the\n"
    "hands, playing the best hold each time, and the bankroll's 5 %, 50 % and\n"
    "95 % points after them. One hand's net result comes from the exact row\n"
    "chances of the pay table; the bankroll's distribution is carried hand by\n"
    "hand in bet units, exactly (no random play). Dollars left over that could\n"
    "never make a bet stay in the bankroll. With --plays N each round bets U on\n"
    "each of N hands that share the deal and the held cards and draw from their\n"
    "own copies of the rest of the deck; the time to work out that round grows\n"
    "with N^2.\n"
    "\n"
    "Truncation: levels at the top of the bankroll's distribution are set aside\n"
    "as never broke when they hold below 1e-15 of the chance and going broke\n"
    "from them in the hands left has a chance below 1e-12 (a Chernoff bound);\n"
    "levels at either end holding below 1e-19 are set aside too. The bound on\n"
    "the error this makes in the ruin figure is printed; it stays far below\n"
    "1e-9. The time grows with the hands times the width of the bankroll's\n"
    "spread, not with the bankroll; a spread wider than 8388608 levels (about\n"
    "130 MB), which only huge --pays reach, is refused.\n"
    "\n"
    "N-play rounds have thousands of outcomes, so each hand's step is a\n"
    "convolution by FFT (KISS FFT, in double). Its round-off is bounded from the\n"
    "FFT's error bound: at most (16 log2 L + 16) u |x| at any level and sqrt(L)\n"
    "times that in all, for a transform of length L, levels x (2-norm) and\n"
    "u = 2^-53; levels within it of zero are set to zero and what they held is\n"
    "counted too. Nets of N-play rarer than 1e-17 in all are left out. All of it\n"
    "is in the printed bound, typically some 1e-10 for 10-play over 1,600 hands.";

struct RuinOptions
{
    ValueOption bankroll;
    ValueOption bet;
    ValueOption hands;
    ValueOption plays;
};

constexpr std::int64_t kMaxRuinHands = 10000000;
constexpr std::int64_t kMaxDollars = 1000000000000LL;
constexpr std::int64_t kMaxUnits = 10000000;

int RunRuin(const RuinOptions& options, const CommandContext& c)
{
    for (const auto& [option, name] :
         {std::pair{&options.bankroll, "--bankroll"}, std::pair{&options.bet, "--bet"},
          std::pair{&options.hands, "--hands"}})
        if (!option->given())
            throw UsageError{std::string("ruin needs ") + name};
    const auto bankroll = static_cast<std::int64_t>(
        ParseWholeNumber("--bankroll", options.bankroll.text, 1, kMaxDollars));
    const auto bet =
        static_cast<std::int64_t>(ParseWholeNumber("--bet", options.bet.text, 1, kMaxDollars));
    const auto hands = static_cast<std::int64_t>(
        ParseWholeNumber("--hands", options.hands.text, 1, kMaxRuinHands));
    const int plays =
        options.plays.given()
            ? static_cast<int>(ParseWholeNumber("--plays", options.plays.text, 1, kMaxPlays))
            : 1;
    if (bankroll < bet)
        throw UsageError{"--bankroll must be at least --bet"};
    if (bankroll / bet < plays)
        throw UsageError{"--bankroll must cover --bet on each of the --plays hands"};
    if (bankroll / bet > kMaxUnits)
        throw UsageError{"--bankroll may be at most " + std::to_string(kMaxUnits) + " bets"};
    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables;
    const RoundOutcomes round =
        plays == 1 ? SingleHandOutcomes(ComputeReturn(tables, c.pays, DefaultThreadCount()))
                   : PlaysOutcomes(tables, c.pays, plays, DefaultThreadCount());
    RuinResult result;
    try {
        result = ComputeRuin(round, bankroll / bet, hands, DefaultThreadCount());
    } catch (const RuinTooWide&) {
        throw UsageError{"ruin: the bankroll's spread under these pays grows past " +
                         std::to_string(kMaxLevels) +
                         " levels; try fewer --hands, --plays or smaller --pays"};
    }
    RuinReportData report =
        BuildRuinReport(c.pays, bankroll, bet, hands, result, SecondsSince(start));
    report.plays = plays;
    Print(c, report);
    return kExitOk;
}

void AddRuinCommand(CommandSet& commands)
{
    auto options = std::make_shared<RuinOptions>();
    CLI::App& ruin = commands.add(
        "ruin", "the risk of ruin of a bankroll over so many hands, exactly", kRuinHelp,
        [options](const CommandContext& c) { return RunRuin(*options, c); });
    AddValueOption(ruin, "--bankroll", options->bankroll, "B", "the bankroll in whole dollars");
    AddValueOption(ruin, "--bet", options->bet, "U", "the bet of each hand in whole dollars");
    AddValueOption(ruin, "--hands", options->hands, "H",
                   "1 to " + std::to_string(kMaxRuinHands) + " hands");
    AddValueOption(ruin, "--plays", options->plays, "N",
                   "N-play, 1 to 100: each hand bets U on each of N hands that share the deal");
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
