#include "odds_command.h"

#include "commands.h"
#include "strategy_command.h"
#include "trainer.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>

namespace odds {
namespace {

const char* const kAbout =
    "Exact odds for Quintara's Jacks or better game, and for the video poker families\n"
    "players play elsewhere (quintara-odds games).";

const char* const kFooter = "Bad input gives one line on standard error and exit code 2.\n"
                            "A command's own options: quintara-odds COMMAND --help.";

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

// Every sub-command, in the order --help lists them.
constexpr std::array kCommands = {AddHandCommand,  AddReturnCommand,   AddSimulateCommand,
                                  AddRuinCommand,  AddStrategyCommand, AddTrainCommand,
                                  AddGamesCommand, AddTablesCommand};

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
