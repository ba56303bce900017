#pragma once

#include "ruin.h"

#include <cstdint>
#include <functional>

namespace odds {

// The smallest bankroll in bets whose chance of going broke is at most a
// risk; units 0 when none up to the most tried will do, or ruin is certain.
struct RiskAnswer
{
    std::int64_t units = 0;
    bool certain = false; // ruin for ever is certain: no bankroll will do
    double ruin = 0;      // at units
    double errorBound = 0;
    double ruinBelow = -1; // at units - 1, where that is a bankroll at all
};

// The chance of ruin from a bankroll, as a walk gives it.
struct RuinAt
{
    double ruin = 0;
    double errorBound = 0;
    bool certain = false;
};

// Ruin falls as the bankroll grows, so doubling and halving find the answer,
// one walk (ruinAt) at each bankroll tried, from the plays of a round up to
// maxUnits; stopped ends the search early with no answer.
RiskAnswer FindRiskBankroll(const std::function<RuinAt(std::int64_t)>& ruinAt, int plays,
                            double risk, std::int64_t maxUnits,
                            const std::function<bool()>& stopped);

// The same read off the chance from every bankroll at once.
RiskAnswer RiskFromCurve(const RuinCurve& curve, double risk, std::int64_t maxUnits);

} // namespace odds
