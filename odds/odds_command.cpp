#include "odds_command.h"

#include "card_code.h"
#include "odds_report.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <thread>

namespace odds {
namespace {

constexpr std::uint64_t kMaxHands = 1000000000000ULL;
constexpr int kMaxThreads = 1024;

struct UsageError
{
    std::string message;
};

const char* const kUsage =
    "Usage: quintara-odds COMMAND [OPTIONS]\n"
    "\n"
    "Exact odds for Quintara's Jacks or better game.\n"
    "\n"
    "Commands:\n"
    "  hand CARDS       the return of each of the 32 holds of a dealt hand, best first\n"
    "  return           the return of the pay table under optimal play, exactly\n"
    "  simulate         play hands through the game's own deal, with the best hold\n"
    "\n"
    "Options for every command:\n"
    "  --pays R,SF,FK,FH,FL,ST,TK,TP,JB\n"
    "                   nine multipliers from the top of the table down: Royal Flush,\n"
    "                   Flush (straight flush), Caret (four of a kind), Full House,\n"
    "                   Suit (five of one suit), Straight, 3 of a kind, Two Pairs,\n"
    "                   2 of a kind (Jacks or better); default 500,100,50,10,7,5,3,2,1\n"
    "  --json           machine-readable output\n"
    "  --help           this text, or a command's own with COMMAND --help\n"
    "\n"
    "Bad input gives one line on standard error and exit code 2.\n";

const char* const kHandHelp =
    "Usage: quintara-odds hand CARDS [--pays LIST] [--json]\n"
    "\n"
    "Lists all 32 ways to hold the five dealt cards, best first, with the exact\n"
    "return per unit bet and the chance of each paying row after the draw.\n"
    "Equal returns list the hold of fewer cards first, then by hold mask\n"
    "(bit i = card place i); the best hold is the first.\n"
    "\n"
    "CARDS is five cards: a rank A 2-9 T J Q K (or 10) and a suit c d h s, apart or\n"
    "back to back, e.g. \"Kh Qh Jh Th 2s\", \"10h,Jh,Qh,Kh,Ah\" or KhQhJhTh2s.\n";

const char* const kReturnHelp =
    "Usage: quintara-odds return [--pays LIST] [--threads T] [--json]\n"
    "\n"
    "Plays the best hold on every one of the 2,598,960 deals and prints the exact\n"
    "return per unit bet to 10 decimals, with the chance of each final row.\n"
    "--threads T uses T threads (default: one per core).\n";

const char* const kSimulateHelp =
    "Usage: quintara-odds simulate --hands N [--seed S] [--threads T] [--pays LIST] [--json]\n"
    "\n"
    "Deals N hands the way the game does (a fresh deck from NewDeck and ShuffleDeck,\n"
    "five cards from the top, the discarded places refilled from the top, left to\n"
    "right), holds the best cards each time, and sets the observed return and rows\n"
    "beside the exact figures for a fair deck.\n"
    "\n"
    "  --hands N     1 to 1000000000000 hands\n"
    "  --seed S      0 to 18446744073709551615; the same seed gives the same result\n"
    "                whatever the thread count (default: a fresh seed, printed)\n"
    "  --threads T   1 to 1024 threads (default: one per core)\n";

// Shows user input in an error line safely: one line, printable, short.
std::string Quote(std::string_view text)
{
    std::string out = "'";
    for (const char c : text.substr(0, 40))
        out += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) ? '?'
                                                                                               : c;
    if (text.size() > 40)
        out += "...";
    return out + "'";
}

struct Command
{
    std::string name;
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // option name -> value
    std::set<std::string> flags;
    bool help = false;
};

struct OptionSpec
{
    const char* name;
    bool takesValue;
};

const std::map<std::string, std::vector<OptionSpec>>& CommandOptions()
{
    static const std::map<std::string, std::vector<OptionSpec>> options = {
        {"hand", {{"--pays", true}, {"--json", false}}},
        {"return", {{"--pays", true}, {"--threads", true}, {"--json", false}}},
        {"simulate",
         {{"--hands", true},
          {"--seed", true},
          {"--threads", true},
          {"--pays", true},
          {"--json", false}}},
    };
    return options;
}

bool IsHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

Command Parse(const std::vector<std::string>& args)
{
    Command command;
    if (args.empty())
        throw UsageError{"no command given; try quintara-odds --help"};
    if (IsHelp(args[0]) || args[0] == "help") {
        command.help = true;
        if (args.size() > 1 && CommandOptions().count(args[1]))
            command.name = args[1];
        return command;
    }
    const auto found = CommandOptions().find(args[0]);
    if (found == CommandOptions().end())
        throw UsageError{"unknown command " + Quote(args[0]) +
                         "; the commands are hand, return and simulate"};
    command.name = args[0];
    // Help wins over everything else on the line.
    if (std::any_of(args.begin() + 1, args.end(), IsHelp)) {
        command.help = true;
        return command;
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-') {
            command.positional.push_back(arg);
            continue;
        }
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const auto spec = std::find_if(found->second.begin(), found->second.end(),
                                       [&](const OptionSpec& s) { return name == s.name; });
        if (spec == found->second.end())
            throw UsageError{"unknown option " + Quote(name) + " for " + command.name +
                             "; see quintara-odds " + command.name + " --help"};
        if (command.values.count(name) || command.flags.count(name))
            throw UsageError{name + " given more than once"};
        if (!spec->takesValue) {
            if (eq != std::string::npos)
                throw UsageError{name + " takes no value"};
            command.flags.insert(name);
            continue;
        }
        if (eq != std::string::npos) {
            command.values[name] = arg.substr(eq + 1);
        } else {
            if (i + 1 >= args.size())
                throw UsageError{name + " needs a value"};
            command.values[name] = args[++i];
        }
    }
    if (command.name != "hand" && !command.positional.empty())
        throw UsageError{"unexpected argument " + Quote(command.positional.front()) + " for " +
                         command.name};
    return command;
}

