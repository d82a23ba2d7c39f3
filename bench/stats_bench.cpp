// The statistics of every plan and stored algorithm with their chance baselines, p-values and
// adjusted values, against the same statistics without them.

#include <time.h>

#include <array>
#include <chrono>
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
// 16 free and 56 named plans.
const std::vector<PlanDefinition> kPlans = MadeUpPlans(kFreePlanCount + kNamedPlanCount, 72);
const std::vector<FormulaSet> kAlgorithms = Algorithms();

// Every kind in turn, so the figure covers each kind's judging and chances.
constexpr std::array<PredictionKind, 9> kKinds = {
    PredictionKind::Combination,       PredictionKind::Size,          PredictionKind::Parity,
    PredictionKind::KillCombination,   PredictionKind::Kill3N,        PredictionKind::Kill4N,
    PredictionKind::DoubleCombination, PredictionKind::AlternateItem, PredictionKind::KillDoubleCombination};

// Argument: 0 plans and algorithms (the figure), 1 plans only, 2 algorithms only (the log).
bool WithPlans(const benchmark::State& state) { return state.range(0) != 2; }
bool WithAlgorithms(const benchmark::State& state) { return state.range(0) != 1; }

void StatisticsAlone(bool plans, bool algorithms) {
    for (PredictionKind kind : kKinds) {
        if (plans)
            for (const PlanDefinition& plan : kPlans) benchmark::DoNotOptimize(ComputeHitStats(kHistory, plan, kind, kWindow));
        if (algorithms)
            for (const FormulaSet& f : kAlgorithms) benchmark::DoNotOptimize(EvaluateAlgorithm(kHistory, f, kind, kWindow));
    }
}

// What a page of figures computes: each row's statistics and significance, then the adjustment.
void StatisticsWithSignificance(bool plans, bool algorithms) {
    std::vector<double> p;
    for (PredictionKind kind : kKinds) {
        p.clear();
        if (plans)
            for (const PlanDefinition& plan : kPlans) p.push_back(PlanFigures(kHistory, plan, kind, kWindow)->significance.pValue);
        if (algorithms)
            for (const FormulaSet& f : kAlgorithms) p.push_back(AlgorithmFigures(kHistory, f, kind, kWindow)->significance.pValue);
        benchmark::DoNotOptimize(AdjustBenjaminiHochberg(p));
    }
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Both passes in every iteration, in turns, so that a machine busy with other work slows both
// alike; the counters are the seconds of one pass, wall-clock and CPU.
void BM_StatisticsInterleaved(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    double alone = 0, with = 0, aloneCpu = 0, withCpu = 0;
    bool aloneFirst = true;
    for (auto _ : state) {
        for (int pass = 0; pass < 2; ++pass) {
            const bool doAlone = (pass == 0) == aloneFirst;
            const auto t0 = Clock::now();
            const double c0 = ThreadCpuSeconds();
            if (doAlone) StatisticsAlone(true, true);
            else StatisticsWithSignificance(true, true);
            const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
            const double cpu = ThreadCpuSeconds() - c0;
            (doAlone ? alone : with) += wall;
            (doAlone ? aloneCpu : withCpu) += cpu;
        }
        aloneFirst = !aloneFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["alone"] = alone / n;
    state.counters["with"] = with / n;
    state.counters["alone_cpu"] = aloneCpu / n;
    state.counters["with_cpu"] = withCpu / n;
}
BENCHMARK(BM_StatisticsInterleaved)->MinTime(2.0)->Unit(benchmark::kMillisecond);

void BM_StatisticsAlone(benchmark::State& state) {
    for (auto _ : state) StatisticsAlone(WithPlans(state), WithAlgorithms(state));
}
BENCHMARK(BM_StatisticsAlone)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_StatisticsWithSignificance(benchmark::State& state) {
    for (auto _ : state) StatisticsWithSignificance(WithPlans(state), WithAlgorithms(state));
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
    const double alone = Figure(r, "BM_StatisticsInterleaved", "alone");
    const double with = Figure(r, "BM_StatisticsInterleaved", "with");
    const double aloneCpu = Figure(r, "BM_StatisticsInterleaved", "alone_cpu");
    const double withCpu = Figure(r, "BM_StatisticsInterleaved", "with_cpu");
    PrintRow("statistics of the 72 plans and 10 stored algorithms over 100 periods with their chance baselines, "
             "p-values and adjusted values, for every play type (9 × 82 runs), in turns with the same statistics "
             "alone; per CPU-second " + Times(withCpu / aloneCpu),
             Duration(with), "the same statistics alone " + Duration(alone), Times(with / alone), "≤ 1.5×",
             with / alone <= 1.5);
    return 0;
}
