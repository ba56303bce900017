#pragma once

// One hand's step of the bankroll's walk: tiles of levels, summed on up to two
// threads, and the step of many outcomes as a convolution by FFT. Included by
// the walk alone, after its pragma for complex products.
#include "ruin_levels.h"

#include <algorithm>
#include <atomic>
#include <complex>
#include <functional>
#include <kissfft/kissfft.hh>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace odds::ruin_detail {

// The levels [begin, end) of the next hand: out[y - begin] is the sum of
// chance[k] x live[y - shift[k]] over the outcomes.
void StepTile(double* __restrict out, std::size_t begin, std::size_t end,
              const double* __restrict live, std::size_t liveCount, const std::size_t* shift,
              const double* chance, std::size_t outcomes);

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

} // namespace odds::ruin_detail
