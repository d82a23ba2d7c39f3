// The statistics of every plan and stored algorithm with their chance baselines, p-values and
// adjusted values, against the same statistics without them.

#include <array>
#include <string>
#include <vector>

#include "bench/bench_history.hpp"
#include "bench/table.hpp"
#include "custom/algorithm_search.hpp"
#include "custom/custom_forecast.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_definition.hpp"
#include "stats/hit_chance.hpp"
#include "stats/judged_runs.hpp"

namespace qivra::bench {
namespace {

constexpr int kWindow = 100;

// 16 free and 56 named plans of the shipped shape: three formulas of two to four positions.
std::vector<PlanDefinition> Plans() {
    std::string text;
    unsigned x = 72;
    for (int p = 0; p < kFreePlanCount + kNamedPlanCount; ++p) {
        text += "p";
        text += std::to_string(p);
        text += "----";
        for (int f = 0; f < 3; ++f) {
            x = x * 1103515245u + 12345u;
            const unsigned n = 2 + (x >> 16) % 3;
            for (unsigned t = 0; t < n; ++t) {
                x = x * 1103515245u + 12345u;
                text += std::to_string(1 + (x >> 16) % 12) + (t + 1 < n ? "+" : "");
            }
            text += f < 2 ? "|" : "\r\n";
        }
    }
    return ParsePlanList(text).plans;
}

// Ten stored algorithms: the default one and nine drawn as the search draws them.
std::vector<FormulaSet> Algorithms() {
    std::vector<std::string> texts = {"[1]+[8]+[9]+[12]/[8]*[6]|[9]+[5]+2+[2]|[1]*[9]+[5]/[2]+[10]"};
    FormulaGenerator generator(10);
    while (texts.size() < 10) {
        const auto g = generator.Generation(texts.size() % 2 ? GeneratorMode::Mixed : GeneratorMode::Simple);
        texts.push_back(g[0] + "|" + g[1] + "|" + g[2]);
    }
    std::vector<FormulaSet> out;
    for (const std::string& t : texts) out.push_back(CompileAlgorithmText(t));
    return out;
}

const DrawHistory kHistory = RandomHistory(14);
const std::vector<PlanDefinition> kPlans = Plans();
const std::vector<FormulaSet> kAlgorithms = Algorithms();

// Every kind in turn, so the figure covers each kind's judging and chances.
constexpr std::array<PredictionKind, 9> kKinds = {
    PredictionKind::Combination,       PredictionKind::Size,          PredictionKind::Parity,
    PredictionKind::KillCombination,   PredictionKind::Kill3N,        PredictionKind::Kill4N,
    PredictionKind::DoubleCombination, PredictionKind::AlternateItem, PredictionKind::KillDoubleCombination};

// Argument: 0 plans and algorithms (the figure), 1 plans only, 2 algorithms only (the log).
bool WithPlans(const benchmark::State& state) { return state.range(0) != 2; }
bool WithAlgorithms(const benchmark::State& state) { return state.range(0) != 1; }

void BM_StatisticsAlone(benchmark::State& state) {
    for (auto _ : state)
        for (PredictionKind kind : kKinds) {
            if (WithPlans(state))
                for (const PlanDefinition& plan : kPlans)
                    benchmark::DoNotOptimize(ComputeHitStats(kHistory, plan, kind, kWindow));
            if (WithAlgorithms(state))
                for (const FormulaSet& f : kAlgorithms) benchmark::DoNotOptimize(EvaluateAlgorithm(kHistory, f, kind, kWindow));
        }
}
BENCHMARK(BM_StatisticsAlone)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_StatisticsWithSignificance(benchmark::State& state) {
    std::vector<double> p;
    for (auto _ : state)
        for (PredictionKind kind : kKinds) {
            p.clear();
            if (WithPlans(state))
                for (const PlanDefinition& plan : kPlans) {
                    const auto figures = PlanFigures(kHistory, plan, kind, kWindow);
                    p.push_back(figures->significance.pValue);
                }
            if (WithAlgorithms(state))
                for (const FormulaSet& f : kAlgorithms) {
                    const auto figures = AlgorithmFigures(kHistory, f, kind, kWindow);
                    p.push_back(figures->significance.pValue);
                }
            benchmark::DoNotOptimize(AdjustBenjaminiHochberg(p));
        }
}
BENCHMARK(BM_StatisticsWithSignificance)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The parts of the difference, for the log.
void BM_AssessRun100(benchmark::State& state) {
    std::vector<JudgedPeriod> periods;
    for (int k = 0; k < kWindow; ++k) periods.push_back({k % 3 != 0, k % 2 ? 0.5 : 0.75});
    for (auto _ : state) benchmark::DoNotOptimize(AssessRun(periods));
}
BENCHMARK(BM_AssessRun100);

void BM_HitChanceLookup(benchmark::State& state) {
    const PlanForecast f = DeriveForecast(17, PredictionKind::KillCombination, "3000000");
    for (auto _ : state) benchmark::DoNotOptimize(HitChance(PredictionKind::KillCombination, f, "3000001"));
}
BENCHMARK(BM_HitChanceLookup);

}  // namespace
}  // namespace qivra::bench

int main(int argc, char** argv) {
    using namespace qivra::bench;
    const auto r = RunBenchmarks(argc, argv);
    const double alone = Figure(r, "BM_StatisticsAlone/0", "seconds");
    const double with = Figure(r, "BM_StatisticsWithSignificance/0", "seconds");
    PrintRow("statistics of 72 plans and 10 stored algorithms over 100 periods with chance baselines, p-values and "
             "the adjustment, every kind (9 × 82 runs)",
             Duration(with), "the same statistics alone " + Duration(alone), Times(with / alone), "≤ 1.5×",
             with / alone <= 1.5);
    return 0;
}
