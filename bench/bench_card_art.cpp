// The card art's first renders, from an empty cache each time: what the table costs when it
// first shows its five places at 200 %, and what the whole contact sheet costs.

#include "card_art.h"
#include "card_code.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <array>

namespace {

const QSize kPlace(73, 97);

void RenderFirst(benchmark::State& state, const std::array<int, 5>& places)
{
    for (auto _ : state) {
        cards::ClearCardArtCache();
        for (const int code : places)
            benchmark::DoNotOptimize(cards::CardPixmap(code, kPlace, 2.0));
    }
    state.SetItemsProcessed(state.iterations() * 5);
}

// Start-up: five places face down on the default back, one picture.
void BM_FirstRenderFiveBacks2x(benchmark::State& state)
{
    RenderFirst(state, {cards::kDefaultBack, cards::kDefaultBack, cards::kDefaultBack,
                        cards::kDefaultBack, cards::kDefaultBack});
}
BENCHMARK(BM_FirstRenderFiveBacks2x)->Unit(benchmark::kMillisecond);

// The first deal: three courts, an ace and a ten, the busiest faces.
void BM_FirstRenderFiveFaces2x(benchmark::State& state)
{
    RenderFirst(state, {cards::MakeCard(3, 1), cards::MakeCard(2, 13), cards::MakeCard(1, 12),
                        cards::MakeCard(0, 11), cards::MakeCard(3, 10)});
}
BENCHMARK(BM_FirstRenderFiveFaces2x)->Unit(benchmark::kMillisecond);

// All 52 faces and 15 backs at 1x and 2x, as tools/contact_sheet.cpp draws them.
void BM_ContactSheet(benchmark::State& state)
{
    for (auto _ : state) {
        cards::ClearCardArtCache();
        for (const qreal ratio : {1.0, 2.0})
            for (int code = 1; code <= cards::kLastBack; ++code)
                if (code != 53)
                    benchmark::DoNotOptimize(cards::CardPixmap(code, kPlace, ratio));
    }
    state.SetItemsProcessed(state.iterations() * 134);
}
BENCHMARK(BM_ContactSheet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Pixmaps need a GUI application; no screen is needed to render them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QGuiApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
