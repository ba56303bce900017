#include "simulation.h"

#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "game_deal.h"
#include "parallel.h"
#include "random.h"
#include "split_mix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace odds {
namespace {

constexpr int kTopCards = 10; // five dealt, at most five drawn

#ifndef __SSE2__
// Rounds half to even, as nearbyint does in the default rounding mode; the
// SSE2 path rounds four at a time with _mm_cvtps_epi32 instead.
inline int RoundHalfEven(float x)
{
    return static_cast<int>(std::lrint(x));
}
#endif

// The game's shuffle is 52 triple cuts; the top cards are followed back
// through them to the places they held in the fresh deck 1..52.
constexpr int kCuts = 2 * cards::kCardCount; // random numbers per shuffle

std::array<int, kTopCards> TopAfterCuts(const std::int32_t* cut)
{
    constexpr int n = cards::kCardCount;
    // Sixteen byte lanes of which ten are used: places stay below 104.
    alignas(16) std::array<std::int8_t, 16> place{};
    std::iota(place.begin(), place.end(), std::int8_t{0});
#ifdef __SSE2__
    __m128i q = _mm_load_si128(reinterpret_cast<const __m128i*>(place.data()));
    const __m128i deck = _mm_set1_epi8(static_cast<char>(n));
    const __m128i deck1 = _mm_set1_epi8(static_cast<char>(n - 1));
#endif
    for (int i = n - 1; i >= 0; --i) {
        // min and max without a branch: the pairs come in random order.
        const std::int32_t x = cut[2 * i];
        const std::int32_t y = cut[2 * i + 1];
        const std::int32_t less = (x - y) & -static_cast<std::int32_t>(x < y);
        const auto a = static_cast<std::int8_t>(y + less);
        const auto b = static_cast<std::int8_t>(x - less);
        // After the cut the deck reads [b, n) [a, b) [0, a): a card now at q
        // was at q + b, less n - a if it came from the middle block, less b
        // more if it came from the first.
#ifdef __SSE2__
        const __m128i vb = _mm_set1_epi8(b);
        const __m128i va = _mm_set1_epi8(a);
        const __m128i firstStart = _mm_sub_epi8(deck, va);
        const __m128i past = _mm_and_si128(_mm_cmpgt_epi8(q, _mm_sub_epi8(deck1, vb)), firstStart);
        const __m128i first = _mm_and_si128(_mm_cmpgt_epi8(q, _mm_sub_epi8(deck1, va)), vb);
        q = _mm_sub_epi8(_mm_sub_epi8(_mm_add_epi8(q, vb), past), first);
#else
        const int lastStart = n - b;
        const int firstStart = n - a;
        for (std::int8_t& p : place) {
            const int past = p >= lastStart ? firstStart : 0;
            const int first = p >= firstStart ? b : 0;
            p = static_cast<std::int8_t>(p + b - past - first);
        }
#endif
    }
#ifdef __SSE2__
    _mm_store_si128(reinterpret_cast<__m128i*>(place.data()), q);
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
               const std::vector<std::uint32_t>& ties)
        : m_slots(kSlots, kEmpty)
    {
        for (std::size_t i = 0; i < classes.size(); ++i) {
            const std::array<int, 5>& deal = classes[i].cards;
            std::array<unsigned, 4> masks{};
            for (const int c : deal)
                masks[static_cast<std::size_t>(cards::CardSuit(c))] |= 1u
                                                                       << (cards::CardRank(c) - 1);
            std::size_t slot = SlotOf(KeyOf(masks));
            while (m_slots[slot].key != kEmpty.key)
                slot = (slot + 1) & (kSlots - 1);
            m_slots[slot] = {KeyOf(masks), ties[i],
                             static_cast<std::uint8_t>(tables.classify(deal))};
        }
    }

