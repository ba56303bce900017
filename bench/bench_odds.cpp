#include "exact_return.h"
#include "game_deal.h"
#include "game_shuffle.h"
#include "hold_analysis.h"
#include "odds_command.h"
#include "odds_report.h"
#include "pay_tables.h"
#include "pay_text.h"
#include "random.h"
#include "ruin.h"
#include "simulation.h"
#include "strategy.h"

#include <benchmark/benchmark.h>

#include <map>
#include <numeric>
#include <random>
#include <sstream>

namespace {

const odds::DrawTables& Tables()
{
    static const odds::DrawTables tables;
    return tables;
}

std::vector<std::array<int, 5>> RandomDeals(int count)
{
    std::mt19937_64 gen(1);
    std::vector<std::array<int, 5>> deals(static_cast<std::size_t>(count));
    std::array<int, 52> deck{};
    std::iota(deck.begin(), deck.end(), 1);
    for (auto& deal : deals) {
        std::shuffle(deck.begin(), deck.end(), gen);
        std::copy_n(deck.begin(), 5, deal.begin());
    }
    return deals;
}

// The rank-multiset and one-suit tables, from ClassifyHand.
void BM_BuildTables(benchmark::State& state)
{
    for (auto _ : state) {
        odds::DrawTables tables;
        benchmark::DoNotOptimize(tables.allHands());
    }
}
BENCHMARK(BM_BuildTables)->Unit(benchmark::kMillisecond);

// The exact draw counts of all 32 holds of one dealt hand.
void BM_CountDraws(benchmark::State& state)
{
    const auto deals = RandomDeals(1024);
    odds::HoldTable table;
    std::size_t i = 0;
    for (auto _ : state) {
        odds::CountDraws(Tables(), deals[i++ & 1023], table);
        benchmark::DoNotOptimize(table);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CountDraws);

// What `quintara-odds hand` does once running: counts, ranking and the report.
void BM_HandReport(benchmark::State& state)
{
    const auto deals = RandomDeals(1024);
    const odds::PayVector pays = odds::GamePays();
    odds::HoldTable table;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& deal = deals[i++ & 1023];
        odds::CountDraws(Tables(), deal, table);
        benchmark::DoNotOptimize(
            odds::RenderText(odds::BuildHandReport(deal, table, pays, odds::JacksFamily())));
    }
}
BENCHMARK(BM_HandReport)->Unit(benchmark::kMicrosecond);

// The whole `quintara-odds hand` command in-process, tables included.
void BM_HandCommand(benchmark::State& state)
{
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        benchmark::DoNotOptimize(odds::RunOddsCommand({"hand", "Kh Qh Jh Th 2s"}, out, err));
    }
}
BENCHMARK(BM_HandCommand)->Unit(benchmark::kMillisecond);

void BM_SuitClasses(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::SuitClasses());
}
BENCHMARK(BM_SuitClasses)->Unit(benchmark::kMillisecond);

