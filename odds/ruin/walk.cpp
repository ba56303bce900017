#include "ruin.h"

// First: its pragma must come before the complex products.
#include "ruin_levels.h"

#include "parallel.h"
#include "stepping.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

namespace odds {
namespace {

using namespace ruin_detail;

// The bankroll's distribution hand by hand. broke[y] is the chance of y units,
// fewer than plays: the player stays there. The live levels are a band
// [low, top]: mass[y - low] is the chance of y units now, so the work follows
// the spread, not the bankroll.
class RuinWalk
{
  public:
    RuinWalk(const RoundOutcomes& round, std::int64_t start, int threads)
        : m_round(round), m_plays(round.plays),
          m_minNet(*std::min_element(round.net.begin(), round.net.end())),
          m_spread(static_cast<std::size_t>(*std::max_element(round.net.begin(), round.net.end()) -
                                            m_minNet)),
          m_broke(static_cast<std::size_t>(round.plays), 0.0), m_mass{1.0}, m_low(start),
          m_top(start), m_fft(round, m_minNet, m_spread), m_team(threads)
    {
        // Where each outcome moves a live level, counted from the next band's low.
        for (const int net : round.net)
            m_shift.push_back(static_cast<std::size_t>(net - m_minNet));
    }

    bool alive() const { return m_low <= m_top; }

    // One hand. Levels at or above safeFrom, from which going broke has a
    // chance below kSafeRuin, may be set aside when they hold little.
    void step(double safeFrom)
    {
        const auto live = static_cast<std::size_t>(m_top - m_low + 1);
        const std::size_t width = live + m_spread;
        if (width > kMaxLevels)
            throw RuinTooWide{};
        const double* levels = m_mass.data() + m_first;
        if (m_fft.pays(live, m_shift.size())) {
            m_result.errorBound += m_fft(levels, live, m_next, m_team);
        } else {
            m_next.resize(width);
            // Shared only when half the hand outweighs waking the helper.
            const std::size_t minimum =
                std::max<std::size_t>(16, kHelperWork / (kTile * m_shift.size()));
            m_team.run((width + kTile - 1) / kTile, minimum, [&](std::size_t i) {
                const std::size_t begin = i * kTile;
                StepTile(m_next.data() + begin, begin, std::min(width, begin + kTile), levels, live,
                         m_shift.data(), m_round.chance.data(), m_shift.size());
            });
        }
        // Chances off by so much in all move at most that much mass.
        m_result.errorBound += m_round.error;
        std::swap(m_mass, m_next);
        m_low += m_minNet;
        m_top = m_low + static_cast<std::int64_t>(m_mass.size()) - 1;
        // Levels that cannot bet any more leave the band for good.
        std::size_t first = 0;
        for (; m_low < m_plays && first < m_mass.size(); ++first, ++m_low)
            m_broke[static_cast<std::size_t>(m_low)] += m_mass[first];
        // Trim the bottom: zeros, and mass too small to count, which may yet
        // go broke and so counts in full towards the error.
        for (; m_low <= m_top && m_mass[first] < kTinyMass; ++first, ++m_low)
            m_result.errorBound += m_mass[first];
        // Trim the top: zeros always, small mass where ruin can no longer reach.
        while (m_top >= m_low) {
            const double m = m_mass[static_cast<std::size_t>(m_top - m_low) + first];
            if (static_cast<double>(m_top) >= safeFrom && m < kSmallMass) {
                m_result.errorBound += m * kSafeRuin;
            } else if (m < kTinyMass) {
                m_result.errorBound += m;
            } else {
                break;
            }
            --m_top;
        }
        // The band starts at first: the levels before it are not copied out.
        m_first = first;
        m_mass.resize(first +
                      static_cast<std::size_t>(std::max<std::int64_t>(m_top - m_low + 1, 0)));
    }

    double broke() const
    {
        double sum = 0;
        for (const double m : m_broke)
            sum += m;
        return sum;
    }
    double errorBound() const { return m_result.errorBound; }

