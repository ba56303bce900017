#pragma once

#include "pays.h"
#include "strategy.h"

#include <ostream>
#include <string>

namespace odds {

class CommandSet;

// The strategy command of quintara-odds.
void AddStrategyCommand(CommandSet& commands);

struct StrategyOptions
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    int maxLines = 40;
    bool json = false;
    int threads = 0; // one per core
};

constexpr int kMaxStrategyLines = 100;

// The ranked list as a player reads it, and as tools read it.
std::string StrategyText(const Strategy& strategy, const PayVector& pays, int maxLines,
                         const Family& family = JacksFamily());
std::string StrategyJson(const Strategy& strategy, const PayVector& pays, int maxLines,
                         const Family& family = JacksFamily());
int RunStrategy(const StrategyOptions& options, std::ostream& out);

} // namespace odds