    // The best hold of a dealt hand, as PlayBest picks it, and the deal's row.
    unsigned hold(const std::array<int, 5>& dealt, int& dealtRow) const
    {
        std::array<int, 4> canonical{};
        const std::uint64_t key = SortedKey(dealt.data(), canonical);
        std::size_t slot = SlotOf(key);
        while (m_slots[slot].key != key)
            slot = (slot + 1) & (kSlots - 1);
        const Slot& found = m_slots[slot];
        dealtRow = found.dealtRow;

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
        for (std::uint32_t tied = found.ties; tied != 0; tied &= tied - 1) {
            const unsigned own = static_cast<unsigned>(std::countr_zero(tied));
            unsigned mask = 0;
            for (int j = 0; j < 5; ++j)
                if (own & (1u << j))
                    mask |= 1u << order[j];
            best = std::min(best, mask);
        }
        return best;
    }

    // Asks for the slot of a deal to come, so that its look-up finds it in
    // the cache.
    void prefetch(const int* dealt) const
    {
        std::array<int, 4> canonical{};
        __builtin_prefetch(&m_slots[SlotOf(SortedKey(dealt, canonical))]);
    }

  private:
    // The key of a deal: its suits' rank sets, largest first. canonical gets
    // each suit's place in that order.
    static std::uint64_t SortedKey(const int* dealt, std::array<int, 4>& canonical)
    {
        std::array<unsigned, 4> masks{};
        for (int i = 0; i < 5; ++i)
            masks[static_cast<std::size_t>(cards::CardSuit(dealt[i]))] |=
                1u << (cards::CardRank(dealt[i]) - 1);
        std::array<int, 4> bySet = {0, 1, 2, 3};
        for (int i = 1; i < 4; ++i)
            for (int j = i; j > 0 && masks[bySet[j - 1]] < masks[bySet[j]]; --j)
                std::swap(bySet[j - 1], bySet[j]);
        std::array<unsigned, 4> sorted{};
        for (int k = 0; k < 4; ++k) {
            sorted[k] = masks[bySet[k]];
            canonical[bySet[k]] = k;
        }
        return KeyOf(sorted);
    }

    struct Slot
    {
        std::uint64_t key;
        std::uint32_t ties;    // BestPlay::ties of the class
        std::uint8_t dealtRow; // the deal's own row
    };
    static constexpr std::size_t kSlots = 1u << 18;           // twice the classes
    static constexpr Slot kEmpty = {~std::uint64_t{0}, 0, 0}; // no key is that large

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
};

// cards::SeededRandom's numbers, with next() inlined in the hot loop.
// The cut points that cards::SeededRandom's numbers give, three shuffles'
// worth at a time: std::mt19937_64 with its 312 words twisted and tempered
// two at a time, then cards::UnitFloat and cards::CutPoint on four at a time.
class CutSource
{
  public:
    explicit CutSource(std::uint64_t seed)
    {
        m_state[0] = seed;
        for (std::size_t i = 1; i < kWords; ++i)
            m_state[i] = 6364136223846793005ULL * (m_state[i - 1] ^ (m_state[i - 1] >> 62)) + i;
    }

    // The cuts of the next shuffle.
    const std::int32_t* next()
    {
        if (m_used == kWords) {
            refill();
            m_used = 0;
        }
        const std::int32_t* cuts = m_cuts.data() + m_used;
        m_used += kCuts;
        return cuts;
    }

  private:
    static constexpr std::size_t kWords = 312;
    static constexpr std::size_t kShift = 156;
    static constexpr std::uint64_t kMatrix = 0xb5026f5aa96619e9ULL;
    static constexpr std::uint64_t kUpper = ~std::uint64_t{0} << 31;
    static_assert(kWords % kCuts == 0);

    static std::uint64_t Twisted(std::uint64_t word, std::uint64_t nextWord, std::uint64_t far)
    {
        const std::uint64_t y = (word & kUpper) | (nextWord & ~kUpper);
        return far ^ (y >> 1) ^ ((y & 1) ? kMatrix : 0);
    }
    static std::uint64_t Tempered(std::uint64_t z)
    {
        z ^= (z >> 29) & 0x5555555555555555ULL;
        z ^= (z << 17) & 0x71d67fffeda60000ULL;
        z ^= (z << 37) & 0xfff7eee000000000ULL;
        return z ^ (z >> 43);
    }

