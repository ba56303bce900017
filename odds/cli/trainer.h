#pragma once

#include "game_deal.h"
#include "pays.h"
#include "strategy.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <vector>

namespace odds {

class CommandSet;

// The train command of quintara-odds.
void AddTrainCommand(CommandSet& commands);

struct TrainerOptions
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::uint64_t hands = 0; // 0: until "q" or the end of input
    std::uint64_t seed = 0;
    DealKind deal = DealKind::Fair;
    bool colour = false; // suit colours, for a terminal
    bool echo = false;   // show each answer read: input that is not a terminal
    // The list whose lines the advice quotes; empty: the best 40-line list.
    std::vector<StrategyLine> lines;
    std::vector<StrategyException> exceptions; // of lines
};

// Reads holds from in, one line per hand, and reports on out.
int RunTrainer(const TrainerOptions& options, std::istream& in, std::ostream& out);

} // namespace odds
