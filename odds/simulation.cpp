#include "simulation.h"

#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "parallel.h"
#include "random.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace odds {
namespace {

constexpr std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

constexpr int kTopCards = 10; // five dealt, at most five drawn

// Rounds half to even, as nearbyint does in the default rounding mode.
inline int RoundHalfEven(float x)
{
#ifdef __SSE2__
    return _mm_cvtss_si32(_mm_set_ss(x));
#else
    return static_cast<int>(std::lrint(x));
#endif
}

// The game's shuffle is 52 triple cuts; the top cards are followed back
// through them to the places they held in the fresh deck 1..52.
template <typename R> std::array<int, kTopCards> TopAfterShuffle(R& random)
{
    random.reseed(); // as NewDeck does
    random.reseed(); // as ShuffleDeck does
    constexpr int n = cards::kCardCount;
    std::array<int, 2 * n> cut{};
    // cards::CutPoint's rounding, at a fraction of the cost of nearbyint.
    for (int& k : cut)
        k = RoundHalfEven(random.next() * static_cast<float>(n));
    // Sixteen lanes of which ten are used, eight to a vector.
    alignas(16) std::array<std::int16_t, 16> place{};
    std::iota(place.begin(), place.end(), std::int16_t{0});
#ifdef __SSE2__
    __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(place.data()));
    __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(place.data() + 8));
#endif
    for (int i = n - 1; i >= 0; --i) {
        const auto a = static_cast<std::int16_t>(std::min(cut[2 * i], cut[2 * i + 1]));
        const auto b = static_cast<std::int16_t>(std::max(cut[2 * i], cut[2 * i + 1]));
        const auto lastStart = static_cast<std::int16_t>(n - b);
        const auto firstStart = static_cast<std::int16_t>(n - a);
        // After the cut the deck reads [b, n) [a, b) [0, a): a card now at q
        // was at q + b, less n - a if it came from the middle block, less b
        // more if it came from the first.
#ifdef __SSE2__
        const __m128i vb = _mm_set1_epi16(b);
        const __m128i vFirst = _mm_set1_epi16(firstStart);
        const __m128i vLast1 = _mm_set1_epi16(static_cast<std::int16_t>(lastStart - 1));
        const __m128i vFirst1 = _mm_set1_epi16(static_cast<std::int16_t>(firstStart - 1));
        const auto step = [&](__m128i q) {
            const __m128i past = _mm_and_si128(_mm_cmpgt_epi16(q, vLast1), vFirst);
            const __m128i first = _mm_and_si128(_mm_cmpgt_epi16(q, vFirst1), vb);
            return _mm_sub_epi16(_mm_sub_epi16(_mm_add_epi16(q, vb), past), first);
        };
        low = step(low);
        high = step(high);
#else
        for (std::int16_t& q : place) {
            const std::int16_t past = q >= lastStart ? firstStart : 0;
            const std::int16_t first = q >= firstStart ? b : 0;
            q = static_cast<std::int16_t>(q + b - past - first);
        }
#endif
    }
#ifdef __SSE2__
    _mm_store_si128(reinterpret_cast<__m128i*>(place.data()), low);
    _mm_store_si128(reinterpret_cast<__m128i*>(place.data() + 8), high);
#endif
    std::array<int, kTopCards> top{};
    for (int k = 0; k < kTopCards; ++k)
        top[k] = place[k] + 1;
    return top;
}

