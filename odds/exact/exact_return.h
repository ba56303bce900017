#pragma once

#include "hold_analysis.h"
#include "parallel.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace odds {

__extension__ using Wide = __int128;

constexpr std::int64_t kDealCount = kDeck52.deals;

// One deal per class of deals that differ only by renaming suits, with the
// number of deals in its class.
struct DealClass
{
    std::array<int, 5> cards;
    int weight;
};

// The 134,459 classes of the 52-card deck (their weights add up to
// kDealCount), and with the joker, 150,156 more that hold it.
std::vector<DealClass> SuitClasses(const Deck& deck = kDeck52);

// Optimal play over every deal, summed exactly: paid and rows are in units of
// 1 / denominator() of a unit bet per hand.
struct ReturnTotals
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    Wide paid = 0;
    std::array<Wide, kClassCount> rows{}; // final rows under the best hold
    ClassCounts dealt{};                  // deals of each row, out of deck().deals
    // The square of each deal's best return, summed: in units of
    // 1 / (deals x deck.denominator^2); the spread between deals.
    Wide squaredReturns = 0;

    const Deck& deck() const { return family->deck(); }
    Wide denominator() const { return Wide(deck().deals) * deck().denominator; }
    double returnValue() const;
    double rowProbability(int row) const;
    double dealtProbability(int row) const;
    // The standard deviation of one hand's payout.
    double payoutDeviation() const;
    // The variance of one hand's payout.
    long double variance() const;
    // Per hand of N-play, where the N hands share the held cards and each
    // draws from its own copy of the rest of the deck:
    // sqrt(E[Var(X | deal)] + N x Var(E[X | deal])).
    long double playsDeviation(int plays) const;
};

// threads <= 0 means one per core. ties, when given, gets BestPlay::ties of
// each class, in the order of classes.
ReturnTotals ComputeReturn(const DrawTables& tables, const PayVector& pays, int threads);
ReturnTotals ComputeReturn(const DrawTables& tables, const PayVector& pays, int threads,
                           const std::vector<DealClass>& classes, std::vector<std::uint32_t>* ties);

// num / den in decimal, rounded half up; both non-negative, den > 0.
std::string FormatFraction(Wide num, Wide den, int decimals);

} // namespace odds