    // The sum over live levels of their chance times f(level).
    template <class F> double sumLive(F&& f) const
    {
        double sum = 0;
        for (std::size_t i = m_first; i < m_mass.size(); ++i)
            sum += m_mass[i] * f(m_low + static_cast<std::int64_t>(i - m_first));
        return sum;
    }

    RuinResult result() const
    {
        RuinResult result = m_result;
        result.ruin = broke();
        // Quantiles: the lowest bankroll whose share at or below reaches q;
        // mass set aside is too small to move them.
        const auto quantile = [&](double q) {
            double below = 0;
            for (std::size_t y = 0; y < m_broke.size(); ++y) {
                below += m_broke[y];
                if (below >= q)
                    return static_cast<std::int64_t>(y);
            }
            for (std::size_t i = m_first; i < m_mass.size(); ++i) {
                below += m_mass[i];
                if (below >= q)
                    return m_low + static_cast<std::int64_t>(i - m_first);
            }
            return std::max(m_top, m_low - 1) + 1;
        };
        result.low = quantile(0.05);
        result.median = quantile(0.5);
        result.high = quantile(0.95);
        return result;
    }

  private:
    const RoundOutcomes& m_round;
    int m_plays;
    int m_minNet;
    std::size_t m_spread;
    std::vector<std::size_t> m_shift;
    std::vector<double> m_broke;
    std::vector<double> m_mass; // the band from m_first on
    std::size_t m_first = 0;
    std::vector<double> m_next;
    std::int64_t m_low;
    std::int64_t m_top;
    FftStep m_fft;
    TileTeam m_team;
    RuinResult m_result;
};

// The R > 0 with E[exp(-R net)] = 1, for rounds that drift upwards.
double AdjustmentCoefficient(const RoundOutcomes& round)
{
    const auto logM = [&](double theta) {
        long double m = 0;
        for (std::size_t k = 0; k < round.net.size(); ++k)
            m += static_cast<long double>(round.chance[k]) *
                 std::exp(-static_cast<long double>(theta) * round.net[k]);
        return static_cast<double>(std::log(m));
    };
    double high = 1e-6;
    while (logM(high) < 0)
        high *= 2;
    double low = high / 2;
    if (logM(low) >= 0)
        low = 0;
    // log M is convex, below zero between 0 and R and above it beyond.
    for (int i = 0; i < 200 && high - low > 1e-17 * high; ++i) {
        const double mid = (low + high) / 2;
        (logM(mid) < 0 ? low : high) = mid;
    }
    return (low + high) / 2;
}

bool Stopped(const RuinProgress& progress)
{
    return progress.stop != nullptr && progress.stop->load(std::memory_order_relaxed);
}

void Count(const RuinProgress& progress, std::int64_t hands)
{
    if (progress.done != nullptr)
        progress.done->store(static_cast<std::uint64_t>(hands), std::memory_order_relaxed);
}

} // namespace

RuinResult ComputeRuin(const RoundOutcomes& round, std::int64_t start, std::int64_t hands,
                       int threads, const RuinProgress& progress)
{
    const SafeLevel safe(round);
    RuinWalk walk(round, start, threads);
    std::int64_t hand = 0;
    while (hand < hands && walk.alive() && !Stopped(progress)) {
        walk.step(safe(hands - hand - 1));
        Count(progress, ++hand);
    }
    RuinResult result = walk.result();
    // A band that has emptied stays empty: the figures hold for every hand.
    result.hands = walk.alive() ? hand : hands;
    return result;
}

RuinCurve ComputeRuinCurve(const RoundOutcomes& round, std::int64_t hands,
                           const RuinProgress& progress)
{
    const SafeLevel safe(round);
    const std::int64_t plays = round.plays;
    const std::int64_t lowest = *std::min_element(round.net.begin(), round.net.end());
    // The levels from which h hands can ruin at all, or with a chance the
    // cut allows for; and whether the cut is what ends them.
    const auto reach = [&](std::int64_t h) {
        const double exact = static_cast<double>(plays - lowest * h);
        const double cut = std::ceil(safe(h));
        return std::pair{static_cast<std::int64_t>(std::min(exact, cut)), cut < exact};
    };
    RuinCurve curve;
    curve.ruin.assign(static_cast<std::size_t>(plays), 1.0); // no hand left: broke or not
    std::vector<double> next;
    bool lastCut = false; // the last hand's levels end at the cut, not where ruin ends
    std::int64_t h = 0;
    while (h < hands && !Stopped(progress)) {
        const auto [top, cut] = reach(h + 1);
        if (top > static_cast<std::int64_t>(kMaxLevels))
            throw RuinTooWide{};
        const auto below = static_cast<std::int64_t>(curve.ruin.size());
        next.assign(static_cast<std::size_t>(std::max(top, plays)), 0.0);
        std::fill(next.begin(), next.begin() + plays, 1.0);
        for (std::size_t k = 0; k < round.net.size(); ++k) {
            const double chance = round.chance[k];
            const std::int64_t net = round.net[k];
            // Levels b with b + net inside the last hand's levels.
            const std::int64_t end = std::min<std::int64_t>(top, below - net);
            for (std::int64_t b = plays; b < end; ++b)
                next[static_cast<std::size_t>(b)] +=
                    chance * curve.ruin[static_cast<std::size_t>(b + net)];
        }
        if (lastCut)
            curve.errorBound += kSafeRuin;
        lastCut = cut;
        curve.errorBound += round.error;
        std::swap(curve.ruin, next);
        Count(progress, ++h);
    }
    curve.hands = h;
    return curve;
}

EverRuin ComputeEverRuin(const RoundOutcomes& round, std::int64_t start, int threads,
                         const RuinProgress& progress)
{
    EverRuin ever;
    double mean = 0;
    for (std::size_t k = 0; k < round.net.size(); ++k)
        mean += round.chance[k] * round.net[k];
    // A walk that does not drift upwards comes down to any level in the end.
    if (mean <= 0) {
        ever.ruin = 1;
        ever.certain = true;
        return ever;
    }
    const double r = AdjustmentCoefficient(round);
    ever.adjustment = r;
    const int plays = round.plays;
    // exp(-R level) is a martingale, so from y units the chance of ever
    // falling below plays is at most exp(-R (y - plays + 1)) (Lundberg).
    const auto lundberg = [&](std::int64_t level) {
        return std::min(1.0, std::exp(-r * static_cast<double>(level - plays + 1)));
    };
    const int minNet = *std::min_element(round.net.begin(), round.net.end());
    if (plays == 1 && minNet == -1) {
        // One hand a round loses at most the bet, so the walk passes every
        // level on its way down: broke from y is being one lower y times,
        // and the bound is exact. The chances are rounded to double, which
        // moves log M(R) by a few u and so R by that over log M's slope.
        double m = 0;
        double slope = 0;
        for (std::size_t k = 0; k < round.net.size(); ++k) {
            const double term = round.chance[k] * std::exp(-r * round.net[k]);
            m += term;
            slope += term * round.net[k];
        }
        const double rError = 16 * 0x1p-53 * m / std::abs(slope);
        ever.ruin = lundberg(start);
        ever.errorBound =
            ever.ruin * (8 * 0x1p-53 + std::expm1(rError * static_cast<double>(start)));
        return ever;
    }
    // Otherwise: the chance within the hands, hand by hand, until the most
    // that the levels still live could add is small.
    const double safeFrom = plays - 1 + std::log(1 / kSafeRuin) / r;
    RuinWalk walk(round, start, threads);
    std::int64_t hand = 0;
    double tail = 1;
    while (walk.alive() && hand < kMaxEverHands && !Stopped(progress)) {
        walk.step(safeFrom);
        Count(progress, ++hand);
        if (hand % 64 == 0 || !walk.alive()) {
            tail = walk.sumLive(lundberg);
            if (tail < kEverTolerance)
                break;
        }
    }
    tail = walk.alive() ? walk.sumLive(lundberg) : 0;
    ever.ruin = walk.broke() + tail / 2;
    ever.errorBound = tail / 2 + walk.errorBound();
    ever.hands = hand;
    return ever;
}

} // namespace odds
