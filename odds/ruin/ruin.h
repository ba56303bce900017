#pragma once

#include "exact_return.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace odds {

// One round's result in bet units: the payout of every play, less the plays
// bet. net[i] happens with probability chance[i]; nets never fall below
// -plays.
struct RoundOutcomes
{
    int plays = 1;
    std::vector<int> net;
    std::vector<double> chance;
    double error = 0; // how far the chances may lie from the exact ones, summed
};

// The outcomes of one hand under optimal play, from the exact row counts.
RoundOutcomes SingleHandOutcomes(const ReturnTotals& totals);

// The outcomes of one round of N-play: the N hands share the deal and the
// best hold, and each draws from its own copy of the rest of the deck. Deals
// of the same draw chances are worked out once, up to 16 plays one play at a
// time, beyond that from the round's spectrum by FFT (with its error bound).
// Its work grows with the plays times the top pay; stop, when set, ends it
// early with RuinStopped.
RoundOutcomes PlaysOutcomes(const DrawTables& tables, const PayVector& pays, int plays,
                            int threads = 1, const std::atomic<bool>* stop = nullptr);
struct RuinStopped
{
};

struct RuinResult
{
    double ruin = 0;         // broke (fewer than plays units left) within the hands
    std::int64_t median = 0; // bankroll in units after the hands, 0.5 point
    std::int64_t low = 0;    // 0.05 point
    std::int64_t high = 0;   // 0.95 point
    double errorBound = 0;   // how far ruin may lie from the exact figure
    std::int64_t hands = 0;  // hands carried: fewer than asked when stopped
};

// What a long run reports and listens to; both may be null.
struct RuinProgress
{
    std::atomic<std::uint64_t>* done = nullptr; // hands carried so far
    const std::atomic<bool>* stop = nullptr;    // set: end with the hands so far
};

// The widest band of bankroll levels ComputeRuin carries (two arrays of this
// many doubles, about 130 MB); a wider one is refused with RuinTooWide.
constexpr std::size_t kMaxLevels = std::size_t{1} << 23;
struct RuinTooWide
{
};

// True when a walk of N-play rounds from start units over `hands` hands is
// sure to pass kMaxLevels, told from one play's outcomes alone, before the
// rounds' own (which can take minutes) are worked out. Every round netting
// the most, and every round netting the least, each keep at least the one-
// play chance to the N-th power of the mass per hand (the N hands share the
// deal), so while those paths hold mass the band spans them both.
bool RuinSurelyTooWide(const RoundOutcomes& onePlay, int plays, std::int64_t start,
                       std::int64_t hands);

// The exact bankroll distribution, hand by hand, from start units, carried as
// the band of levels that hold mass, so the work follows the spread and not
// the bankroll. Levels holding below 1e-19 are set aside at either end of the
// band (at the bottom as maybe broke); at the top, levels holding below 1e-15
// from which ruin in the hands left has a chance below 1e-12 (a Chernoff bound
// on the running minimum of the nets) are set aside as never broke.
// errorBound adds up what that could change. A round of many outcomes
// (N-play) steps by FFT, on up to two threads, and its round-off is added.
// The chance of going broke within the hands from every bankroll at once:
// one backward pass over the levels, from the hands' end (where only a
// bankroll that cannot bet is broke) one hand at a time to their start. From
// a level ruin within the hands left cannot reach with a chance of 1e-12 or
// more (the bound ComputeRuin sets aside by) it counts as none, each such
// cut added to errorBound. ruin[b] is the chance from b units; every level
// from ruin.size() up has less than errorBound. Stopped early, hands says
// how many were carried.
struct RuinCurve
{
    std::vector<double> ruin;
    double errorBound = 0;
    std::int64_t hands = 0;
};
RuinCurve ComputeRuinCurve(const RoundOutcomes& round, std::int64_t hands,
                           const RuinProgress& progress = {});

RuinResult ComputeRuin(const RoundOutcomes& round, std::int64_t start, std::int64_t hands,
                       int threads = 1, const RuinProgress& progress = {});

struct EverRuin
{
    double ruin = 0;        // the chance of ever going broke
    double errorBound = 0;  // how far it may lie from the exact figure
    bool certain = false;   // the round does not drift upwards: ruin is 1
    double adjustment = 0;  // R, where the round drifts upwards
    std::int64_t hands = 0; // hands carried; 0 where a closed form serves
};
// Hands carried at most for the chance of ever going broke, and the most the
// levels still live may add to it when the walk ends.
constexpr std::int64_t kMaxEverHands = 10000000;
constexpr double kEverTolerance = 1e-10;

// The chance of ever going broke from start units. It is 1 for a round that
// does not drift upwards. For one hand a round the walk comes down one level
// at a time, and it is exactly exp(-R (start - plays + 1)). For N-play it is
// the chance within the hands, carried until the Lundberg bound on what the
// live levels may add falls below kEverTolerance (or kMaxEverHands).
EverRuin ComputeEverRuin(const RoundOutcomes& round, std::int64_t start, int threads = 1,
                         const RuinProgress& progress = {});

} // namespace odds
