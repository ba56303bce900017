#include "simulation.h"

#include "deck.h"
#include "evaluator.h"
#include "exact_return.h"
#include "parallel.h"
#include "random.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace odds {
namespace {

constexpr std::uint64_t SplitMix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

void PlayBlock(const DrawTables& tables, const PaidTables& paid, const PayVector& pays,
               std::uint64_t seed, std::uint64_t count, SimulationTotals& sum)
{
    cards::SeededRandom random(seed);
    cards::CardString deck;
    for (std::uint64_t n = 0; n < count; ++n) {
        const PlayedHand hand = PlayHand(tables, paid, random, deck);
        ++sum.dealt[static_cast<int>(hands::ClassifyHand(hand.dealt))];
        const int row = static_cast<int>(hands::ClassifyHand(hand.final));
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

SimulationTotals Simulate(const DrawTables& tables, const SimulationOptions& options,
                          std::atomic<std::uint64_t>* done)
{
    const std::uint64_t blocks = (options.hands + kSimulationBlock - 1) / kSimulationBlock;
    int threads = options.threads > 0 ? options.threads : DefaultThreadCount();
    threads =
        static_cast<int>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(threads, blocks)));

    const PaidTables paid(tables, options.pays);
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
            PlayBlock(tables, paid, options.pays, BlockSeed(options.seed, block), count, sum);
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
