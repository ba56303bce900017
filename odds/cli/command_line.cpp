#include "command_line.h"

#include "exact_return.h"
#include "pay_text.h"

#include <algorithm>
#include <charconv>
#include <random>

namespace odds {
namespace {

constexpr int kMaxThreads = 1024;

const char* const kPaysHelp =
    "the multipliers, top row first; default 500,100,50,10,7,5,3,2,1 (nine, for jacks)";

std::string FamilyKeys()
{
    std::string keys;
    for (const Family& f : Families())
        keys += (keys.empty() ? "" : ", ") + std::string(f.key);
    return keys;
}

// The one option of two places (before or after the command's name) given.
const ValueOption* Given(const ValueOption& own, const ValueOption& root, const char* name)
{
    if (own.given() && root.given())
        throw UsageError{std::string(name) + " given more than once"};
    return own.given() ? &own : (root.given() ? &root : nullptr);
}

} // namespace

namespace {
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");
extern "C" void OnInterrupt(int)
{
    g_interrupted.store(true);
}
} // namespace

StopOnInterrupt::StopOnInterrupt()
{
    g_interrupted.store(false);
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // a second Ctrl+C is not held back
    sigaction(SIGINT, &action, &m_previous);
}

StopOnInterrupt::~StopOnInterrupt()
{
    sigaction(SIGINT, &m_previous, nullptr);
}

const std::atomic<bool>& StopOnInterrupt::stopped()
{
    return g_interrupted;
}

CommandSet::CommandSet(CLI::App& root) : m_root(root)
{
    addCommon(m_root, m_rootCommon, true);
}

void CommandSet::addCommon(CLI::App& app, Common& into, bool json)
{
    AddValueOption(app, "--pays", into.pays, "R,SF,FK,FH,FL,ST,TK,TP,JB", kPaysHelp);
    AddValueOption(app, "--game", into.game, "NAME",
                   "the family: " + FamilyKeys() + " (default jacks; see quintara-odds games)");
    AddValueOption(app, "--table", into.table, "NAME",
                   "a built-in pay table by name, e.g. \"9/6 Double Double Bonus\" (see "
                   "quintara-odds tables)");
    if (json)
        app.add_flag("--json", into.json, "machine-readable output")->disable_flag_override();
}

CLI::App& CommandSet::add(const std::string& name, const std::string& summary,
                          const std::string& footer, CommandRun run, bool json)
{
    CLI::App* command = m_root.add_subcommand(name, summary);
    std::string text = footer;
    text += "\n\n";
    text += PaysOrderHelp();
    text += json ? "--pays, --game, --table and --json may also come before the command's name."
                 : "--pays, --game and --table may also come before the command's name.";
    command->footer(text);
    addCommon(*command, m_common[name], json);
    m_runs[name] = std::move(run);
    return *command;
}

int CommandSet::run(std::ostream& out, std::ostream& err, bool progress) const
{
    const std::vector<CLI::App*> chosen = m_root.get_subcommands();
    if (chosen.empty())
        throw UsageError{"no command given; try quintara-odds --help"};
    const std::string name = chosen.front()->get_name();
    const Common& own = m_common.at(name);
    const ValueOption* pays = Given(own.pays, m_rootCommon.pays, "--pays");
    const ValueOption* game = Given(own.game, m_rootCommon.game, "--game");
    const ValueOption* table = Given(own.table, m_rootCommon.table, "--table");
    CommandContext context{out, err, progress};
    context.json = own.json || m_rootCommon.json;
    ChoosePays(game ? &game->text : nullptr, table ? &table->text : nullptr,
               pays ? &pays->text : nullptr, context);
    return m_runs.at(name)(context);
}

void ChoosePays(const std::string* game, const std::string* table, const std::string* pays,
                CommandContext& context)
{
    if (game) {
        context.family = FindFamily(*game);
        if (!context.family)
            throw UsageError{"--game: no family " + Quote(*game) + "; one of " + FamilyKeys()};
    }
    context.gameChosen = game || table;
    context.pays = context.family->defaultPays;
    if (table) {
        if (pays)
            throw UsageError{"--table and --pays exclude each other"};
        const NamedTable* named = FindTable(*table);
        if (!named) {
            std::string closest;
            for (const std::string_view n : ClosestTables(*table, 3))
                closest += (closest.empty() ? "" : ", ") + ("\"" + std::string(n) + "\"");
            throw UsageError{"--table: no table named " + Quote(*table) + "; the closest are " +
                             closest};
        }
        if (game && named->family != context.family)
            throw UsageError{"--table \"" + std::string(named->name) + "\" is a " +
                             std::string(named->family->key) + " table, not " + *game};
        context.family = named->family;
        context.pays = named->pays;
    }
    if (pays) {
        std::string error;
        const auto parsed = ParsePays(*pays, error, *context.family);
        if (!parsed)
            throw UsageError{error};
        context.pays = *parsed;
    }
}

void AddValueOption(CLI::App& app, const std::string& name, ValueOption& into,
                    const std::string& valueName, const std::string& help)
{
    into.option = app.add_option(name, into.text, help)->type_name(valueName);
}

std::uint64_t ParseWholeNumber(const std::string& name, const std::string& text, std::uint64_t low,
                               std::uint64_t high)
{
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

std::int64_t ParseCents(const std::string& name, const std::string& text, std::int64_t low,
                        std::int64_t high)
{
    const UsageError bad{name + " must be an amount from " + DollarText(low) + " to " +
                         DollarText(high) + " in dollars and cents, not " + Quote(text)};
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string cents = point == std::string::npos ? "" : text.substr(point + 1);
    const auto digits = [](const std::string& part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 15 || !digits(whole) || !digits(cents) ||
        cents.size() > 2 || (point != std::string::npos && cents.empty()))
        throw bad;
    std::int64_t value = 0;
    for (const char c : whole + (cents + "00").substr(0, 2))
        value = value * 10 + (c - '0');
    if (value < low || value > high)
        throw bad;
    return value;
}

std::string DollarText(std::int64_t cents)
{
    std::string out = std::to_string(cents / 100);
    if (cents % 100 != 0) {
        const std::int64_t part = cents % 100;
        out += (part < 10 ? ".0" : ".") + std::to_string(part);
    }
    return out;
}

void AddThreadsOption(CLI::App& app, ValueOption& into)
{
    AddValueOption(app, "--threads", into, "T",
                   "1 to " + std::to_string(kMaxThreads) + " threads (default: one per core)");
}

std::uint64_t FreshSeed()
{
    std::random_device device;
    const std::uint64_t bits = (std::uint64_t{device()} << 32) | device();
    return bits & ((std::uint64_t{1} << 53) - 1);
}

DealKind DealKindFrom(const ValueOption& option, const std::string& name)
{
    if (option.given() && option.text != "fair" && option.text != "game")
        throw UsageError{name + " is fair or game, not " + Quote(option.text)};
    return option.given() && option.text == "game" ? DealKind::Game : DealKind::Fair;
}

void RefuseGameDeal(const Family& family, const std::string& option)
{
    if (family.wild != Wild::None)
        throw UsageError{option + " models the game's 52 cards with none wild; " +
                         std::string(family.name) + " has wild cards"};
}

std::uint64_t SeedFrom(const ValueOption& seed)
{
    return seed.given() ? ParseWholeNumber("--seed", seed.text, 0, UINT64_MAX) : FreshSeed();
}

int ThreadsFrom(const ValueOption& threads)
{
    if (!threads.given())
        return DefaultThreadCount();
    return static_cast<int>(ParseWholeNumber("--threads", threads.text, 1, kMaxThreads));
}

} // namespace odds
