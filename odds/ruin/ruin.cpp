#include "ruin.h"

// The transforms multiply finite complex numbers only: without the checks for
// infinities and NaNs a complex product is four multiplications, not a call.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("cx-limited-range")
#endif

#include "parallel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <complex>
#include <functional>
#include <kissfft/kissfft.hh>
#include <map>
#include <memory>
#include <system_error>
#include <thread>

namespace odds {
namespace {

constexpr double kSafeRuin = 1e-12;  // ruin chance that counts as none for set-aside mass
constexpr double kSmallMass = 1e-15; // per level, set aside where ruin cannot reach
constexpr double kTinyMass = 1e-19;  // per level, set aside anywhere: counted as error

bool Stopped(const std::atomic<bool>* stop)
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
void AddScaled(double* __restrict to, const double* __restrict from, std::size_t count, double p)
{
    for (std::size_t i = 0; i < count; ++i)
        to[i] += p * from[i];
}

// The levels [begin, end) of the next hand: out[y - begin] is the sum of
// chance[k] x live[y - shift[k]] over the outcomes. A tile small enough for the first-level
// cache is summed in place while the live levels stream past it; the AVX2
// clone doubles the width of each step where the processor has it.
[[gnu::target_clones("arch=x86-64-v3", "default")]] void
StepTile(double* __restrict out, std::size_t begin, std::size_t end, const double* __restrict live,
         std::size_t liveCount, const std::size_t* shift, const double* chance,
         std::size_t outcomes)
{
    std::fill(out, out + (end - begin), 0.0);
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
// Multiply-adds of a hand worth a second thread: about 0.1 ms, several times
// what waking a sleeping thread costs.
constexpr std::size_t kHelperWork = std::size_t{1} << 18;

// A second thread for the tiles of wide bands. Both sides wait by sleeping
// on an atomic, never by spinning, so a run pinned to one core costs what its
// work does; the helper is asked only for bands wide enough that their half
// outweighs waking it.
class TileTeam
{
  public:
    explicit TileTeam(int threads)
    {
        if (threads < 2)
            return;
        try {
            m_helper = std::thread([this] { serve(); });
        } catch (const std::system_error&) {
            // none to be had: the calling thread does every tile
        }
    }
    ~TileTeam()
    {
        if (!m_helper.joinable())
            return;
        m_stop.store(true);
        m_round.fetch_add(1);
        m_round.notify_one();
        m_helper.join();
    }
    TileTeam(const TileTeam&) = delete;
    TileTeam& operator=(const TileTeam&) = delete;

    bool shared() const { return m_helper.joinable(); }

    // tile(i) for every i < count; the helper takes the second half when
    // there is one and count is at least minimum.
    template <class F> void run(std::size_t count, std::size_t minimum, F&& tile)
    {
        if (!m_helper.joinable() || count < minimum) {
            for (std::size_t i = 0; i < count; ++i)
                tile(i);
            return;
        }
        const std::size_t half = count / 2;
        m_work = [&] {
            for (std::size_t i = half; i < count; ++i)
                tile(i);
        };
        m_finished.store(false);
        m_round.fetch_add(1);
        m_round.notify_one();
        for (std::size_t i = 0; i < half; ++i)
            tile(i);
        m_finished.wait(false);
    }

  private:
    void serve()
    {
        std::uint64_t seen = 0;
        for (;;) {
            m_round.wait(seen);
            seen = m_round.load();
            if (m_stop.load())
                return;
            m_work();
            m_finished.store(true);
            m_finished.notify_one();
        }
    }

    std::function<void()> m_work;
    std::atomic<std::uint64_t> m_round{0};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stop{false};
    std::thread m_helper;
};
// Up to this many plays a round is summed one play at a time; beyond, the
// N^2 sums cost more than the round's spectrum.
constexpr int kPlainPlays = 16;

// A round of many outcomes (N-play) is one hand's step as a convolution by
// FFT: the time follows the band's width times its logarithm, not times the
// outcomes. Round-off is bounded from the FFT's own error bound and added to
// the error; levels the round-off could account for are set to zero.
class FftStep
{
  public:
    FftStep(const RoundOutcomes& round, int minNet, std::size_t spread) : m_kernel(spread + 1, 0.0)
    {
        for (std::size_t k = 0; k < round.net.size(); ++k)
            m_kernel[static_cast<std::size_t>(round.net[k] - minNet)] = round.chance[k];
        // The highest nets of N-play (many royals at once) are too rare to
        // count: they are left out, and their chance counts as error.
        while (m_kernel.size() > 1 && m_tail + m_kernel.back() < kTailChance) {
            m_tail += m_kernel.back();
            m_kernel.pop_back();
        }
    }

    // Whether the FFT is the cheaper way for live levels and the round's outcomes.
    bool pays(std::size_t live, std::size_t outcomes) const
    {
        const auto size = static_cast<double>(GoodSize(live + m_kernel.size()));
        return static_cast<double>(live * outcomes) > 6 * size * std::log2(size);
    }

    // out = live convolved with the round; returns how far the sum of out
    // may lie from the exact one. A wide band goes as two halves on two
    // threads, whose results overlap by the round's spread.
    double operator()(const double* live, std::size_t n, std::vector<double>& out, TileTeam& team)
    {
        const std::size_t k = m_kernel.size();
        const std::size_t split = team.shared() && n >= k ? n / 2 : n;
        const Plan& firstPlan = plan(GoodSize(split + k - 1));
        const Plan* secondPlan = split < n ? &plan(GoodSize(n - split + k - 1)) : nullptr;
        Part first;
        Part second;
        team.run(secondPlan ? 2 : 1, 2, [&](std::size_t half) {
            if (half == 0)
                first = convolve(live, split, firstPlan, m_scratch[0]);
            else
                second = convolve(live + split, n - split, *secondPlan, m_scratch[1]);
        });

        const double level = first.level + second.level;
        double error = first.error + second.error + m_tail;
        const std::size_t width = n + k - 1;
        out.resize(width);
        for (std::size_t i = 0; i < width; ++i) {
            double v = i < split + k - 1 ? Level(m_scratch[0], i) : 0;
            if (secondPlan && i >= split)
                v += Level(m_scratch[1], i - split);
            if (v <= level) {
                error += std::abs(v);
                out[i] = 0;
            } else {
                out[i] = v;
            }
        }
        return error;
    }

  private:
    using Complex = std::complex<double>;
    struct Plan
    {
        std::size_t size;
        kissfft<double> forward; // half the size: real levels in pairs
        kissfft<double> inverse;
        std::vector<Complex> kernel;  // the round's spectrum, 0 .. size / 2
        std::vector<Complex> twiddle; // exp(-2 pi i k / size), k < size / 2
    };

    struct Scratch
    {
        std::vector<double> real;
        std::vector<Complex> spectrum;
        std::vector<Complex> packed;
        std::vector<Complex> levels; // even levels real, odd ones imaginary
        double scale = 1;
    };
    // A convolution's error: at most level at any one level, error in all.
    struct Part
    {
        double level = 0;
        double error = 0;
    };

    static double Level(const Scratch& s, std::size_t i)
    {
        const Complex& pair = s.levels[i / 2];
        return (i % 2 == 0 ? pair.real() : pair.imag()) * s.scale;
    }

    // x (n levels) convolved with the round into s.levels, through a real
    // transform of half the length.
    static Part convolve(const double* x, std::size_t n, const Plan& p, Scratch& s)
    {
        const std::size_t half = p.size / 2;
        s.real.assign(p.size, 0.0);
        std::copy(x, x + n, s.real.begin());
        double norm = 0;
        for (std::size_t i = 0; i < n; ++i)
            norm += x[i] * x[i];
        s.spectrum.resize(half);
        p.forward.transform_real(s.real.data(), s.spectrum.data());
        // transform_real packs the spectrum's two real ends into element 0.
        const Complex ends(s.spectrum[0].real() * p.kernel[0].real(),
                           s.spectrum[0].imag() * p.kernel[half].real());
        for (std::size_t k = 1; k < half; ++k)
            s.spectrum[k] *= p.kernel[k];
        // Back to even and odd levels: E = (Z[k] + conj Z[M-k]) / 2 and
        // O = (Z[k] - conj Z[M-k]) / (2 w^k) with w = exp(-2 pi i / L), then
        // one inverse transform of E + iO gives the even levels in the real
        // parts and the odd ones in the imaginary parts.
        s.packed.resize(half);
        for (std::size_t k = 0; k < half; ++k) {
            const Complex z = k == 0 ? Complex(ends.real(), 0) : s.spectrum[k];
            const Complex mirror =
                k == 0 ? Complex(ends.imag(), 0) : std::conj(s.spectrum[half - k]);
            const Complex even = (z + mirror) * 0.5;
            const Complex odd = (z - mirror) * 0.5 * std::conj(p.twiddle[k]);
            s.packed[k] = even + Complex(0, 1) * odd;
        }
        s.levels.resize(half);
        p.inverse.transform(s.packed.data(), s.levels.data());
        s.scale = 1.0 / static_cast<double>(half);
        // Each level's error is at most the 2-norm of the error, which the
        // forward and inverse transforms bound by about 6.7 u log2(L) times the
        // 2-norm of the levels each (u = 2^-53); the products and the packing
        // add a few u more. The sum over L levels is at most sqrt(L) times that.
        const auto size = static_cast<double>(p.size);
        const double level = (16 * std::log2(size) + 16) * 0x1p-53 * std::sqrt(norm);
        return {level, std::sqrt(size) * level};
    }

    // Lengths of 2^k times 1, 5/8 or 3/4: fast to transform, little padding,
    // and few plans for a growing band.
    static std::size_t GoodSize(std::size_t n)
    {
        std::size_t size = 16;
        while (size < n)
            size *= 2;
        for (const std::size_t smaller : {size / 8 * 5, size / 4 * 3})
            if (smaller >= n)
                return smaller;
        return size;
    }

    const Plan& plan(std::size_t size)
    {
        for (const std::unique_ptr<Plan>& p : m_plans)
            if (p->size == size)
                return *p;
        // The round's spectrum and the twiddles are taken in long double, so
        // that their own rounding is one unit of double.
        std::vector<std::complex<long double>> in(size, 0.0L);
        std::vector<std::complex<long double>> spectrum(size);
        for (std::size_t i = 0; i < m_kernel.size(); ++i)
            in[i] = m_kernel[i];
        kissfft<long double>(size, false).transform(in.data(), spectrum.data());
        const std::size_t half = size / 2;
        auto p = std::make_unique<Plan>(
            Plan{size, kissfft<double>(half, false), kissfft<double>(half, true), {}, {}});
        p->kernel.assign(spectrum.begin(),
                         spectrum.begin() + static_cast<std::ptrdiff_t>(half) + 1);
        const long double pi = std::acos(-1.0L);
        for (std::size_t k = 0; k < half; ++k)
            p->twiddle.emplace_back(std::polar(1.0L, -2 * pi * static_cast<long double>(k) /
                                                         static_cast<long double>(size)));
        m_plans.push_back(std::move(p));
        return *m_plans.back();
    }

    static constexpr double kTailChance = 1e-17;
    std::vector<double> m_kernel; // chance by net - minNet
    double m_tail = 0;            // chance of the nets left out
    std::vector<std::unique_ptr<Plan>> m_plans;
    std::array<Scratch, 2> m_scratch;
};

// Deals grouped by the draw counts of their best hold, with their weight.
using PlayGroups = std::map<std::pair<ClassCounts, std::int64_t>, std::int64_t>;

// The chance of each payout of all N plays: one play at a time, exactly.
std::vector<double> PlainPlays(const PlayGroups& groups, const PayVector& pays, int plays,
                               int threads, const std::atomic<bool>* stop)
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
                      static_cast<double>(weight) / static_cast<double>(kDealCount));
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
                                  int threads, double& error)
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
        weight.push_back(static_cast<double>(w) / static_cast<double>(kDealCount));
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
                               static_cast<double>(ReturnTotals::Denominator()));
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
    const std::vector<DealClass> classes = SuitClasses();
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
                groups[{play.counts, DrawsFor(play.hold)}] += classes[c].weight;
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
        plays <= kPlainPlays ? PlainPlays(groups, pays, plays, threads, stop)
                             : SpectralPlays(groups, pays, plays, threads, round.error);
    if (Stopped(stop))
        throw RuinStopped{};
    for (std::size_t t = 0; t < total.size(); ++t)
        if (total[t] > 0) {
            round.net.push_back(static_cast<int>(t) - plays);
            round.chance.push_back(total[t]);
        }
    return round;
}

namespace {

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
        for (; m_low <= m_top && m_mass[first] < kTinyMass; ++first, ++m_low) {
            m_result.cutMass += m_mass[first];
            m_result.errorBound += m_mass[first];
        }
        // Trim the top: zeros always, small mass where ruin can no longer reach.
        while (m_top >= m_low) {
            const double m = m_mass[static_cast<std::size_t>(m_top - m_low) + first];
            if (static_cast<double>(m_top) >= safeFrom && m < kSmallMass) {
                m_result.cutMass += m;
                m_result.errorBound += m * kSafeRuin;
            } else if (m < kTinyMass) {
                m_result.cutMass += m;
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
