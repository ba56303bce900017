#include "exact_return.h"

#include "card_code.h"
#include "parallel.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <thread>

namespace odds {
namespace {

constexpr int kRanks = 13;

struct Partial
{
    Wide paid = 0;
    Wide squaredReturns = 0;
    std::array<Wide, kClassCount> rows{};
};

std::uint32_t Accumulate(const DrawTables& tables, const PaidTables& paid, const DealClass& deal,
                         Partial& sum)
{
    const BestPlay play = PlayBest(tables, paid, deal.cards);
    const Deck& deck = tables.deck();
    const std::int64_t scale = deck.denominator / DrawsFor(play.hold, deck) * deal.weight;
    sum.paid += Wide(play.scaledReturn) * deal.weight;
    sum.squaredReturns += Wide(play.scaledReturn) * play.scaledReturn * deal.weight;
    for (int c = 0; c < kClassCount; ++c)
        sum.rows[c] += Wide(play.counts[c]) * scale;
    return play.ties;
}

// One deal of size cards per class of deals that differ only by suit names.
std::vector<DealClass> SuitClassesOf(int size)
{
    std::array<std::vector<unsigned>, 6> byCount;
    for (unsigned m = 0; m < (1u << kRanks); ++m)
        if (std::popcount(m) <= 5)
            byCount[std::popcount(m)].push_back(m);

    std::vector<DealClass> classes;
    classes.reserve(size == 5 ? 134459 : 16000);
    std::array<unsigned, 4> m{};
    const auto emit = [&] {
        DealClass deal{};
        int n = 0;
        for (int s = 0; s < 4; ++s)
            for (int v = 0; v < kRanks; ++v)
                if (m[s] & (1u << v))
                    deal.cards[n++] = cards::MakeCard(s, v + 1);
        // Suits holding equal rank sets can be swapped without a new deal.
        int weight = 24;
        for (int s = 0; s < 4;) {
            int run = 1;
            while (s + run < 4 && m[s + run] == m[s])
                ++run;
            for (int f = 2; f <= run; ++f)
                weight /= f;
            s += run;
        }
        deal.weight = weight;
        classes.push_back(deal);
    };
    // Suit rank sets in descending order name each class once.
    for (int c0 = 1; c0 <= size; ++c0)
        for (unsigned m0 : byCount[c0]) {
            m[0] = m0;
            for (int c1 = 0; c1 <= size - c0; ++c1)
                for (unsigned m1 : byCount[c1]) {
                    if (m1 > m0)
                        break;
                    m[1] = m1;
                    for (int c2 = 0; c2 <= size - c0 - c1; ++c2)
                        for (unsigned m2 : byCount[c2]) {
                            if (m2 > m1)
                                break;
                            m[2] = m2;
                            for (unsigned m3 : byCount[size - c0 - c1 - c2]) {
                                if (m3 > m2)
                                    break;
                                m[3] = m3;
                                emit();
                            }
                        }
                }
        }
    return classes;
}

} // namespace

std::vector<DealClass> SuitClasses(const Deck& deck)
{
    // With the joker, its deals are the 4-card classes and the joker; it has
    // no suit, so renaming suits leaves it be.
    if (deck.cards == 53) {
        std::vector<DealClass> all = SuitClassesOf(5);
        for (DealClass deal : SuitClassesOf(4)) {
            deal.cards[4] = kJoker;
            all.push_back(deal);
        }
        return all;
    }
    return SuitClassesOf(5);
}

ReturnTotals ComputeReturn(const DrawTables& tables, const PayVector& pays, int threads)
{
    return ComputeReturn(tables, pays, threads, SuitClasses(tables.deck()), nullptr);
}

ReturnTotals ComputeReturn(const DrawTables& tables, const PayVector& pays, int threads,
                           const std::vector<DealClass>& classes, std::vector<std::uint32_t>* ties)
{
    if (ties)
        ties->assign(classes.size(), 0);
    if (threads <= 0)
        threads = DefaultThreadCount();
    threads = std::max(1, std::min<int>(threads, static_cast<int>(classes.size())));

    // Workers claim chunks as they go; whole-number sums make the total the
    // same whatever the split.
    constexpr std::size_t kChunk = 2048;
    const PaidTables paid(tables, pays);
    std::atomic<std::size_t> next{0};
    std::vector<Partial> partials(static_cast<std::size_t>(threads));
    const auto work = [&](int worker) {
        Partial& sum = partials[static_cast<std::size_t>(worker)];
        for (;;) {
            const std::size_t begin = next.fetch_add(kChunk);
            if (begin >= classes.size())
                return;
            const std::size_t end = std::min(begin + kChunk, classes.size());
            for (std::size_t i = begin; i < end; ++i) {
                const std::uint32_t tied = Accumulate(tables, paid, classes[i], sum);
                if (ties)
                    (*ties)[i] = tied;
            }
        }
    };
    RunWorkers(threads, work);

    ReturnTotals totals;
    totals.family = &tables.family();
    totals.pays = pays;
    totals.dealt = tables.allHands();
    for (const Partial& p : partials) {
        totals.paid += p.paid;
        totals.squaredReturns += p.squaredReturns;
        for (int c = 0; c < kClassCount; ++c)
            totals.rows[c] += p.rows[c];
    }
    return totals;
}

double ReturnTotals::returnValue() const
{
    return static_cast<double>(paid) / static_cast<double>(denominator());
}

double ReturnTotals::rowProbability(int row) const
{
    return static_cast<double>(rows[row]) / static_cast<double>(denominator());
}

double ReturnTotals::dealtProbability(int row) const
{
    return static_cast<double>(dealt[row]) / static_cast<double>(deck().deals);
}

long double ReturnTotals::variance() const
{
    Wide squares = 0; // fits: rows add up to denominator(), pays are at most kMaxPay
    for (int c = 0; c < kClassCount; ++c)
        squares += rows[c] * pays[c] * pays[c];
    const auto whole = static_cast<long double>(denominator());
    const long double mean = static_cast<long double>(paid) / whole;
    return static_cast<long double>(squares) / whole - mean * mean;
}

long double ReturnTotals::playsDeviation(int plays) const
{
    const auto whole = static_cast<long double>(denominator());
    const long double mean = static_cast<long double>(paid) / whole;
    const long double squaredMeans = static_cast<long double>(squaredReturns) / whole /
                                     static_cast<long double>(deck().denominator);
    const long double betweenDeals = squaredMeans - mean * mean;
    const long double withinDeals = variance() - betweenDeals;
    return std::sqrt(std::max(0.0L, withinDeals + static_cast<long double>(plays) * betweenDeals));
}

double ReturnTotals::payoutDeviation() const
{
    return static_cast<double>(std::sqrt(std::max(0.0L, variance())));
}

std::string FormatFraction(Wide num, Wide den, int decimals)
{
    Wide scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const Wide q = (2 * num * scale + den) / (2 * den);
    const Wide whole = q / scale;
    Wide frac = q % scale;
    std::string out;
    Wide w = whole;
    do {
        out.insert(out.begin(), static_cast<char>('0' + static_cast<int>(w % 10)));
        w /= 10;
    } while (w > 0);
    if (decimals > 0) {
        std::string digits(static_cast<std::size_t>(decimals), '0');
        for (int i = decimals - 1; i >= 0; --i) {
            digits[static_cast<std::size_t>(i)] =
                static_cast<char>('0' + static_cast<int>(frac % 10));
            frac /= 10;
        }
        out += '.' + digits;
    }
    return out;
}

} // namespace odds
