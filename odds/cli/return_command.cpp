#include "commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

namespace odds {
namespace {

const char* const kReturnHelp =
    "Plays the best hold on every one of the 2,598,960 deals and prints the exact\n"
    "return per unit bet, as a reduced fraction and to 10 decimals, with the\n"
    "variance and standard deviation of one hand's payout and the hit frequency\n"
    "(the share of final hands that pay anything).\n"
    "\n"
    "Each deal is weighted by 7,669,695 (5 x C(47,5)), so that every hold's draws\n"
    "count as whole numbers: 19,933,230,517,200 combinations in all (with the\n"
    "joker's 53 cards: 2,869,685 deals weighted by 8,561,520). Per final row\n"
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

} // namespace

void AddReturnCommand(CommandSet& commands)
{
    auto options = std::make_shared<ReturnOptions>();
    CLI::App& ret =
        commands.add("return", "the return of the pay table under optimal play, exactly",
                     kReturnHelp, [options](const CommandContext& c) {
                         const int count = ThreadsFrom(options->threads);
                         const std::vector<int> plays = PlaysFrom(options->plays);
                         const auto start = std::chrono::steady_clock::now();
                         const DrawTables tables(*c.family);
                         const ReturnTotals totals = ComputeReturn(tables, c.pays, count);
                         Print(c, BuildReturnReport(totals, plays, count, SecondsSince(start)));
                         return kExitOk;
                     });
    AddThreadsOption(ret, options->threads);
    AddValueOption(ret, "--plays", options->plays, "N",
                   "standard deviation of N-play, N from 1 to 100: 5, 1,3,5 or 1-10");
}

} // namespace odds
