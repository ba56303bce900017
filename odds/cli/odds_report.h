#pragma once

#include "exact_return.h"
#include "game_deal.h"
#include "ruin.h"
#include "simulation.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace odds {

// Each command builds one report: every figure is worked out here, once, and
// RenderText and RenderJson only lay the figures out, each in its own way.

struct HandReportData
{
    struct Hold
    {
        unsigned mask = 0;                             // bit i keeps card place i
        std::int64_t paid = 0;                         // multipliers summed over the draws
        std::int64_t draws = 0;                        // the draws this hold can get
        ClassCounts counts{};                          // of those draws, by row
        std::array<double, kClassCount> probability{}; // counts over draws
    };
    std::array<int, 5> dealt{};
    std::string hand; // the dealt cards written out
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::vector<Hold> holds; // best first
};
HandReportData BuildHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                               const PayVector& pays, const Family& family);
std::string RenderText(const HandReportData& report);
std::string RenderJson(const HandReportData& report);

// hand --deal game: every hold's value in the game's own deal beside its
// exact value for a fair deck, best for the game's deal first.
struct GameHandReportData
{
    struct Hold
    {
        unsigned mask = 0;
        double game = 0;       // per unit bet under the run model
        std::int64_t paid = 0; // fair deck: multipliers summed over the draws
        std::int64_t draws = 0;
        int fairRank = 0; // 1 for the fair deck's best hold
    };
    std::array<int, 5> dealt{};
    std::string hand;
    const Family* family = &JacksFamily();
    PayVector pays{};
    DealModel model;
    std::vector<Hold> holds; // best for the game's deal first
};
GameHandReportData BuildGameHandReport(const std::array<int, 5>& dealt, const HoldTable& table,
                                       const HoldValues& game, const DealModel& model,
                                       const PayVector& pays, const Family& family);
std::string RenderText(const GameHandReportData& report);
std::string RenderJson(const GameHandReportData& report);

struct ReturnReportData
{
    struct Row
    {
        int row = 0;
        std::int64_t pays = 0;
        std::int64_t combinations = 0; // weighted: see ReturnTotals::denominator()
        double dealt = 0;              // chance the deal already is this row
        double probability = 0;        // after the draw
        double cycle = 0;              // one in this many hands; 0 for a row never made
        double share = 0;              // probability x pays: the row's part of the return
    };
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::int64_t deals = 0;
    std::int64_t weight = 0;       // of each deal, so that every draw counts whole
    std::int64_t combinations = 0; // every deal weighted, all draws
    Wide paid = 0;                 // over the same combinations
    Wide numerator = 0;            // the return, reduced
    Wide denominator = 1;
    std::string returnText; // to 10 decimals, exact rounding
    long double variance = 0;
    long double deviation = 0;
    double hitFrequency = 0;
    std::vector<Row> rows;
    std::vector<std::pair<int, long double>> plays; // N-play deviations asked for
    int threads = 1;
    double seconds = 0;
};
ReturnReportData BuildReturnReport(const ReturnTotals& totals, const std::vector<int>& plays,
                                   int threads, double seconds);
std::string RenderText(const ReturnReportData& report);
std::string RenderJson(const ReturnReportData& report);

struct SimulationRun
{
    SimulationOptions options;
    int threads = 1;
    double seconds = 0;
};

struct SimulationReportData
{
    struct Figure
    {
        std::uint64_t count = 0;
        double observed = 0;
        double exact = 0;
        double z = 0;
    };
    struct Row
    {
        int row = 0;
        std::int64_t pays = 0;
        Figure dealt;
        Figure made;
    };
    SimulationRun run;
    std::uint64_t hands = 0;
    std::uint64_t paid = 0;
    double observed = 0;
    double fairBestReturn = 0; // the fair deck's best hold on the same deals
    double gain = 0;
    double gainStandardError = 0;
    std::string exactText;
    double standardError = 0;
    double z = 0;
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::vector<Row> rows;
};
SimulationReportData BuildSimulationReport(const SimulationTotals& seen, const ReturnTotals& exact,
                                           const SimulationRun& run);
std::string RenderText(const SimulationReportData& report);
std::string RenderJson(const SimulationReportData& report);

struct RuinReportData
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::int64_t bankroll = 0; // cents
    std::int64_t bet = 0;      // cents a play
    std::int64_t hands = 0;    // 0: for ever
    int plays = 1;
    double returnValue = 0; // per unit bet: what decides ruin for ever
    RuinResult result;      // within the hands
    EverRuin ever;          // for ever
    // The bankroll points in cents: units of bet, plus what never could be bet.
    std::int64_t low = 0;
    std::int64_t median = 0;
    std::int64_t high = 0;
    double seconds = 0;

    bool forever() const { return hands == 0; }
    bool stopped() const { return !forever() && result.hands < hands; }
};
RuinReportData BuildRuinReport(const PayVector& pays, std::int64_t bankroll, std::int64_t bet,
                               std::int64_t hands, const RuinResult& result, double seconds);
std::string RenderText(const RuinReportData& report);
std::string RenderJson(const RuinReportData& report);

// The smallest bankroll, in bets, whose chance of going broke within the
// hands (or for ever) is at most the risk asked.
struct RiskReportData
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::int64_t bet = 0;   // cents a play
    std::int64_t hands = 0; // 0: for ever
    int plays = 1;
    double returnValue = 0;
    double risk = 0;
    std::int64_t units = 0; // 0: none up to maxUnits
    std::int64_t maxUnits = 0;
    bool certain = false; // ruin for ever is certain: no bankroll will do
    double ruin = 0;      // at units
    double errorBound = 0;
    double ruinBelow = -1; // at units - 1, where that is a bankroll at all
    double seconds = 0;
};
std::string RenderText(const RiskReportData& report);
std::string RenderJson(const RiskReportData& report);

// ruin --curve: the chance of going broke within the hands for a range of
// bankrolls, in bets of one play.
struct RuinCurveReportData
{
    const Family* family = &JacksFamily();
    PayVector pays{};
    std::int64_t bet = 0; // cents a hand
    std::int64_t hands = 0;
    struct Point
    {
        std::int64_t units = 0;
        double ruin = 0;
    };
    std::vector<Point> points;
    double errorBound = 0;
    double seconds = 0;
};
std::string RenderText(const RuinCurveReportData& report);
std::string RenderJson(const RuinCurveReportData& report);

// The holds of a hand from best to worst, in BetterHold order.
std::array<unsigned, kHoldCount> RankHolds(const HoldTable& table, const PayVector& pays,
                                           const Deck& deck = kDeck52);

// How many standard errors count successes lie from n trials at probability p.
double StandardScore(std::uint64_t count, std::uint64_t n, double p);

// Whole numbers written out, with thousands separators when grouped.
std::string WholeText(Wide value, bool grouped = false);

} // namespace odds