// The exact return under optimal play, on 1 and 2 threads, tables built.
void BM_ExactReturn(benchmark::State& state)
{
    const odds::PayVector pays = odds::GamePays();
    for (auto _ : state) {
        const odds::ReturnTotals totals =
            odds::ComputeReturn(Tables(), pays, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(totals.paid);
    }
}
BENCHMARK(BM_ExactReturn)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The exact return of each family's default table on two threads, its
// tables built: side by side with the game's own table above.
void BM_FamilyReturn(benchmark::State& state)
{
    const odds::Family& family = odds::Families()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(std::string(family.key));
    for (auto _ : state) {
        const odds::DrawTables tables(family);
        benchmark::DoNotOptimize(odds::ComputeReturn(tables, family.defaultPays, 2).paid);
    }
}
BENCHMARK(BM_FamilyReturn)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime();

// `quintara-odds tables`: every built-in table's exact return.
void BM_AllTables(benchmark::State& state)
{
    for (auto _ : state) {
        std::map<const odds::Family*, odds::DrawTables> tables;
        for (const odds::NamedTable& t : odds::NamedTables()) {
            const odds::DrawTables& counted = tables.try_emplace(t.family, *t.family).first->second;
            benchmark::DoNotOptimize(odds::ComputeReturn(counted, t.pays, 2).paid);
        }
    }
}
BENCHMARK(BM_AllTables)->Unit(benchmark::kMillisecond)->UseRealTime();

// `quintara-odds return` with every figure, N-play 1 to 10 included: the
// solve, the report built once and both renderings.
void BM_ReturnReport(benchmark::State& state)
{
    const odds::PayVector pays = odds::GamePays();
    const std::vector<int> plays = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (auto _ : state) {
        const odds::ReturnTotals totals = odds::ComputeReturn(Tables(), pays, 2);
        const odds::ReturnReportData report = odds::BuildReturnReport(totals, plays, 2, 0);
        benchmark::DoNotOptimize(odds::RenderText(report));
        benchmark::DoNotOptimize(odds::RenderJson(report));
    }
}
BENCHMARK(BM_ReturnReport)->Unit(benchmark::kMillisecond)->UseRealTime();

// Simulated hands per second, the solve of every class included, on 1 and 2
// threads.
void BM_Simulate(benchmark::State& state)
{
    odds::SimulationOptions options;
    options.hands = 1000000;
    options.seed = 1;
    options.threads = static_cast<int>(state.range(0));
    options.pays = odds::GamePays();
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::Simulate(Tables(), options).paid);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(options.hands));
}
BENCHMARK(BM_Simulate)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// simulate --play game: hands per second with the best hold for the game's
// deal worked out on every hand, the solve of every class included.
void BM_SimulateGame(benchmark::State& state)
{
    odds::SimulationOptions options;
    options.hands = 40000;
    options.seed = 11;
    options.threads = static_cast<int>(state.range(0));
    options.pays = odds::GamePays();
    options.play = odds::DealKind::Game;
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::Simulate(Tables(), options).paid);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(options.hands));
}
BENCHMARK(BM_SimulateGame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every hold's value in the game's deal for one dealt hand: the work per
// hand of hand --deal game, train --deal game and simulate --play game.
void BM_GameDealValues(benchmark::State& state)
{
    const odds::PaidTables paid(Tables(), odds::GamePays());
    const odds::GameDeal game(paid, odds::GameDealModel());
    cards::SeededRandom random(5);
    std::vector<std::array<int, 5>> deals(256);
    for (std::array<int, 5>& dealt : deals) {
        const std::array<int, 10> top = odds::ShuffledTop(random);
        std::copy_n(top.begin(), 5, dealt.begin());
    }
    std::size_t n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(game.values(deals[n++ % deals.size()]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameDealValues)->Unit(benchmark::kMicrosecond);

// Building the look-ups hand --deal game needs before its first hand.
void BM_GameDealStart(benchmark::State& state)
{
    const odds::PaidTables paid(Tables(), odds::GamePays());
    const std::array<int, 5> dealt = {1, 2, 3, 4, 5};
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::GameDeal(paid, odds::GameDealModel()).values(dealt));
}
BENCHMARK(BM_GameDealStart)->Unit(benchmark::kMillisecond);

// The shuffle followed back for the top ten cards, against moving the deck.
void BM_ShuffledTop(benchmark::State& state)
{
    cards::SeededRandom random(3);
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ShuffledTop(random));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShuffledTop);

// The risk of ruin of 160 units over 100,000 hands of 9/6, the solve excluded.
void BM_Ruin(benchmark::State& state)
{
    std::string error;
    const odds::PayVector pays = *odds::ParsePays("800,50,25,9,6,4,3,2,1", error);
    const odds::RoundOutcomes round =
        odds::SingleHandOutcomes(odds::ComputeReturn(Tables(), pays, 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ComputeRuin(round, 160, state.range(0)).ruin);
}
BENCHMARK(BM_Ruin)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10-play on 9/6 from 160 units over 1,600 rounds: each round's step is a
// convolution by FFT with some 2,000 outcomes, on two threads.
void BM_RuinPlays(benchmark::State& state)
{
    std::string error;
    const odds::PayVector pays = *odds::ParsePays("800,50,25,9,6,4,3,2,1", error);
    const odds::RoundOutcomes round = odds::PlaysOutcomes(Tables(), pays, 10, 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ComputeRuin(round, 160, 1600, 2).ruin);
}
BENCHMARK(BM_RuinPlays)->Unit(benchmark::kMillisecond)->UseRealTime();

// 200,000 hands of the game's table from 1,000 units, on one thread and on
// two (the second takes half the tiles of each hand).
void BM_RuinThreads(benchmark::State& state)
{
    const odds::RoundOutcomes round =
        odds::SingleHandOutcomes(odds::ComputeReturn(Tables(), odds::GamePays(), 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            odds::ComputeRuin(round, 1000, 200000, static_cast<int>(state.range(0))).ruin);
}
BENCHMARK(BM_RuinThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The chance of ever going broke with 5-play on the game's table from 200
// units: hands carried until the Lundberg bound on the rest is below 1e-10.
void BM_EverRuinPlays(benchmark::State& state)
{
    const odds::RoundOutcomes round = odds::PlaysOutcomes(Tables(), odds::GamePays(), 5, 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ComputeEverRuin(round, 200, 2).ruin);
}
BENCHMARK(BM_EverRuinPlays)->Unit(benchmark::kMillisecond)->UseRealTime();

// The N-play round itself: the best hold of every deal, then N plays each.
void BM_PlaysOutcomes(benchmark::State& state)
{
    std::string error;
    const odds::PayVector pays = *odds::ParsePays("800,50,25,9,6,4,3,2,1", error);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            odds::PlaysOutcomes(Tables(), pays, static_cast<int>(state.range(0)), 2).net.size());
}
BENCHMARK(BM_PlaysOutcomes)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,000 hands of the game's table from a bankroll of 1,000 to 10,000,000
// units: the time should not follow the bankroll.
void BM_RuinBankroll(benchmark::State& state)
{
    const odds::RoundOutcomes round =
        odds::SingleHandOutcomes(odds::ComputeReturn(Tables(), odds::GamePays(), 2));
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::ComputeRuin(round, state.range(0), 1000).ruin);
}
BENCHMARK(BM_RuinBankroll)->Arg(1000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The data every list is ranked from: each deal class's best hold of each pattern.
void BM_StrategyData(benchmark::State& state)
{
    std::string error;
    const odds::PayVector pays = *odds::ParsePays("800,50,25,9,6,4,3,2,1", error);
    for (auto _ : state)
        benchmark::DoNotOptimize(odds::StrategyData(Tables(), pays, 2));
}
BENCHMARK(BM_StrategyData)->Unit(benchmark::kMillisecond)->UseRealTime();

// `strategy --table NAME --lines 40` for the families' goal tables, on two
// threads: the tables, every class's holds, the search and the grade.
void BM_FamilyStrategy(benchmark::State& state)
{
    static const std::array<const char*, 5> kTables = {
        "9/6 Double Double Bonus", "Full Pay Deuces Wild", "Kings or Better Joker Poker 20/7",
        "8/5 Bonus Poker", "10/7 Double Bonus"};
    const odds::NamedTable& table =
        *odds::FindTable(kTables[static_cast<std::size_t>(state.range(0))]);
    state.SetLabel(std::string(table.name));
    odds::Strategy strategy;
    for (auto _ : state) {
        const odds::DrawTables tables(*table.family);
        strategy = odds::StrategyData(tables, table.pays, 2).best(40);
    }
    state.counters["gap_e6"] = strategy.grade.gap() * 1e6;
    state.counters["entries"] =
        static_cast<double>(strategy.lines.size() + strategy.exceptions.size());
}
BENCHMARK(BM_FamilyStrategy)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

// The search and the exact grade of a list of so many entries, on 9/6 (second
// argument 0) and on the game's table (1); the gap shows that it never grows
// with the budget.
void BM_StrategyBest(benchmark::State& state)
{
    std::string error;
    const odds::PayVector pays =
        state.range(1) == 0 ? *odds::ParsePays("800,50,25,9,6,4,3,2,1", error) : odds::GamePays();
    static std::map<std::int64_t, odds::StrategyData> data;
    auto at = data.find(state.range(1));
    if (at == data.end())
        at = data.emplace(state.range(1), odds::StrategyData(Tables(), pays, 2)).first;
    odds::Strategy strategy;
    for (auto _ : state)
        strategy = at->second.best(static_cast<int>(state.range(0)));
    state.counters["gap_e6"] = strategy.grade.gap() * 1e6;
    state.counters["entries"] =
        static_cast<double>(strategy.lines.size() + strategy.exceptions.size());
}
BENCHMARK(BM_StrategyBest)
    ->ArgsProduct({benchmark::CreateDenseRange(8, 40, 1), {0, 1}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

} // namespace
