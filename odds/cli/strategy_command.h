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
    PayVector pays{};
    int maxLines = 40;
    bool json = false;
    int threads = 0; // one per core
};

constexpr int kMaxStrategyLines = 100;

std::string StrategyReport(const Strategy& strategy, const PayVector& pays, int maxLines,
                           bool json);
int RunStrategy(const StrategyOptions& options, std::ostream& out);

} // namespace odds