    void refill()
    {
        std::uint64_t* x = m_state.data();
        std::size_t k = 0;
#ifdef __SSE2__
        const __m128i upper = _mm_set1_epi64x(static_cast<long long>(kUpper));
        const __m128i matrix = _mm_set1_epi64x(static_cast<long long>(kMatrix));
        const __m128i one = _mm_set1_epi64x(1);
        const auto twist = [&](std::size_t at, std::size_t far) {
            const __m128i word = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + at));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + at + 1));
            const __m128i y =
                _mm_or_si128(_mm_and_si128(word, upper), _mm_andnot_si128(upper, next));
            const __m128i odd = _mm_sub_epi64(_mm_setzero_si128(), _mm_and_si128(y, one));
            const __m128i z =
                _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + far)),
                              _mm_xor_si128(_mm_srli_epi64(y, 1), _mm_and_si128(odd, matrix)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(x + at), z);
        };
        for (; k + 2 <= kWords - kShift; k += 2)
            twist(k, k + kShift);
        for (; k + 2 <= kWords - 1; k += 2)
            twist(k, k + kShift - kWords);
#endif
        for (; k < kWords - kShift; ++k)
            x[k] = Twisted(x[k], x[k + 1], x[k + kShift]);
        for (; k < kWords - 1; ++k)
            x[k] = Twisted(x[k], x[k + 1], x[k + kShift - kWords]);
        x[kWords - 1] = Twisted(x[kWords - 1], x[0], x[kShift - 1]);

        std::size_t i = 0;
#ifdef __SSE2__
        const auto temper = [](__m128i z) {
            z = _mm_xor_si128(
                z, _mm_and_si128(_mm_srli_epi64(z, 29), _mm_set1_epi64x(0x5555555555555555LL)));
            z = _mm_xor_si128(
                z, _mm_and_si128(_mm_slli_epi64(z, 17), _mm_set1_epi64x(0x71d67fffeda60000LL)));
            z = _mm_xor_si128(
                z, _mm_and_si128(_mm_slli_epi64(z, 37),
                                 _mm_set1_epi64x(static_cast<long long>(0xfff7eee000000000ULL))));
            z = _mm_xor_si128(z, _mm_srli_epi64(z, 43));
            return _mm_srli_epi64(z, 40); // the 24 bits UnitFloat keeps
        };
        const __m128 unit = _mm_set1_ps(1.0f / 16777216.0f);
        const __m128 deckSize = _mm_set1_ps(static_cast<float>(cards::kCardCount));
        for (; i + 4 <= kWords; i += 4) {
            const __m128i a = temper(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i)));
            const __m128i b = temper(_mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 2)));
            const __m128i four = _mm_unpacklo_epi64(_mm_shuffle_epi32(a, _MM_SHUFFLE(2, 0, 2, 0)),
                                                    _mm_shuffle_epi32(b, _MM_SHUFFLE(2, 0, 2, 0)));
            const __m128 r = _mm_mul_ps(_mm_cvtepi32_ps(four), unit);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(m_cuts.data() + i),
                             _mm_cvtps_epi32(_mm_mul_ps(r, deckSize)));
        }
        static_assert(kWords % 4 == 0);
#else
        for (; i < kWords; ++i)
            m_cuts[i] = RoundHalfEven(cards::UnitFloat(Tempered(x[i])) *
                                      static_cast<float>(cards::kCardCount));
#endif
    }

    std::array<std::uint64_t, kWords> m_state{};
    std::array<std::int32_t, kWords> m_cuts{};
    std::size_t m_used = kWords;
};

// The final row when hold keeps its places and the rest come from top[5...].
int FinalRow(const DrawTables& tables, const std::array<int, kTopCards>& top, unsigned hold)
{
    std::array<int, 5> hand{};
    std::copy_n(top.begin(), 5, hand.begin());
    std::size_t next = 5;
    for (std::size_t place = 0; place < 5; ++place)
        if (!(hold & (1u << place)))
            hand[place] = top[next++];
    return static_cast<int>(tables.classify(hand));
}

