#include "all_hands.h"
#include "evaluator.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>

namespace {

// Classifies all 2,598,960 five-card hands once per iteration.
void BM_EvaluateAllHands(benchmark::State& state)
{
    std::string comment;
    for (auto _ : state) {
        long sum = 0;
        hands::ForEachHand(
            [&](const std::array<int, 5>& h) { sum += hands::EvaluateHand(h, comment); });
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * hands::kAllHandsCount);
}
BENCHMARK(BM_EvaluateAllHands)->Unit(benchmark::kMillisecond);

} // namespace
