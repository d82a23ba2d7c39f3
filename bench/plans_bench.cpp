// The marking of all named plans against one view per plan, and the cost of writing a view.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_history.hpp"
#include "core/draw.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_definition.hpp"
#include "plans/plan_view.hpp"

namespace qivra {
namespace {

class NullSink : public CellSink {
public:
    void SetCellText(int, int, const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
    void SetCellTextColour(int, int, Rgb colour) override { benchmark::DoNotOptimize(colour); }
};

const DrawHistory kHistory = bench::RandomHistory(2028);
const std::vector<PlanDefinition> kPlans = bench::MadeUpPlans(kNamedPlanCount, 56);
constexpr int kWindow = 100;

void BM_MarkNamedPlans(benchmark::State& state) {
    const auto kind = static_cast<PredictionKind>(state.range(0));
    for (auto _ : state) {
        MarkResult r = MarkNamedPlans(kHistory, kPlans, kind, kWindow, "100", 1, 2, 0, 80);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_MarkNamedPlans)
    ->Arg(static_cast<int>(PredictionKind::Combination))
    ->Arg(static_cast<int>(PredictionKind::KillDoubleCombination));

void BM_FiftySixPlanViews(benchmark::State& state) {
    const auto kind = static_cast<PredictionKind>(state.range(0));
    NullSink grid;
    for (auto _ : state) {
        for (const PlanDefinition& plan : kPlans) {
            const std::vector<PlanForecast> forecasts = PlanForecasts(kHistory, plan, kind, kDefaultHistoryDepth);
            WritePlanView(grid, kHistory, forecasts, kind, kDefaultHistoryDepth);
        }
    }
}
BENCHMARK(BM_FiftySixPlanViews)
    ->Arg(static_cast<int>(PredictionKind::Combination))
    ->Arg(static_cast<int>(PredictionKind::KillDoubleCombination));

void BM_PlanForecasts(benchmark::State& state) {
    for (auto _ : state) {
        auto forecasts = PlanForecasts(kHistory, kPlans.front(), PredictionKind::Combination, kDefaultHistoryDepth);
        benchmark::DoNotOptimize(forecasts);
    }
}
BENCHMARK(BM_PlanForecasts);

void BM_WritePlanView(benchmark::State& state) {
    const auto forecasts = PlanForecasts(kHistory, kPlans.front(), PredictionKind::Combination, kDefaultHistoryDepth);
    NullSink grid;
    for (auto _ : state) WritePlanView(grid, kHistory, forecasts, PredictionKind::Combination, kDefaultHistoryDepth);
}
BENCHMARK(BM_WritePlanView);

// The same view written again through the filter: every cell compared, none forwarded.
void BM_WritePlanViewUnchangedThroughFilter(benchmark::State& state) {
    const auto forecasts = PlanForecasts(kHistory, kPlans.front(), PredictionKind::Combination, kDefaultHistoryDepth);
    NullSink grid;
    ChangedCellsFilter filter(grid);
    WritePlanView(filter, kHistory, forecasts, PredictionKind::Combination, kDefaultHistoryDepth);
    for (auto _ : state) WritePlanView(filter, kHistory, forecasts, PredictionKind::Combination, kDefaultHistoryDepth);
}
BENCHMARK(BM_WritePlanViewUnchangedThroughFilter);

}  // namespace
}  // namespace qivra
