#pragma once

#include "exit_codes.h"
#include "game_deal.h"
#include "pay_tables.h"
#include "pay_text.h"
#include "pays.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

namespace odds {

// Bad input: the message becomes the one line on standard error, exit code 2.
struct UsageError
{
    std::string message;
};

// What every command is given to run: its streams and the options all
// commands share, already checked.
struct CommandContext
{
    std::ostream& out;
    std::ostream& err;
    bool progress = false; // err is a terminal: long runs may draw a bar there
    bool json = false;
    const Family* family = &JacksFamily();
    bool gameChosen = false; // by --game or --table
    PayVector pays{};
};

using CommandRun = std::function<int(const CommandContext&)>;

// An option taking one value, kept as text so that the command can say in its
// own words what is wrong with it.
struct ValueOption
{
    std::string text;
    CLI::Option* option = nullptr;
    bool given() const { return option != nullptr && option->count() > 0; }
};
// The sub-commands of quintara-odds. A command registers itself with one
// function that calls add() and then puts its own options on the CLI::App it
// gets back, binding them to state its run function owns:
//
//   void AddFooCommand(CommandSet& commands)
//   {
//       auto hands = std::make_shared<ValueOption>();
//       CLI::App& foo = commands.add("foo", "one line for the list", kFooHelp,
//                                    [hands](const CommandContext& c) { ...; return kExitOk; });
//       AddValueOption(foo, "--hands", *hands, "N", "how many hands");  // a ValueOption
//   }
//
// --pays, --game, --table and --json are added here, so they are accepted
// before the command name as well as after it.
class CommandSet
{
  public:
    explicit CommandSet(CLI::App& root);

    // A command that only talks to a person takes no --json (json false).
    CLI::App& add(const std::string& name, const std::string& summary, const std::string& footer,
                  CommandRun run, bool json = true);

    // The command chosen by the last parse, and the shared options merged.
    int run(std::ostream& out, std::ostream& err, bool progress) const;

  private:
    struct Common
    {
        ValueOption pays;
        ValueOption game;
        ValueOption table;
        bool json = false;
    };
    void addCommon(CLI::App& app, Common& into, bool json);

    CLI::App& m_root;
    Common m_rootCommon;
    std::map<std::string, Common> m_common; // per command
    std::map<std::string, CommandRun> m_runs;
};

void AddValueOption(CLI::App& app, const std::string& name, ValueOption& into,
                    const std::string& valueName, const std::string& help);

// The family and pays of --game, --table and --pays (each may be absent).
void ChoosePays(const std::string* game, const std::string* table, const std::string* pays,
                CommandContext& context);

// text as a whole number low..high, or a UsageError naming the option.
std::uint64_t ParseWholeNumber(const std::string& name, const std::string& text, std::uint64_t low,
                               std::uint64_t high);

// A seed for a run whose --seed was not given. It stays below 2^53, so that
// JSON tools, which read numbers as doubles, can hand it back unchanged.
std::uint64_t FreshSeed();

// A sum of money, "200", "1.25" or "1.5", as whole cents from low to high
// cents; read exactly, never through binary floating point. A UsageError
// naming the option otherwise.
std::int64_t ParseCents(const std::string& name, const std::string& text, std::int64_t low,
                        std::int64_t high);

// Cents as the reports write money: "200" for whole dollars, else "1.25".
std::string DollarText(std::int64_t cents);

// The --threads option's value; not given means one per core.
void AddThreadsOption(CLI::App& app, ValueOption& into);
int ThreadsFrom(const ValueOption& threads);

// --deal or --play: fair (also when not given) or game; anything else is bad input.
DealKind DealKindFrom(const ValueOption& option, const std::string& name);

// The game's own deal models 52 cards none of which is wild; a UsageError
// naming the option for any other family.
void RefuseGameDeal(const Family& family, const std::string& option);

// --seed as given, or a fresh one.
std::uint64_t SeedFrom(const ValueOption& seed);

// Ctrl+C while it lives sets stopped() instead of ending the program, so a
// long run can end with what it has; the next Ctrl+C ends it as usual.
class StopOnInterrupt
{
  public:
    StopOnInterrupt();
    ~StopOnInterrupt();
    StopOnInterrupt(const StopOnInterrupt&) = delete;
    StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
    static const std::atomic<bool>& stopped();

  private:
    struct sigaction m_previous = {};
};

} // namespace odds
