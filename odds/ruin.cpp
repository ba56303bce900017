#include "ruin.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace odds {
namespace {

constexpr double kSafeRuin = 1e-12;  // ruin chance that counts as none for set-aside mass
constexpr double kSmallMass = 1e-15; // per level, set aside where ruin cannot reach
constexpr double kTinyMass = 1e-19;  // per level, set aside anywhere: counted as error

// Levels above which ruin within r rounds has a chance below kSafeRuin. For
// any theta > 0, exp(-theta S_j) / M(theta)^j is a martingale, so Doob's
// inequality bounds the chance that the nets ever sum to -t or less within r
// rounds by exp(-theta t) max(1, M(theta))^r.
class SafeLevel
{
  public:
    explicit SafeLevel(const RoundOutcomes& round) : m_plays(round.plays)
    {
        for (std::size_t i = 0; i < kThetas; ++i) {
            const double theta = 1e-4 * std::pow(1.2, static_cast<double>(i));
            double m = 0;
            for (std::size_t k = 0; k < round.net.size(); ++k)
                m += round.chance[k] * std::exp(-theta * round.net[k]);
            m_theta[i] = theta;
            m_logM[i] = std::max(0.0, std::log(m));
        }
    }
    // The lowest bankroll from which r rounds ruin with a chance below kSafeRuin.
    double operator()(std::int64_t rounds) const
    {
        double drop = INFINITY;
        const double r = static_cast<double>(rounds);
        for (std::size_t i = 0; i < kThetas; ++i)
            drop = std::min(drop, (r * m_logM[i] - std::log(kSafeRuin)) / m_theta[i]);
        return m_plays + drop;
    }

  private:
    static constexpr std::size_t kThetas = 64;
    int m_plays;
    std::array<double, kThetas> m_theta{};
    std::array<double, kThetas> m_logM{};
};

// to[i] += p x from[i].
void AddScaled(double* __restrict to, const double* __restrict from, std::size_t count, double p)
{
    for (std::size_t i = 0; i < count; ++i)
        to[i] += p * from[i];
}

// The levels [begin, end) of the next hand: out[y - begin] gains chance[k] x
// live[y - shift[k]] for every outcome. A tile small enough for the first-level
// cache is summed in place while the live levels stream past it; the AVX2
// clone doubles the width of each step where the processor has it.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void
StepTile(double* __restrict out, std::size_t begin, std::size_t end, const double* __restrict live,
         std::size_t liveCount, const std::size_t* shift, const double* chance,
         std::size_t outcomes)
{
    for (std::size_t k = 0; k < outcomes; ++k) {
        const std::size_t lo = std::max(begin, shift[k]);
        const std::size_t hi = std::min(end, shift[k] + liveCount);
        const double p = chance[k];
        const double* from = live - shift[k];
        for (std::size_t y = lo; y < hi; ++y)
            out[y - begin] += p * from[y];
    }
}
constexpr std::size_t kTile = 256;

} // namespace

RoundOutcomes SingleHandOutcomes(const ReturnTotals& totals)
{
    // Rows of equal pay are one outcome; outcomes go from the lowest net up.
    std::map<std::int64_t, Wide> byPay;
    for (int c = 0; c < kClassCount; ++c)
        if (totals.rows[c] > 0)
            byPay[totals.pays[c]] += totals.rows[c];
    RoundOutcomes round;
    for (const auto& [pay, combinations] : byPay) {
        round.net.push_back(static_cast<int>(pay) - 1);
        round.chance.push_back(static_cast<double>(combinations) /
                               static_cast<double>(ReturnTotals::Denominator()));
    }
    return round;
}

