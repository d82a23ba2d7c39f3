// Formula evaluations and algorithm-search candidates per second: the compiled formulas
// against a script engine handed the substituted text, and against hand-written C++.

#include <QCoreApplication>

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_history.hpp"
#include "bench/script_engine.hpp"
#include "bench/table.hpp"
#include "custom/algorithm_search.hpp"
#include "custom/custom_forecast.hpp"
#include "custom/formula.hpp"

namespace qivra::bench {
namespace {

const std::array<std::string, 3> kDefaultFormulas = {"[1]+[8]+[9]+[12]/[8]*[6]", "[9]+[5]+2+[2]",
                                                     "[1]*[9]+[5]/[2]+[10]"};

// Position sets with all 18 entries varying; zeros included, so some divisions are by zero.
const std::vector<FormulaPositions>& PositionSets() {
    static const std::vector<FormulaPositions> sets = [] {
        std::mt19937_64 rng(28);
        std::uniform_int_distribution<int> digit(0, 9);
        std::vector<FormulaPositions> out(4096);
        for (FormulaPositions& p : out)
            for (int32_t& v : p) v = digit(rng);
        return out;
    }();
    return sets;
}

// The default formulas written out by hand, in the same order of operations.
int32_t HandFirst(const FormulaPositions& p) {
    const double v = static_cast<double>(p[0]) + p[7] + p[8] + static_cast<double>(p[11]) / p[7] * p[5];
    return DigitOfValue(v);
}
int32_t HandSecond(const FormulaPositions& p) {
    return DigitOfValue(static_cast<double>(p[8]) + p[4] + 2.0 + p[1]);
}
int32_t HandThird(const FormulaPositions& p) {
    return DigitOfValue(static_cast<double>(p[0]) * p[8] + static_cast<double>(p[4]) / p[1] + p[9]);
}

void BM_FormulaCompiled(benchmark::State& state) {
    const auto& sets = PositionSets();
    const std::array<Formula, 3> f = {Formula::Compile(kDefaultFormulas[0]), Formula::Compile(kDefaultFormulas[1]),
                                      Formula::Compile(kDefaultFormulas[2])};
    size_t i = 0;
    for (auto _ : state) {
        const FormulaPositions& p = sets[i++ & 4095];
        benchmark::DoNotOptimize(EvaluateFormula(f[0], p));
        benchmark::DoNotOptimize(EvaluateFormula(f[1], p));
        benchmark::DoNotOptimize(EvaluateFormula(f[2], p));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3);
}
BENCHMARK(BM_FormulaCompiled);

void BM_FormulaHandWritten(benchmark::State& state) {
    const auto& sets = PositionSets();
    size_t i = 0;
    for (auto _ : state) {
        const FormulaPositions& p = sets[i++ & 4095];
        benchmark::DoNotOptimize(HandFirst(p));
        benchmark::DoNotOptimize(HandSecond(p));
        benchmark::DoNotOptimize(HandThird(p));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3);
}
BENCHMARK(BM_FormulaHandWritten);

// A forecast pass's worth: the three formulas over 101 base draws, as the custom page and the
// statistics evaluate them (every formula over all base draws in one pass).
constexpr int kPassDraws = 101;

void BM_FormulaCompiledPass(benchmark::State& state) {
    const auto& sets = PositionSets();
    const std::array<Formula, 3> f = {Formula::Compile(kDefaultFormulas[0]), Formula::Compile(kDefaultFormulas[1]),
                                      Formula::Compile(kDefaultFormulas[2])};
    // The position sets laid out as columns, one pass's worth after another.
    constexpr size_t kPasses = 4096 / kPassDraws;
    std::vector<double> columns(kPasses * 18 * kPassDraws);
    for (size_t pass = 0; pass < kPasses; ++pass)
        for (size_t i = 0; i < kPassDraws; ++i)
            for (size_t p = 0; p < 18; ++p)
                columns[(pass * 18 + p) * kPassDraws + i] = sets[pass * kPassDraws + i][p];
    std::array<int32_t, 3 * kPassDraws> digits{};
    size_t round = 0;
    for (auto _ : state) {
        std::array<const double*, 18> starts{};
        const size_t pass = round++ % kPasses;
        for (size_t p = 0; p < 18; ++p) starts[p] = columns.data() + (pass * 18 + p) * kPassDraws;
        for (size_t k = 0; k < 3; ++k) f[k].EvaluateDigits(starts, kPassDraws, digits.data() + k * kPassDraws);
        benchmark::DoNotOptimize(digits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3 * kPassDraws);
}
BENCHMARK(BM_FormulaCompiledPass);

void BM_FormulaHandWrittenPass(benchmark::State& state) {
    const auto& sets = PositionSets();
    std::array<int32_t, 3 * kPassDraws> digits{};
    size_t round = 0;
    for (auto _ : state) {
        const size_t base = round++ % (4096 / kPassDraws) * kPassDraws;
        for (size_t i = 0; i < kPassDraws; ++i) {
            const FormulaPositions& p = sets[(base + i) & 4095];
            digits[i] = HandFirst(p);
            digits[kPassDraws + i] = HandSecond(p);
            digits[2 * kPassDraws + i] = HandThird(p);
        }
        benchmark::DoNotOptimize(digits.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3 * kPassDraws);
}
BENCHMARK(BM_FormulaHandWrittenPass);

// What a search step costs before any scoring: drawing a candidate and building its code.
void BM_GenerateAndCompile(benchmark::State& state) {
    FormulaGenerator generator(5);
    FormulaSet formulas;
    for (auto _ : state) {
        const GeneratedAlgorithm g = generator.Draw(GeneratorMode::Mixed);
        for (size_t i = 0; i < 3; ++i) formulas[i].AssignChain(g.positions[i].data(), g.operators[i].data(), g.count);
        benchmark::DoNotOptimize(formulas);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_GenerateAndCompile);

// Scoring one drawn candidate over a window, the inner step of the search.
void BM_ScoreCandidate(benchmark::State& state) {
    static const DrawHistory history = RandomHistory(2028);
    const AlgorithmScorer scorer(history, PredictionKind::Combination, static_cast<int>(state.range(0)));
    FormulaGenerator generator(9);
    std::vector<FormulaSet> candidates(256);
    for (FormulaSet& f : candidates) {
        const GeneratedAlgorithm g = generator.Draw(GeneratorMode::Mixed);
        for (size_t i = 0; i < 3; ++i) f[i].AssignChain(g.positions[i].data(), g.operators[i].data(), g.count);
    }
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(scorer.Score(candidates[i++ & 255]));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_ScoreCandidate)->ArgName("window")->Arg(20)->Arg(100);

void BM_FormulaScriptEngine(benchmark::State& state) {
    const auto& sets = PositionSets();
    ScriptFormulaEvaluator engine;
    size_t i = 0;
    for (auto _ : state) {
        const FormulaPositions& p = sets[i++ & 4095];
        for (const std::string& f : kDefaultFormulas) benchmark::DoNotOptimize(engine.Digit(f, p));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 3);
}
BENCHMARK(BM_FormulaScriptEngine);

const DrawHistory& History() {
    static const DrawHistory h = RandomHistory(2028);
    return h;
}

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A search whose threshold no candidate reaches, stopped after a fixed time; the rate is the
// candidates it scored over the wall-clock time of the whole search, start and stop included.
void BM_Search(benchmark::State& state) {
    const int window = static_cast<int>(state.range(0));
    const int workers = static_cast<int>(state.range(1));
    uint64_t total = 0;
    uint64_t seed = 1;
    double cpuSeconds = 0;  // all threads of the process, so a busy machine shows as such
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        SearchSnapshot s;
        s.history = History();
        s.kind = PredictionKind::Combination;
        s.window = window;
        s.mode = GeneratorMode::Mixed;
        s.criterion = static_cast<int>(SearchCriterion::Right);
        s.threshold = window + 1;
        s.seed = seed++;
        s.workers = workers;
        AlgorithmSearch search;
        uint64_t candidates = 0;
        search.Start(std::move(s), nullptr, [&candidates](const SearchOutcome& o) { candidates = o.candidates; });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        search.RequestStop();
        search.Wait();
        cpuSeconds += ProcessCpuSeconds() - cpuBefore;
        total += candidates;
    }
    state.counters["items_per_second"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
    state.counters["per_cpu_second"] = cpuSeconds > 0 ? static_cast<double>(total) / cpuSeconds : 0;
}
// The same kind of candidates, from the same generator, each scored by the script engine.
void BM_SearchScriptEngine(benchmark::State& state) {
    const int window = static_cast<int>(state.range(0));
    FormulaGenerator generator(1);
    ScriptFormulaEvaluator engine;
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state) {
        const auto formulas = generator.Generation(GeneratorMode::Mixed);
        benchmark::DoNotOptimize(engine.Score(History(), formulas, PredictionKind::Combination, window));
    }
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["per_cpu_second"] = cpu > 0 ? static_cast<double>(state.iterations()) / cpu : 0;
}
BENCHMARK(BM_SearchScriptEngine)->ArgName("window")->Arg(20)->Arg(100)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qivra::bench

int main(int argc, char** argv) {
    using namespace qivra::bench;
    QCoreApplication app(argc, argv);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<int> workerCounts = {1};
    if (cores > 1) workerCounts.push_back(cores);
    for (int window : {20, 100})
        for (int workers : workerCounts)
            benchmark::RegisterBenchmark(
                ("BM_Search/window:" + std::to_string(window) + "/workers:" + std::to_string(workers)).c_str(), BM_Search)
                ->Args({window, workers})
                ->Iterations(3)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
    const auto r = RunBenchmarks(argc, argv);

    const double compiled = Figure(r, "BM_FormulaCompiled");
    const double hand = Figure(r, "BM_FormulaHandWritten");
    const double script = Figure(r, "BM_FormulaScriptEngine");
    const double compiledPass = Figure(r, "BM_FormulaCompiledPass");
    const double handPass = Figure(r, "BM_FormulaHandWrittenPass");
    PrintRow("formula evaluations, the three default formulas, all 18 positions varying, one position set per call",
             Rate(compiled), "script engine " + Rate(script) + "; hand-written " + Rate(hand),
             Times(compiled / script) + " the engine; " + Times(hand / compiled) + " the time of by hand",
             "≥ 200× the engine; within 3× of by hand", compiled / script >= 200 && hand / compiled <= 3);
    PrintRow("formula evaluations, the same formulas over 101 base draws per pass (how the page, the statistics "
             "and the search evaluate)",
             Rate(compiledPass), "script engine " + Rate(script) + "; hand-written over the same draws " + Rate(handPass),
             Times(compiledPass / script) + " the engine; " + Times(handPass / compiledPass) + " the time of by hand",
             "≥ 200× the engine; within 3× of by hand", compiledPass / script >= 200 && handPass / compiledPass <= 3);
    for (int window : {20, 100}) {
        const std::string w = std::to_string(window);
        const double one = Figure(r, "BM_Search/window:" + w + "/workers:1");
        const double engine = Figure(r, "BM_SearchScriptEngine/window:" + w);
        const double oneCpu = Figure(r, "BM_Search/window:" + w + "/workers:1", "per_cpu_second");
        const double engineCpu = Figure(r, "BM_SearchScriptEngine/window:" + w, "per_cpu_second");
        PrintRow("search candidates, window " + w + ", one worker; per CPU-second " + Rate(oneCpu) + " against " +
                     Rate(engineCpu) + ", " + Times(oneCpu / engineCpu),
                 Rate(one), "script-engine search " + Rate(engine), Times(one / engine), "≥ 1,000×", one / engine >= 1000);
        if (cores > 1) {
            const double all = Figure(r, "BM_Search/window:" + w + "/workers:" + std::to_string(cores));
            const std::string allName = "BM_Search/window:" + w + "/workers:" + std::to_string(cores);
            const double perCpuOne = Figure(r, "BM_Search/window:" + w + "/workers:1", "per_cpu_second");
            const double perCpuAll = Figure(r, allName, "per_cpu_second");
            PrintRow("search candidates, window " + w + ", " + std::to_string(cores) +
                         " workers (one per core); per CPU-second " + Rate(perCpuAll) + " against " +
                         Rate(perCpuOne) + " with one",
                     Rate(all), "one worker " + Rate(one), Times(all / one), "≥ 1.8×", all / one >= 1.8);
        }
    }
    return 0;
}
