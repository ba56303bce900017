#pragma once

// What the ruin room's files share: the cuts that set mass aside and the
// bound that allows for them.

// The transforms multiply finite complex numbers only: without the checks for
// infinities and NaNs a complex product is four multiplications, not a call.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("cx-limited-range")
#endif
#include "ruin.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>

namespace odds::ruin_detail {

inline constexpr double kSafeRuin = 1e-12;  // ruin chance that counts as none for set-aside mass
inline constexpr double kSmallMass = 1e-15; // per level, set aside where ruin cannot reach
inline constexpr double kTinyMass = 1e-19;  // per level, set aside anywhere: counted as error

inline bool Stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

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
inline void AddScaled(double* __restrict to, const double* __restrict from, std::size_t count,
                      double p)
{
    for (std::size_t i = 0; i < count; ++i)
        to[i] += p * from[i];
}

} // namespace odds::ruin_detail
