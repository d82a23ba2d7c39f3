#pragma once
// Backtests: a plan's or a stored algorithm's forecast for every archived period of a range,
// made from the draws before it exactly as the plan and custom views make it — the same
// functions (LoadFormulaPositions, PlanValue or PredictedSum, DeriveForecast, IsHit) — and
// judged against what was drawn.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "archive/draw_archive.hpp"
#include "custom/algorithm_store.hpp"
#include "custom/custom_forecast.hpp"
#include "plans/plan_definition.hpp"
#include "plans/prediction.hpp"

namespace qivra {

// The most draws before a period that any forecast reads (a custom algorithm's six).
inline constexpr int kBacktestLookback = kFormulaDraws;

struct BacktestRange {
    enum class Kind { All, Last, Between };
    Kind kind = Kind::All;
    int64_t last = 0;  // Last: the newest this many archived periods
    std::string from;  // Between: normalized local date-times, both included
    std::string to;
    static BacktestRange All() { return {}; }
    static BacktestRange Last(int64_t count) { return {Kind::Last, count, {}, {}}; }
    static BacktestRange Between(std::string from, std::string to) {
        return {Kind::Between, 0, std::move(from), std::move(to)};
    }
};

struct BacktestSubject {
    std::string name;
    PredictionKind kind = PredictionKind::Combination;
    std::variant<PlanDefinition, FormulaSet> rule;

    static BacktestSubject ForPlan(PlanDefinition plan, PredictionKind kind);
    // The stored algorithm's three formulas, compiled as the custom page compiles them.
    static BacktestSubject ForAlgorithm(const CustomAlgorithm& algorithm, PredictionKind kind);
    // Draws before a period its forecast reads: 4 for a plan, 6 for an algorithm.
    int DrawsRead() const;
};

// The draws a backtest runs over: the range, oldest first, with the draws before it that its
// first forecasts read, held once as one history (newest first) the forecast functions walk.
class BacktestDraws {
public:
    BacktestDraws() = default;
    // rows: oldest first, the range beginning at rows[firstInRange]; archiveFirstPeriod: the
    // game's first archived period, which tells a period too early for a forecast from one
    // after a gap.
    BacktestDraws(const std::vector<ArchivedDraw>& rows, size_t firstInRange, int64_t archiveFirstPeriod);

    size_t size() const { return periods_.size() - first_; }  // periods in the range
    bool empty() const { return size() == 0; }
    int64_t Period(size_t r) const { return periods_[first_ + r]; }   // r: 0 = oldest of the range
    const DrawRecord& Draw(size_t r) const { return history_.at(HistoryIndex(r)); }
    // 1-based index into history() (newest first) of range period r.
    int HistoryIndex(size_t r) const { return static_cast<int>(periods_.size() - (first_ + r)); }
    const DrawHistory& history() const { return history_; }
    // Archived periods immediately before range period r, without a gap (at most the lookback).
    int ConsecutiveBefore(size_t r) const { return consecutive_[first_ + r]; }
    int64_t archiveFirstPeriod() const { return archiveFirst_; }
    // Whether range period r, and the archived period before it, read as odd (all that the
    // judging reads of a period text); BaseOdd needs a period before r.
    int DrawnOdd(size_t r) const { return odd_[first_ + r]; }
    int BaseOdd(size_t r) const { return odd_[first_ + r - 1]; }
    // How often each sum 0..27 was drawn in the range.
    std::array<int64_t, 28> SumCounts() const;

private:
    DrawHistory history_;
    std::vector<int64_t> periods_;     // oldest first, lookback included
    std::vector<uint8_t> consecutive_;
    std::vector<uint8_t> odd_;         // the parity DeriveForecast and IsHit read from a period
    size_t first_ = 0;
    int64_t archiveFirst_ = 0;
};

// Reads a range of a game's archive and the draws before it.
BacktestDraws LoadBacktestDraws(const DrawArchive& archive, int game, const BacktestRange& range);

inline constexpr uint8_t kNotJudged = 0xFF;

struct BacktestResult {
    int64_t judged = 0;
    int64_t hits = 0;
    int64_t misses = 0;
    double accuracy = 0;  // hits / judged; 0 when nothing was judged
    int64_t longestHitRun = 0;
    int64_t longestMissRun = 0;
    // Periods not judged: a draw the forecast reads is missing after the archive's first
    // period (a gap, never bridged), or lies before it (the archive's first periods).
    int64_t skippedGap = 0;
    int64_t skippedStart = 0;
    // Counted as the views count (runs ending at the newest judged period). A skipped period
    // ends a run, here and in the longest runs: what happened across it is unknown.
    HitStats stats;
    // Per range period, oldest first: the predicted sum (kNotJudged when skipped) and 1 for a hit.
    std::vector<uint8_t> predictedSums;
    std::vector<uint8_t> hitFlags;
};

// The forecast of range period r as the views show it; nullopt for a skipped period.
std::optional<PlanForecast> BacktestForecast(const BacktestDraws& draws, const BacktestSubject& subject,
                                             const BacktestResult& result, size_t r);

struct BacktestControl {
    const std::atomic<bool>* cancel = nullptr;  // set from any thread to stop soon
    // Periods judged so far and in all, over every subject; called on the running thread.
    std::function<void(int64_t done, int64_t total)> progress;
};

struct BacktestRun {
    std::vector<BacktestResult> results;  // one per subject, in order; empty when cancelled
    bool cancelled = false;
};

// Runs on the calling thread, reading only its arguments: any worker may call it.
BacktestRun RunBacktest(const BacktestDraws& draws, const std::vector<BacktestSubject>& subjects,
                        const BacktestControl& control = {});

}  // namespace qivra
