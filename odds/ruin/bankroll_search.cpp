#include "bankroll_search.h"

#include <algorithm>
#include <map>

namespace odds {

RiskAnswer FindRiskBankroll(const std::function<RuinAt(std::int64_t)>& ruinAt, int plays,
                            double risk, std::int64_t maxUnits,
                            const std::function<bool()>& stopped)
{
    RiskAnswer answer;
    std::map<std::int64_t, RuinAt> tried;
    const auto ruin = [&](std::int64_t units) {
        auto at = tried.find(units);
        if (at == tried.end())
            at = tried.emplace(units, ruinAt(units)).first;
        answer.certain = answer.certain || at->second.certain;
        return at->second.ruin;
    };
    std::int64_t low = plays - 1; // not enough: not even a bankroll
    std::int64_t high = plays;
    while (ruin(high) > risk && !answer.certain && !stopped()) {
        low = high;
        if (high == maxUnits)
            return answer;
        high = std::min(maxUnits, high * 2);
    }
    if (answer.certain || stopped())
        return answer;
    while (high - low > 1 && !stopped()) {
        const std::int64_t mid = low + (high - low) / 2;
        (ruin(mid) <= risk ? high : low) = mid;
    }
    answer.units = high;
    answer.ruin = tried[high].ruin;
    answer.errorBound = tried[high].errorBound;
    if (const auto below = tried.find(high - 1); below != tried.end())
        answer.ruinBelow = below->second.ruin;
    return answer;
}

RiskAnswer RiskFromCurve(const RuinCurve& curve, double risk, std::int64_t maxUnits)
{
    RiskAnswer answer;
    const auto size = static_cast<std::int64_t>(curve.ruin.size());
    std::int64_t units = 1;
    while (units < size && curve.ruin[static_cast<std::size_t>(units)] > risk)
        ++units;
    if (units > maxUnits)
        return answer;
    answer.units = units;
    answer.ruin = units < size ? curve.ruin[static_cast<std::size_t>(units)] : 0;
    answer.errorBound = curve.errorBound;
    if (units > 1)
        answer.ruinBelow = curve.ruin[static_cast<std::size_t>(units - 1)];
    return answer;
}

} // namespace odds
