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
        std::array<int, 5> h{};
        for (h[0] = 1; h[0] <= 48; ++h[0])
            for (h[1] = h[0] + 1; h[1] <= 49; ++h[1])
                for (h[2] = h[1] + 1; h[2] <= 50; ++h[2])
                    for (h[3] = h[2] + 1; h[3] <= 51; ++h[3])
                        for (h[4] = h[3] + 1; h[4] <= 52; ++h[4])
                            sum += hands::EvaluateHand(h, comment);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 2598960);
}
BENCHMARK(BM_EvaluateAllHands)->Unit(benchmark::kMillisecond);

} // namespace