RoundOutcomes PlaysOutcomes(const DrawTables& tables, const PayVector& pays, int plays)
{
    // Deals grouped by the draws of their best hold.
    std::map<std::pair<ClassCounts, std::int64_t>, std::int64_t> groups;
    const PaidTables paid(tables, pays);
    for (const DealClass& deal : SuitClasses()) {
        const BestPlay play = PlayBest(tables, paid, deal.cards);
        groups[{play.counts, DrawsFor(play.hold)}] += deal.weight;
    }
    const std::int64_t maxPay = *std::max_element(pays.begin(), pays.end());
    std::vector<double> total(static_cast<std::size_t>(maxPay * plays) + 1, 0.0);
    std::vector<double> sum;
    std::vector<double> grown;
    for (const auto& [draws, weight] : groups) {
        const auto& [counts, count] = draws;
        // The payout of one play, then of all N, one play at a time.
        std::vector<std::pair<std::size_t, double>> one;
        for (int c = 0; c < kClassCount; ++c)
            if (counts[c] > 0)
                one.emplace_back(static_cast<std::size_t>(pays[c]),
                                 static_cast<double>(counts[c]) / static_cast<double>(count));
        sum.assign(1, 1.0);
        for (int n = 0; n < plays; ++n) {
            grown.assign(sum.size() + static_cast<std::size_t>(maxPay), 0.0);
            for (const auto& [pay, chance] : one)
                AddScaled(grown.data() + pay, sum.data(), sum.size(), chance);
            while (grown.size() > 1 && grown.back() == 0)
                grown.pop_back();
            std::swap(sum, grown);
        }
        AddScaled(total.data(), sum.data(), sum.size(),
                  static_cast<double>(weight) / static_cast<double>(kDealCount));
    }
    RoundOutcomes round;
    round.plays = plays;
    for (std::size_t t = 0; t < total.size(); ++t)
        if (total[t] > 0) {
            round.net.push_back(static_cast<int>(t) - plays);
            round.chance.push_back(total[t]);
        }
    return round;
}

RuinResult ComputeRuin(const RoundOutcomes& round, std::int64_t start, std::int64_t hands)
{
    const int plays = round.plays;
    const int minNet = *std::min_element(round.net.begin(), round.net.end());
    const int maxNet = *std::max_element(round.net.begin(), round.net.end());
    const SafeLevel safe(round);
    RuinResult result;

    // broke[y]: chance of y units, fewer than plays: the player stays there.
    // The live levels are a band [low, top]: mass[y - low] is the chance of y
    // units now, so the work follows the spread, not the bankroll.
    std::vector<double> broke(static_cast<std::size_t>(plays), 0.0);
    std::vector<double> mass{1.0};
    std::vector<double> next;
    std::int64_t low = start;
    std::int64_t top = start;
    // Where each outcome moves a live level, counted from the next band's low.
    std::vector<std::size_t> shift;
    const auto spread = static_cast<std::size_t>(maxNet - minNet);
    for (const int net : round.net)
        shift.push_back(static_cast<std::size_t>(net - minNet));
    for (std::int64_t hand = 1; hand <= hands && low <= top; ++hand) {
        const auto live = static_cast<std::size_t>(top - low + 1);
        const std::size_t width = live + spread;
        if (width > kMaxLevels)
            throw RuinTooWide{};
        next.assign(width, 0.0);
        for (std::size_t begin = 0; begin < width; begin += kTile)
            StepTile(next.data() + begin, begin, std::min(width, begin + kTile), mass.data(), live,
                     shift.data(), round.chance.data(), shift.size());
        std::swap(mass, next);
        low += minNet;
        top += maxNet;
        // Levels that cannot bet any more leave the band for good.
        std::size_t first = 0;
        for (; low < plays && first < mass.size(); ++first, ++low)
            broke[static_cast<std::size_t>(low)] += mass[first];
        // Trim the bottom: zeros, and mass too small to count, which may yet
        // go broke and so counts in full towards the error.
        for (; low <= top && mass[first] < kTinyMass; ++first, ++low) {
            result.cutMass += mass[first];
            result.errorBound += mass[first];
        }
        // Trim the top: zeros always, small mass where ruin can no longer reach.
        const double safeFrom = safe(hands - hand);
        while (top >= low) {
            const double m = mass[static_cast<std::size_t>(top - low) + first];
            if (static_cast<double>(top) >= safeFrom && m < kSmallMass) {
                result.cutMass += m;
                result.errorBound += m * kSafeRuin;
            } else if (m < kTinyMass) {
                result.cutMass += m;
                result.errorBound += m;
            } else {
                break;
            }
            --top;
        }
        mass.erase(mass.begin(), mass.begin() + static_cast<std::ptrdiff_t>(first));
        mass.resize(static_cast<std::size_t>(std::max<std::int64_t>(top - low + 1, 0)));
    }

    for (const double m : broke)
        result.ruin += m;
    // Quantiles: the lowest bankroll whose share at or below reaches q; mass
    // set aside is too small to move them.
    const auto quantile = [&](double q) {
        double below = 0;
        for (std::size_t y = 0; y < broke.size(); ++y) {
            below += broke[y];
            if (below >= q)
                return static_cast<std::int64_t>(y);
        }
        for (std::size_t i = 0; i < mass.size(); ++i) {
            below += mass[i];
            if (below >= q)
                return low + static_cast<std::int64_t>(i);
        }
        return std::max(top, low - 1) + 1;
    };
    result.low = quantile(0.05);
    result.median = quantile(0.5);
    result.high = quantile(0.95);
    return result;
}

} // namespace odds