// Every class of deals that differ only by suit names, with its best holds,
// found by a dealt hand's suits sorted by their rank sets.
class ClassHolds
{
  public:
    ClassHolds(const DrawTables& tables, const std::vector<DealClass>& classes,
               std::vector<std::uint32_t> ties)
        : m_slots(kSlots, kEmpty), m_ties(std::move(ties)), m_dealtRow(classes.size())
    {
        for (std::size_t i = 0; i < classes.size(); ++i) {
            const std::array<int, 5>& deal = classes[i].cards;
            std::array<unsigned, 4> masks{};
            for (const int c : deal)
                masks[static_cast<std::size_t>(cards::CardSuit(c))] |= 1u
                                                                       << (cards::CardRank(c) - 1);
            std::size_t slot = SlotOf(KeyOf(masks));
            while (m_slots[slot].index != kEmpty.index)
                slot = (slot + 1) & (kSlots - 1);
            m_slots[slot] = {KeyOf(masks), static_cast<std::uint32_t>(i)};
            m_dealtRow[i] = static_cast<std::uint8_t>(tables.classify(deal));
        }
    }

    // The best hold of a dealt hand, as PlayBest picks it, and the deal's row.
    unsigned hold(const std::array<int, 5>& dealt, int& dealtRow) const
    {
        std::array<unsigned, 4> masks{};
        for (const int c : dealt)
            masks[static_cast<std::size_t>(cards::CardSuit(c))] |= 1u << (cards::CardRank(c) - 1);
        // Suits by rank set, largest first: the order the class's cards are in.
        std::array<int, 4> bySet = {0, 1, 2, 3};
        for (int i = 1; i < 4; ++i)
            for (int j = i; j > 0 && masks[bySet[j - 1]] < masks[bySet[j]]; --j)
                std::swap(bySet[j - 1], bySet[j]);
        std::array<unsigned, 4> sorted{};
        std::array<int, 4> canonical{};
        for (int k = 0; k < 4; ++k) {
            sorted[k] = masks[bySet[k]];
            canonical[bySet[k]] = k;
        }
        const std::uint64_t key = KeyOf(sorted);
        std::size_t slot = SlotOf(key);
        while (m_slots[slot].key != key)
            slot = (slot + 1) & (kSlots - 1);
        const std::uint32_t index = m_slots[slot].index;
        dealtRow = m_dealtRow[index];

        // The class lists its cards by sorted suit, then rank: place j of the
        // class is dealt place order[j].
        std::array<int, 5> order = {0, 1, 2, 3, 4};
        std::array<int, 5> rank{};
        for (int p = 0; p < 5; ++p)
            rank[p] = canonical[cards::CardSuit(dealt[p])] * 16 + cards::CardRank(dealt[p]);
        for (int i = 1; i < 5; ++i)
            for (int j = i; j > 0 && rank[order[j - 1]] > rank[order[j]]; --j)
                std::swap(order[j - 1], order[j]);
        unsigned best = kHoldCount;
        for (std::uint32_t tied = m_ties[index]; tied != 0; tied &= tied - 1) {
            const unsigned own = static_cast<unsigned>(std::countr_zero(tied));
            unsigned mask = 0;
            for (int j = 0; j < 5; ++j)
                if (own & (1u << j))
                    mask |= 1u << order[j];
            best = std::min(best, mask);
        }
        return best;
    }

  private:
    struct Slot
    {
        std::uint64_t key;
        std::uint32_t index;
    };
    static constexpr std::size_t kSlots = 1u << 18; // twice the classes
    static constexpr Slot kEmpty = {0, UINT32_MAX};

    static std::uint64_t KeyOf(const std::array<unsigned, 4>& m)
    {
        return (std::uint64_t(m[0]) << 39) | (std::uint64_t(m[1]) << 26) |
               (std::uint64_t(m[2]) << 13) | m[3];
    }
    static std::size_t SlotOf(std::uint64_t key)
    {
        return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ULL) >> 46);
    }

    std::vector<Slot> m_slots;
    std::vector<std::uint32_t> m_ties;
    std::vector<std::uint8_t> m_dealtRow;
};

// cards::SeededRandom's numbers, with next() inlined in the hot loop.
class InlineSeededRandom
{
  public:
    explicit InlineSeededRandom(std::uint64_t seed) : m_engine(seed) {}
    float next() { return cards::UnitFloat(m_engine()); }
    void reseed() {}