std::uint64_t ParseNumber(const Command& command, const std::string& name, std::uint64_t low,
                          std::uint64_t high)
{
    const std::string& text = command.values.at(name);
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        throw UsageError{name + " must be a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not " + Quote(text)};
    return value;
}

PayVector PaysOf(const Command& command)
{
    const auto it = command.values.find("--pays");
    if (it == command.values.end())
        return GamePays();
    std::string error;
    const auto pays = ParsePays(it->second, error);
    if (!pays)
        throw UsageError{error};
    return *pays;
}

int ThreadsOf(const Command& command)
{
    if (!command.values.count("--threads"))
        return DefaultThreadCount();
    return static_cast<int>(ParseNumber(command, "--threads", 1, kMaxThreads));
}

std::array<int, 5> DealtCards(const Command& command)
{
    std::string text;
    for (const std::string& part : command.positional)
        text += part + ' ';
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
                         "; write cards like Kh, Td or 10d"};
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
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this] { return m_stop; })) {
            const std::uint64_t done = m_done.load();
            const double part = static_cast<double>(done) / static_cast<double>(m_total);
            constexpr int kWidth = 40;
            const int filled = static_cast<int>(part * kWidth);
            m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] "
                  << static_cast<int>(part * 100) << "%  " << done << " / " << m_total << " hands"
                  << std::flush;
        }
    }

    std::ostream& m_err;
    std::uint64_t m_total;
    const std::atomic<std::uint64_t>& m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

int RunHand(const Command& command, std::ostream& out)
{
    const std::array<int, 5> dealt = DealtCards(command);
    const PayVector pays = PaysOf(command);
    const DrawTables tables;
    HoldTable table;
    CountDraws(tables, dealt, table);
    out << HandReport(dealt, table, pays, command.flags.count("--json") > 0);
    return kExitOk;
}

int RunReturn(const Command& command, std::ostream& out)
{
    const PayVector pays = PaysOf(command);
    const int threads = ThreadsOf(command);
    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables;
    const ReturnTotals totals = ComputeReturn(tables, pays, threads);
    out << ReturnReport(totals, threads, SecondsSince(start), command.flags.count("--json") > 0);
    return kExitOk;
}

int RunSimulate(const Command& command, std::ostream& out, std::ostream& err, bool progress)
{
    if (!command.values.count("--hands"))
        throw UsageError{"simulate needs --hands N"};
    SimulationRun run;
    run.options.hands = ParseNumber(command, "--hands", 1, kMaxHands);
    run.options.seed = command.values.count("--seed")
                           ? ParseNumber(command, "--seed", 0, UINT64_MAX)
                           : (std::uint64_t(std::random_device{}()) << 32) | std::random_device{}();
    run.options.threads = ThreadsOf(command);
    run.options.pays = PaysOf(command);
    run.threads = static_cast<int>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(run.options.threads),
                                (run.options.hands + kSimulationBlock - 1) / kSimulationBlock));

    const auto start = std::chrono::steady_clock::now();
    const DrawTables tables;
    const ReturnTotals exact = ComputeReturn(tables, run.options.pays, run.options.threads);
    std::atomic<std::uint64_t> done{0};
    SimulationTotals seen;
    {
        std::optional<ProgressBar> bar;
        if (progress)
            bar.emplace(err, run.options.hands, done);
        seen = Simulate(tables, run.options, &done);
    }
    run.seconds = SecondsSince(start);
    out << SimulationReport(seen, exact, run, command.flags.count("--json") > 0);
    return kExitOk;
}

} // namespace

int RunOddsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   bool progress)
{
    try {
        const Command command = Parse(args);
        if (command.help) {
            out << (command.name == "hand"       ? kHandHelp
                    : command.name == "return"   ? kReturnHelp
                    : command.name == "simulate" ? kSimulateHelp
                                                 : kUsage);
            return kExitOk;
        }
        if (command.name == "hand")
            return RunHand(command, out);
        if (command.name == "return")
            return RunReturn(command, out);
        return RunSimulate(command, out, err, progress);
    } catch (const UsageError& e) {
        err << "quintara-odds: " << e.message << '\n';
        return kExitUsage;
    } catch (const std::exception& e) {
        err << "quintara-odds: " << Quote(e.what()) << '\n';
        return kExitFailure;
    }
}

} // namespace odds
