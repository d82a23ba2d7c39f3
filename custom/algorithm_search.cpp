#include "custom/algorithm_search.hpp"

#include <chrono>
#include <climits>
#include <optional>
#include <vector>

#include "custom/custom_forecast.hpp"

namespace qivra {

namespace {

// Set on search threads, so a callback that tries to start or join the search is refused
// instead of deadlocking.
thread_local bool tInSearchWorker = false;

uint64_t SplitMix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

constexpr auto kProgressInterval = std::chrono::milliseconds(250);

}  // namespace

FormulaGenerator::FormulaGenerator(uint64_t seed) : engine_(seed) {}

int FormulaGenerator::Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }

std::string FormulaGenerator::RandomFormula(int positions, GeneratorMode mode) {
    static constexpr const char* kOperators[] = {"+", "-", "*", "/"};
    std::string f;
    for (int i = 0; i < positions; ++i) {
        if (i > 0) f += mode == GeneratorMode::Mixed ? kOperators[Uniform(0, 3)] : "+";
        f += '[';
        f += std::to_string(Uniform(1, 18));
        f += ']';
    }
    return f;
}

GeneratedAlgorithm FormulaGenerator::Draw(GeneratorMode mode) {
    // Draws in RandomFormula's order, so a seed gives the same algorithms either way.
    static constexpr char kOperators[] = {'+', '-', '*', '/'};
    GeneratedAlgorithm g;
    g.count = Uniform(1, 4) == 4 ? 4 : 3;
    for (size_t f = 0; f < 3; ++f)
        for (int i = 0; i < g.count; ++i) {
            if (i > 0) g.operators[f][static_cast<size_t>(i - 1)] = mode == GeneratorMode::Mixed ? kOperators[Uniform(0, 3)] : '+';
            g.positions[f][static_cast<size_t>(i)] = static_cast<uint8_t>(Uniform(1, 18));
        }
    return g;
}

std::array<std::string, 3> GeneratedAlgorithm::Texts() const {
    std::array<std::string, 3> out;
    for (size_t f = 0; f < 3; ++f)
        for (int i = 0; i < count; ++i) {
            if (i > 0) out[f] += operators[f][static_cast<size_t>(i - 1)];
            out[f] += '[';
            out[f] += std::to_string(positions[f][static_cast<size_t>(i)]);
            out[f] += ']';
        }
    return out;
}

std::array<std::string, 3> FormulaGenerator::Generation(GeneratorMode mode) { return Draw(mode).Texts(); }

int CriterionValue(const HitStats& stats, int criterion) {
    switch (criterion) {
        case static_cast<int>(SearchCriterion::Right): return stats.right;
        case static_cast<int>(SearchCriterion::Wrong): return stats.wrong;
        case static_cast<int>(SearchCriterion::HitRun): return stats.hitRun;
        case static_cast<int>(SearchCriterion::MissRun): return stats.missRun;
        default: return 0;
    }
}

AlgorithmSearch::~AlgorithmSearch() {
    RequestStop();
    Wait();
}

bool AlgorithmSearch::Start(SearchSnapshot snapshot, ProgressCallback onProgress, FinishedCallback onFinished) {
    if (tInSearchWorker) return false;
    if (snapshot.criterion < 0 || snapshot.criterion > 3) return false;
    std::lock_guard lock(control_);
    if (running_.load()) return false;
    if (worker_.joinable()) worker_.join();  // the previous search has ended; reap its thread
    stop_.store(false);
    running_.store(true);
    worker_ = std::thread(&AlgorithmSearch::Run, this, std::move(snapshot), std::move(onProgress),
                          std::move(onFinished));
    return true;
}

void AlgorithmSearch::RequestStop() { stop_.store(true); }

void AlgorithmSearch::Wait() {
    if (tInSearchWorker) return;
    std::lock_guard lock(control_);
    if (worker_.joinable()) worker_.join();
}

void AlgorithmSearch::Run(SearchSnapshot snapshot, ProgressCallback onProgress, FinishedCallback onFinished) {
    tInSearchWorker = true;
    const AlgorithmScorer scorer(snapshot.history, snapshot.kind, snapshot.window);
    SearchOutcome outcome;
    if (!scorer.usable()) {
        outcome.end = SearchOutcome::End::NoHistory;
        running_.store(false);
        if (onFinished) onFinished(outcome);
        return;
    }

    alignas(64) std::atomic<uint64_t> total{0};
    alignas(64) std::atomic<int> best{INT_MIN};
    std::atomic<bool> found{false};
    std::mutex outcomeMutex;
    std::array<std::string, 3> lastOfFirstWorker;

    const auto started = std::chrono::steady_clock::now();
    auto lastReport = started;
    auto report = [&]() {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - started).count();
        SearchProgress p;
        p.candidates = total.load();
        p.perSecond = seconds > 0 ? static_cast<double>(p.candidates) / seconds : 0;
        const int b = best.load();
        p.bestValue = b == INT_MIN ? 0 : b;
        lastReport = now;
        if (onProgress) onProgress(p);
    };

    auto work = [&](uint64_t seed, bool first) {
        FormulaGenerator generator(seed);
        FormulaSet formulas;  // rebuilt in place for every candidate, no texts, no allocation
        GeneratedAlgorithm candidate;
        bool drawn = false;
        uint64_t local = 0;
        uint64_t unreported = 0;  // counted into total in batches: the shared counter's cache
                                  // line would otherwise bounce between the workers
        while (!stop_.load(std::memory_order_relaxed) && !found.load(std::memory_order_relaxed)) {
            candidate = generator.Draw(snapshot.mode);
            drawn = true;
            for (size_t i = 0; i < 3; ++i)
                formulas[i].AssignChain(candidate.positions[i].data(), candidate.operators[i].data(), candidate.count);
            const HitStats stats = *scorer.Score(formulas);
            const int value = CriterionValue(stats, snapshot.criterion);
            ++unreported;
            if (value > best.load(std::memory_order_relaxed))
                for (int b = best.load(); value > b && !best.compare_exchange_weak(b, value);) {
                }
            if (value >= snapshot.threshold) {
                std::lock_guard lock(outcomeMutex);
                if (!found.load()) {
                    found.store(true);
                    outcome.end = SearchOutcome::End::Found;
                    outcome.formulas = candidate.Texts();
                    outcome.stats = stats;
                }
                break;
            }
            if ((++local & 63) == 0) {
                total.fetch_add(unreported, std::memory_order_relaxed);
                unreported = 0;
                if (first && std::chrono::steady_clock::now() - lastReport >= kProgressInterval) report();
            }
        }
        total.fetch_add(unreported, std::memory_order_relaxed);
        if (first && drawn) lastOfFirstWorker = candidate.Texts();
    };

    const int workers = snapshot.workers < 1 ? 1 : snapshot.workers;
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<size_t>(workers - 1));
    for (int w = 1; w < workers; ++w)
        helpers.emplace_back([&, w] {
            tInSearchWorker = true;
            work(SplitMix64(snapshot.seed + static_cast<uint64_t>(w)), false);
        });
    work(snapshot.seed, true);
    for (std::thread& t : helpers) t.join();

    report();
    if (!found.load()) {
        outcome.end = SearchOutcome::End::Stopped;
        outcome.formulas = lastOfFirstWorker;
    }
    outcome.candidates = total.load();
    running_.store(false);
    if (onFinished) onFinished(outcome);
}

}  // namespace qivra