  private:
    std::mt19937_64 m_engine;
};

void PlayBlock(const DrawTables& tables, const ClassHolds& holds, const PayVector& pays,
               std::uint64_t seed, std::uint64_t count, SimulationTotals& sum)
{
    InlineSeededRandom random(seed);
    for (std::uint64_t n = 0; n < count; ++n) {
        const std::array<int, kTopCards> top = TopAfterShuffle(random);
        std::array<int, 5> hand{};
        std::copy_n(top.begin(), 5, hand.begin());
        int dealtRow = 0;
        const unsigned hold = holds.hold(hand, dealtRow);
        ++sum.dealt[dealtRow];
        std::size_t next = 5;
        for (std::size_t place = 0; place < 5; ++place)
            if (!(hold & (1u << place)))
                hand[place] = top[next++];
        const int row = static_cast<int>(tables.classify(hand));
        ++sum.made[row];
        sum.paid += static_cast<std::uint64_t>(pays[row]);
    }
    sum.hands += count;
}

} // namespace

PlayedHand PlayHand(const DrawTables& tables, const PaidTables& paid, cards::Random& random,
                    cards::CardString& deck)
{
    PlayedHand hand;
    cards::NewDeck(deck, random);
    cards::ShuffleDeck(deck, random);
    for (int& card : hand.dealt)
        card = cards::TakeCard(deck, random);
    hand.hold = PlayBest(tables, paid, hand.dealt).hold;
    hand.final = hand.dealt;
    for (int place = 0; place < 5; ++place)
        if (!(hand.hold & (1u << place)))
            hand.final[static_cast<std::size_t>(place)] = cards::TakeCard(deck, random);
    return hand;
}

std::uint64_t BlockSeed(std::uint64_t seed, std::uint64_t block)
{
    return SplitMix(SplitMix(seed) ^ block);
}

double SimulationTotals::returnValue() const
{
    return hands == 0 ? 0.0 : static_cast<double>(paid) / static_cast<double>(hands);
}

std::array<int, 10> ShuffledTop(cards::Random& random)
{
    return TopAfterShuffle(random);
}

SimulationTotals Simulate(const DrawTables& tables, const SimulationOptions& options,
                          std::atomic<std::uint64_t>* done, ReturnTotals* exact)
{
    const std::uint64_t blocks = (options.hands + kSimulationBlock - 1) / kSimulationBlock;
    int threads = options.threads > 0 ? options.threads : DefaultThreadCount();
    threads =
        static_cast<int>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(threads, blocks)));

    const std::vector<DealClass> classes = SuitClasses();
    std::vector<std::uint32_t> ties;
    const ReturnTotals solved =
        ComputeReturn(tables, options.pays, options.threads, classes, &ties);
    if (exact)
        *exact = solved;
    const ClassHolds holds(tables, classes, std::move(ties));
    std::atomic<std::uint64_t> next{0};
    std::vector<SimulationTotals> partials(static_cast<std::size_t>(threads));
    const auto work = [&](int worker) {
        SimulationTotals& sum = partials[static_cast<std::size_t>(worker)];
        for (;;) {
            const std::uint64_t block = next.fetch_add(1);
            if (block >= blocks)
                return;
            const std::uint64_t first = block * kSimulationBlock;
            const std::uint64_t count = std::min(kSimulationBlock, options.hands - first);
            PlayBlock(tables, holds, options.pays, BlockSeed(options.seed, block), count, sum);
            if (done)
                done->fetch_add(count);
        }
    };
    RunWorkers(threads, work);

    SimulationTotals totals;
    for (const SimulationTotals& p : partials) {
        totals.hands += p.hands;
        totals.paid += p.paid;
        for (int c = 0; c < kClassCount; ++c) {
            totals.dealt[c] += p.dealt[c];
            totals.made[c] += p.made[c];
        }
    }
    return totals;
}

} // namespace odds
