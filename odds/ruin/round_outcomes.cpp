#include "ruin.h"

// First: its pragma must come before the complex products.
#include "ruin_levels.h"

#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <kissfft/kissfft.hh>
#include <map>
#include <vector>

namespace odds {
namespace {

using namespace ruin_detail;

// Up to this many plays a round is summed one play at a time; beyond, the
// N^2 sums cost more than the round's spectrum.
constexpr int kPlainPlays = 16;

// Deals grouped by the draw counts of their best hold, with their weight.
using PlayGroups = std::map<std::pair<ClassCounts, std::int64_t>, std::int64_t>;

// The chance of each payout of all N plays: one play at a time, exactly.
std::vector<double> PlainPlays(const PlayGroups& groups, const PayVector& pays, int plays,
                               std::int64_t deals, int threads, const std::atomic<bool>* stop)
{
    const std::int64_t maxPay = *std::max_element(pays.begin(), pays.end());
    const std::vector<PlayGroups::value_type> list(groups.begin(), groups.end());
    // Each worker sums a fixed run of the groups, so a thread count always
    // gives the same figures.
    threads = std::max(1, threads);
    std::vector<std::vector<double>> parts(
        static_cast<std::size_t>(threads),
        std::vector<double>(static_cast<std::size_t>(maxPay * plays) + 1, 0.0));
    RunWorkers(threads, [&](int worker) {
        std::vector<double>& total = parts[static_cast<std::size_t>(worker)];
        std::vector<double> sum;
        std::vector<double> grown;
        const auto share = [&](int w) {
            return list.size() * static_cast<std::size_t>(w) / static_cast<std::size_t>(threads);
        };
        for (std::size_t g = share(worker); g < share(worker + 1) && !Stopped(stop); ++g) {
            const auto& [draws, weight] = list[g];
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
                      static_cast<double>(weight) / static_cast<double>(deals));
        }
    });
    for (std::size_t t = 1; t < parts.size(); ++t)
        AddScaled(parts[0].data(), parts[t].data(), parts[t].size(), 1.0);
    return parts[0];
}

// The same from the round's spectrum: at each frequency every group's one-play
// transform, raised to the N-th power, weighted and summed; one inverse
// transform gives the payouts. error gets how far their chances may lie from
// the exact ones, summed.
std::vector<double> SpectralPlays(const PlayGroups& groups, const PayVector& pays, int plays,
                                  std::int64_t deals, int threads, double& error)
{
    const std::int64_t maxPay = *std::max_element(pays.begin(), pays.end());
    const auto width = static_cast<std::size_t>(maxPay * plays) + 1;
    std::size_t size = 16;
    while (size < width)
        size *= 2;
    // Each group as the chance of each distinct pay of one play.
    std::vector<std::int64_t> values(pays.begin(), pays.end());
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::vector<double> chance;
    std::vector<double> weight;
    for (const auto& [draws, w] : groups) {
        const auto& [counts, count] = draws;
        std::vector<double> one(values.size(), 0.0);
        for (int c = 0; c < kClassCount; ++c) {
            const auto at = std::lower_bound(values.begin(), values.end(), pays[c]);
            one[static_cast<std::size_t>(at - values.begin())] +=
                static_cast<double>(counts[c]) / static_cast<double>(count);
        }
        chance.insert(chance.end(), one.begin(), one.end());
        weight.push_back(static_cast<double>(w) / static_cast<double>(deals));
    }
    const std::size_t kinds = values.size();
    // The payouts are real, so half the spectrum gives the rest.
    std::vector<std::complex<double>> spectrum(size);
    std::atomic<std::size_t> next{0};
    const double pi = std::acos(-1.0);
    RunWorkers(std::max(1, threads), [&](int) {
        constexpr std::size_t kChunk = 256;
        std::vector<std::complex<double>> turn(kinds);
        for (std::size_t begin; (begin = next.fetch_add(kChunk)) <= size / 2;)
            for (std::size_t f = begin; f < std::min(size / 2 + 1, begin + kChunk); ++f) {
                for (std::size_t v = 0; v < kinds; ++v)
                    turn[v] = std::polar(
                        1.0,
                        -2 * pi *
                            static_cast<double>((static_cast<std::size_t>(values[v]) * f) % size) /
                            static_cast<double>(size));
                std::complex<long double> sum = 0;
                for (std::size_t g = 0; g < weight.size(); ++g) {
                    std::complex<double> z = 0;
                    for (std::size_t v = 0; v < kinds; ++v)
                        z += chance[g * kinds + v] * turn[v];
                    std::complex<double> power = 1;
                    for (int n = plays; n > 0; n >>= 1, z *= z)
                        if (n & 1)
                            power *= z;
                    sum += static_cast<std::complex<long double>>(weight[g] * power);
                }
                spectrum[f] = static_cast<std::complex<double>>(sum);
                if (f > 0 && f < size / 2)
                    spectrum[size - f] = std::conj(spectrum[f]);
            }
    });
    std::vector<std::complex<double>> levels(size);
    kissfft<double>(size, true).transform(spectrum.data(), levels.data());
    // At each frequency the power of N plays is off by at most about 16 N u
    // (its factors are at most 1 in size), the turns and the sum by a few u
    // more; the inverse transform adds (8 log2 L + 8) u. Parseval turns that
    // into the same bound on the 2-norm of the payouts' error.
    const double level = (16.0 * plays + 32 + 8 * std::log2(static_cast<double>(size))) * 0x1p-53;
    error = std::sqrt(static_cast<double>(size)) * level;
    std::vector<double> total(width);
    for (std::size_t t = 0; t < width; ++t) {
        const double v = levels[t].real() / static_cast<double>(size);
        if (v <= level)
            error += std::abs(v);
        total[t] = v <= level ? 0 : v;
    }
    return total;
}

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
                               static_cast<double>(totals.denominator()));
    }
    return round;
}

