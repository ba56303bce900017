#pragma once

#include "card_code.h"
#include "exact_return.h"
#include "game_deal.h"
#include "hold_analysis.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace cards {
class Random;
}

namespace odds {

// The hold a simulation plays: the best for a fair deck, or the best for the
// game's own deal (GameDeal under the measured model).

struct SimulationOptions
{
    std::uint64_t hands = 0;
    std::uint64_t seed = 0;
    int threads = 0; // 0: one per core
    PayVector pays{};
    DealKind play = DealKind::Fair;
    // When it turns true no new block starts: the totals are the whole
    // blocks played so far.
    const std::atomic<bool>* stop = nullptr;
};

struct SimulationTotals
{
    std::uint64_t hands = 0;
    std::uint64_t paid = 0; // multipliers summed over all hands
    std::array<std::uint64_t, kClassCount> dealt{};
    std::array<std::uint64_t, kClassCount> made{};
    // The fair deck's best hold on the same deals, and what the play gained
    // over it hand by hand: the sum of the differences and of their squares.
    std::uint64_t fairPaid = 0;
    std::int64_t gained = 0;
    std::uint64_t gainedSquares = 0;

    double returnValue() const;
    double fairReturn() const;
    double gain() const;
    // Of gain(), from the spread of the paired differences.
    double gainStandardError() const;
};

// Hands go in blocks of this many, each block from its own generator seeded
// from the run's seed and the block number: any thread count gives the same
// totals.
constexpr std::uint64_t kSimulationBlock = 4096;
std::uint64_t BlockSeed(std::uint64_t seed, std::uint64_t block);

// Plays options.hands hands as the game deals them (with the joker's deck,
// which the game's shuffle cannot deal, from a uniform shuffle): a fresh deck from
// cards::NewDeck and cards::ShuffleDeck, five cards taken from the top, the
// best hold, then the discarded places refilled from the top, left to right.
// The same hands as cards::SeededRandom(BlockSeed(seed, block)) gives one by one,
// found faster: the best holds of every class of deals are solved once, which
// also gives the exact figures of a fair deck, stored in exact when given.
// done, when given, counts finished hands as they go.
SimulationTotals Simulate(const DrawTables& tables, const SimulationOptions& options,
                          std::atomic<std::uint64_t>* done = nullptr,
                          ReturnTotals* exact = nullptr);

} // namespace odds