void PlayBlock(const DrawTables& tables, const ClassHolds& holds, const GameDeal* game,
               const PayVector& pays, std::uint64_t seed, std::uint64_t count,
               SimulationTotals& sum)
{
    CutSource cuts(seed);
    std::array<int, kTopCards> coming = TopAfterCuts(cuts.next());
    for (std::uint64_t n = 0; n < count; ++n) {
        // Shuffle one hand ahead, so that its look-up is under way meanwhile.
        const std::array<int, kTopCards> top = coming;
        if (n + 1 < count) {
            coming = TopAfterCuts(cuts.next());
            holds.prefetch(coming.data());
        }
        std::array<int, 5> hand{};
        std::copy_n(top.begin(), 5, hand.begin());
        int dealtRow = 0;
        const unsigned fairHold = holds.hold(hand, dealtRow);
        ++sum.dealt[dealtRow];
        const int fairRow = FinalRow(tables, top, fairHold);
        int row = fairRow;
        if (game) {
            const unsigned hold = BestOf(game->values(hand));
            if (hold != fairHold)
                row = FinalRow(tables, top, hold);
        }
        ++sum.made[row];
        sum.paid += static_cast<std::uint64_t>(pays[row]);
        sum.fairPaid += static_cast<std::uint64_t>(pays[fairRow]);
        const std::int64_t gained = pays[row] - pays[fairRow];
        sum.gained += gained;
        sum.gainedSquares += static_cast<std::uint64_t>(gained * gained);
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

double SimulationTotals::fairReturn() const
{
    return hands == 0 ? 0.0 : static_cast<double>(fairPaid) / static_cast<double>(hands);
}

double SimulationTotals::gain() const
{
    return hands == 0 ? 0.0 : static_cast<double>(gained) / static_cast<double>(hands);
}

double SimulationTotals::gainStandardError() const
{
    if (hands < 2)
        return 0.0;
    const double n = static_cast<double>(hands);
    const double mean = gain();
    const double variance = (static_cast<double>(gainedSquares) - n * mean * mean) / (n - 1);
    return std::sqrt(std::max(0.0, variance) / n);
}

std::array<int, 10> ShuffledTop(cards::Random& random)
{
    random.reseed(); // as NewDeck does
    random.reseed(); // as ShuffleDeck does
    std::array<std::int32_t, kCuts> cut{};
    for (std::int32_t& k : cut)
        k = cards::CutPoint(random.next(), cards::kCardCount);
    return TopAfterCuts(cut.data());
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
    const ClassHolds holds(tables, classes, ties);
    std::optional<PaidTables> paid;
    std::optional<GameDeal> game;
    if (options.play == SimulatedPlay::Game) {
        paid.emplace(tables, options.pays);
        game.emplace(*paid, GameDealModel());
    }
    std::atomic<std::uint64_t> next{0};
    std::vector<SimulationTotals> partials(static_cast<std::size_t>(threads));
    const auto work = [&](int worker) {
        SimulationTotals& sum = partials[static_cast<std::size_t>(worker)];
        for (;;) {
            if (options.stop && options.stop->load())
                return;
            const std::uint64_t block = next.fetch_add(1);
            if (block >= blocks)
                return;
            const std::uint64_t first = block * kSimulationBlock;
            const std::uint64_t count = std::min(kSimulationBlock, options.hands - first);
            PlayBlock(tables, holds, game ? &*game : nullptr, options.pays,
                      BlockSeed(options.seed, block), count, sum);
            if (done)
                done->fetch_add(count);
        }
    };
    RunWorkers(threads, work);

    SimulationTotals totals;
    for (const SimulationTotals& p : partials) {
        totals.hands += p.hands;
        totals.paid += p.paid;
        totals.fairPaid += p.fairPaid;
        totals.gained += p.gained;
        totals.gainedSquares += p.gainedSquares;
        for (int c = 0; c < kClassCount; ++c) {
            totals.dealt[c] += p.dealt[c];
            totals.made[c] += p.made[c];
        }
    }
    return totals;
}

} // namespace odds