bool RuinSurelyTooWide(const RoundOutcomes& onePlay, int plays, std::int64_t start,
                       std::int64_t hands)
{
    if (onePlay.net.empty())
        return false;
    const auto top = std::max_element(onePlay.net.begin(), onePlay.net.end()) - onePlay.net.begin();
    const auto bottom =
        std::min_element(onePlay.net.begin(), onePlay.net.end()) - onePlay.net.begin();
    const std::int64_t maxNet = std::int64_t{plays} * onePlay.net[static_cast<std::size_t>(top)];
    const std::int64_t minNet = std::int64_t{plays} * onePlay.net[static_cast<std::size_t>(bottom)];
    const double topChance = std::pow(onePlay.chance[static_cast<std::size_t>(top)], plays);
    const double bottomChance = std::pow(onePlay.chance[static_cast<std::size_t>(bottom)], plays);
    const std::int64_t spread = maxNet - minNet;
    double topMass = 1;
    double bottomMass = 1;
    // Before hand k + 1 the band holds the two paths' levels after k hands;
    // the step then needs their distance and a round's spread. Either path
    // trimmed (below the top's cut) or broke, and nothing is sure any more.
    for (std::int64_t k = 0; k < hands; ++k) {
        if (topMass < kSmallMass || bottomMass < kSmallMass || start + k * minNet < plays)
            return false;
        if (static_cast<double>(k) * static_cast<double>(spread) + 1 + static_cast<double>(spread) >
            static_cast<double>(kMaxLevels))
            return true;
        topMass *= topChance;
        bottomMass *= bottomChance;
    }
    return false;
}

RoundOutcomes PlaysOutcomes(const DrawTables& tables, const PayVector& pays, int plays, int threads,
                            const std::atomic<bool>* stop)
{
    // Deals grouped by the draws of their best hold, a share of the classes
    // on each thread.
    const PaidTables paid(tables, pays);
    const std::vector<DealClass> classes = SuitClasses(tables.deck());
    threads = std::max(1, threads);
    std::vector<PlayGroups> parts(static_cast<std::size_t>(threads));
    std::atomic<std::size_t> next{0};
    RunWorkers(threads, [&](int worker) {
        constexpr std::size_t kChunk = 1024;
        PlayGroups& groups = parts[static_cast<std::size_t>(worker)];
        for (std::size_t begin;
             (begin = next.fetch_add(kChunk)) < classes.size() && !Stopped(stop);)
            for (std::size_t c = begin; c < std::min(classes.size(), begin + kChunk); ++c) {
                const BestPlay play = PlayBest(tables, paid, classes[c].cards);
                groups[{play.counts, DrawsFor(play.hold, tables.deck())}] += classes[c].weight;
            }
    });
    if (Stopped(stop))
        throw RuinStopped{};
    PlayGroups groups;
    for (const PlayGroups& part : parts)
        for (const auto& [draws, weight] : part)
            groups[draws] += weight;
    RoundOutcomes round;
    round.plays = plays;
    const std::vector<double> total =
        plays <= kPlainPlays
            ? PlainPlays(groups, pays, plays, tables.deck().deals, threads, stop)
            : SpectralPlays(groups, pays, plays, tables.deck().deals, threads, round.error);
    if (Stopped(stop))
        throw RuinStopped{};
    for (std::size_t t = 0; t < total.size(); ++t)
        if (total[t] > 0) {
            round.net.push_back(static_cast<int>(t) - plays);
            round.chance.push_back(total[t]);
        }
    return round;
}

} // namespace odds
