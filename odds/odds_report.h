#pragma once

#include "exact_return.h"
#include "simulation.h"

#include <array>
#include <string>

namespace odds {

// What each sub-command prints, as text for people or JSON for programs.

std::string HandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                       const PayVector& pays, bool json);

std::string ReturnReport(const ReturnTotals& totals, int threads, double seconds, bool json);

struct SimulationRun
{
    SimulationOptions options;
    int threads = 1;
    double seconds = 0;
};
std::string SimulationReport(const SimulationTotals& seen, const ReturnTotals& exact,
                             const SimulationRun& run, bool json);

// The holds of a hand from best to worst, in BetterHold order.
std::array<unsigned, kHoldCount> RankHolds(const HoldTable& table, const PayVector& pays);

// How many standard errors count successes lie from n trials at probability p.
double StandardScore(std::uint64_t count, std::uint64_t n, double p);

} // namespace odds
