#include "simulation.h"

#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "game_deal.h"
#include "game_shuffle.h"
#include "hold.h"
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
            bool joker = false;
            for (const int c : deal) {
                if (c == kJoker)
                    joker = true;
                else
                    masks[static_cast<std::size_t>(cards::CardSuit(c))] |=
                        1u << (cards::CardRank(c) - 1);
            }
            const std::uint64_t key = KeyOf(masks, joker);
            std::size_t slot = SlotOf(key);
            while (m_slots[slot].key != kEmpty.key)
                slot = (slot + 1) & (kSlots - 1);
            m_slots[slot] = {key, ties[i], static_cast<std::uint8_t>(tables.classify(deal))};
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

        // The class lists its cards by sorted suit, then rank, the joker
        // last: place j of the class is dealt place order[j].
        std::array<int, 5> order = {0, 1, 2, 3, 4};
        std::array<int, 5> rank{};
        for (int p = 0; p < 5; ++p)
            rank[p] = dealt[p] == kJoker
                          ? 4 * 16
                          : canonical[cards::CardSuit(dealt[p])] * 16 + cards::CardRank(dealt[p]);
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
        bool joker = false;
        for (int i = 0; i < 5; ++i) {
            if (dealt[i] == kJoker)
                joker = true;
            else
                masks[static_cast<std::size_t>(cards::CardSuit(dealt[i]))] |=
                    1u << (cards::CardRank(dealt[i]) - 1);
        }
        std::array<int, 4> bySet = {0, 1, 2, 3};
        for (int i = 1; i < 4; ++i)
            for (int j = i; j > 0 && masks[bySet[j - 1]] < masks[bySet[j]]; --j)
                std::swap(bySet[j - 1], bySet[j]);
        std::array<unsigned, 4> sorted{};
        for (int k = 0; k < 4; ++k) {
            sorted[k] = masks[bySet[k]];
            canonical[bySet[k]] = k;
        }
        return KeyOf(sorted, joker);
    }

    struct Slot
    {
        std::uint64_t key;
        std::uint32_t ties;    // BestPlay::ties of the class
        std::uint8_t dealtRow; // the deal's own row
    };
    static constexpr std::size_t kSlots = 1u << 19;           // twice the classes with a joker
    static constexpr Slot kEmpty = {~std::uint64_t{0}, 0, 0}; // no key is that large

    static std::uint64_t KeyOf(const std::array<unsigned, 4>& m, bool joker)
    {
        return (std::uint64_t(joker) << 52) | (std::uint64_t(m[0]) << 39) |
               (std::uint64_t(m[1]) << 26) | (std::uint64_t(m[2]) << 13) | m[3];
    }
    static std::size_t SlotOf(std::uint64_t key)
    {
        return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ULL) >> 45);
    }

    std::vector<Slot> m_slots;
};

// The final row when hold keeps its places and the rest come from top[5...].
int FinalRow(const DrawTables& tables, const std::array<int, kTopCards>& top, unsigned hold)
{
    const std::span<const int, 5> dealt(top.data(), 5);
    return tables.classify(Hold(hold).drawn(dealt, std::span<const int>(top).subspan(5)));
}

// The game's shuffle of a fresh 52-card deck, as the game deals.
class GameShuffleTop
{
  public:
    explicit GameShuffleTop(std::uint64_t seed) : m_cuts(seed) {}
    std::array<int, kTopCards> next() { return TopAfterCuts(m_cuts.next()); }

  private:
    CutSource m_cuts;
};

// A uniform shuffle of the deck with the joker, which the game's shuffle
// cannot deal: the first ten places of a Fisher-Yates shuffle.
class UniformTop
{
  public:
    UniformTop(std::uint64_t seed, const std::vector<int>& deck)
        : m_random(seed), m_deck(deck.begin(), deck.end())
    {
    }
    std::array<int, kTopCards> next()
    {
        std::array<int, kTopCards> top{};
        for (std::size_t i = 0; i < top.size(); ++i) {
            std::uniform_int_distribution<std::size_t> pick(i, m_deck.size() - 1);
            std::swap(m_deck[i], m_deck[pick(m_random)]);
            top[i] = m_deck[i];
        }
        return top;
    }

  private:
    std::mt19937_64 m_random;
    std::vector<int> m_deck;
};

template <class Source>
void PlayBlock(const DrawTables& tables, const ClassHolds& holds, const GameDeal* game,
               const PayVector& pays, Source source, std::uint64_t count, SimulationTotals& sum)
{
    std::array<int, kTopCards> coming = source.next();
    for (std::uint64_t n = 0; n < count; ++n) {
        // Shuffle one hand ahead, so that its look-up is under way meanwhile.
        const std::array<int, kTopCards> top = coming;
        if (n + 1 < count) {
            coming = source.next();
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

SimulationTotals Simulate(const DrawTables& tables, const SimulationOptions& options,
                          std::atomic<std::uint64_t>* done, ReturnTotals* exact)
{
    const std::uint64_t blocks = (options.hands + kSimulationBlock - 1) / kSimulationBlock;
    int threads = options.threads > 0 ? options.threads : DefaultThreadCount();
    threads =
        static_cast<int>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(threads, blocks)));

    const std::vector<DealClass> classes = SuitClasses(tables.deck());
    std::vector<std::uint32_t> ties;
    const ReturnTotals solved =
        ComputeReturn(tables, options.pays, options.threads, classes, &ties);
    if (exact)
        *exact = solved;
    const ClassHolds holds(tables, classes, ties);
    std::optional<PaidTables> paid;
    std::optional<GameDeal> game;
    if (options.play == DealKind::Game) {
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
            const std::uint64_t seed = BlockSeed(options.seed, block);
            if (tables.deck().cards == cards::kCardCount)
                PlayBlock(tables, holds, game ? &*game : nullptr, options.pays,
                          GameShuffleTop(seed), count, sum);
            else
                PlayBlock(tables, holds, game ? &*game : nullptr, options.pays,
                          UniformTop(seed, tables.family().cards()), count, sum);
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
