#pragma once
// Random custom algorithms and the search for one that meets a threshold, run on worker
// threads over a snapshot of what it reads.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "core/draw.hpp"
#include "plans/prediction.hpp"

namespace qivra {

enum class GeneratorMode { Mixed = 0, Simple = 1 };  // 混合算法: + - * /; 简易算法: + only

// One generation before it is written out: three chains of positions and operators.
struct GeneratedAlgorithm {
    int count = 3;  // positions per formula, 3 or 4
    std::array<std::array<uint8_t, 4>, 3> positions{};  // 1..18
    std::array<std::array<char, 3>, 3> operators{};     // '+', '-', '*', '/'

    std::array<std::string, 3> Texts() const;
};

// One generator, seeded once: reseeding from a clock would repeat every algorithm drawn within
// the same tick.
class FormulaGenerator {
public:
    explicit FormulaGenerator(uint64_t seed);

    // Three formulas with the same count of positions: four with probability 1/4, else three.
    std::array<std::string, 3> Generation(GeneratorMode mode);
    // The same generation (the same draws from the generator), not yet written as text.
    GeneratedAlgorithm Draw(GeneratorMode mode);
    // "[a1]o1[a2]o2[a3]" (and "o3[a4]" for four), positions uniform over 1..18.
    std::string RandomFormula(int positions, GeneratorMode mode);

private:
    int Uniform(int lo, int hi);
    std::mt19937_64 engine_;
};

enum class SearchCriterion { Right = 0, Wrong = 1, HitRun = 2, MissRun = 3 };  // 正确≥ 错误≥ 当前连中 当前连挂

// The field a criterion compares; 0 for a criterion outside 0..3.
int CriterionValue(const HitStats& stats, int criterion);

struct SearchSnapshot {
    DrawHistory history;
    PredictionKind kind = PredictionKind::Combination;
    int window = 20;
    GeneratorMode mode = GeneratorMode::Simple;
    int criterion = 0;  // SearchCriterion
    int threshold = 15;
    uint64_t seed = 0;
    int workers = 1;  // threads; each draws from its own generator derived from seed
};

struct SearchProgress {
    uint64_t candidates = 0;  // tried so far, all workers
    double perSecond = 0;
    int bestValue = 0;  // highest criterion value seen so far
};

struct SearchOutcome {
    enum class End {
        Found,        // formulas meet the threshold; stats are theirs
        Stopped,      // asked to stop; formulas are the last candidate's
        NoHistory,    // the history cannot score any candidate (too few draws for the window)
    };
    End end = End::Stopped;
    std::array<std::string, 3> formulas;
    HitStats stats;
    uint64_t candidates = 0;
};

class AlgorithmSearch {
public:
    using ProgressCallback = std::function<void(const SearchProgress&)>;
    using FinishedCallback = std::function<void(const SearchOutcome&)>;

    AlgorithmSearch() = default;
    AlgorithmSearch(const AlgorithmSearch&) = delete;
    AlgorithmSearch& operator=(const AlgorithmSearch&) = delete;
    ~AlgorithmSearch();  // stops and joins

    // Starts a search; false (nothing started) while one runs, for a criterion outside 0..3,
    // or when called from a callback. The callbacks run on the worker thread and must not call
    // Start or destroy this object; onFinished is called exactly once per started search.
    bool Start(SearchSnapshot snapshot, ProgressCallback onProgress, FinishedCallback onFinished);
    // Ends the running search before its next candidate.
    void RequestStop();
    bool Running() const { return running_.load(); }
    // Waits for the worker to end (it ends on its own when it finds an algorithm).
    void Wait();

private:
    void Run(SearchSnapshot snapshot, ProgressCallback onProgress, FinishedCallback onFinished);

    std::mutex control_;  // serialises Start, Wait and the destructor
    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
};

}  // namespace qivra
