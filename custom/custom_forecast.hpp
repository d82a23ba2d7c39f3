#pragma once
// Forecasts, grid rows and statistics of a custom algorithm (three formulas over six draws).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "custom/formula.hpp"
#include "plans/prediction.hpp"

namespace qivra {

using FormulaSet = std::array<Formula, 3>;

// Draws a custom view or statistic needs before it computes anything.
inline constexpr int kMinimumCustomHistory = 10;
// Draws one base draw reads: itself and the five older ones.
inline constexpr int kFormulaDraws = 6;

// The three digits of one base draw, added: 0..27.
int32_t PredictedSum(const FormulaSet& formulas, const FormulaPositions& positions);

// Element 0 is the forecast made from base draw 1 (the coming period), element k the forecast
// for drawn period k. Base draws 1..h+1, stopping at the first one that lacks its six draws.
// Fewer than 10 draws give no forecasts.
std::vector<PlanForecast> CustomForecasts(const DrawHistory& history, const FormulaSet& formulas,
                                          PredictionKind kind, int h);

// Row 1 columns 4-5 (the free view owns columns 0-3 of that row), then rows k+1 for drawn
// periods k = 1..h with their forecast cells, colours and result word. Returns the number of
// drawn periods written.
int WriteCustomView(CellSink& grid, const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                     PredictionKind kind, int h);

// Statistics over drawn periods 1..window, counted like the named plans: oldest first, runs
// ending at the newest period. nullopt (the caller keeps its record) with fewer than 10 draws,
// a window below 1, or a history too short for the window's base draws.
std::optional<HitStats> EvaluateAlgorithm(const DrawHistory& history, const FormulaSet& formulas,
                                          PredictionKind kind, int window);

// The same count, the plain way: CustomForecasts, then IsHit per period. Kept as the yardstick
// the fast scorer is checked against.
std::optional<HitStats> EvaluateAlgorithmReference(const DrawHistory& history, const FormulaSet& formulas,
                                                   PredictionKind kind, int window);

// Scores many algorithms (the search) against one history, kind and window. Everything that does not depend
// on the formulas (the positions of each base draw, the verdict of every predicted sum for every
// period) is worked out once here; Score then only evaluates formulas and looks verdicts up,
// with no allocation.
class AlgorithmScorer {
public:
    AlgorithmScorer(const DrawHistory& history, PredictionKind kind, int window);
    AlgorithmScorer(const AlgorithmScorer&) = delete;  // columnStarts_ points into columns_
    AlgorithmScorer& operator=(const AlgorithmScorer&) = delete;

    bool usable() const { return usable_; }
    std::optional<HitStats> Score(const FormulaSet& formulas) const;

private:
    static constexpr int kSums = 28;
    bool usable_ = false;
    int window_ = 0;
    // Column p (window_ values from columns_[p * window_]) holds position p+1 of every base
    // draw: index k-1 for drawn period k, whose base draw is k+1. A formula runs down all of
    // them in one pass.
    std::vector<double> columns_;
    std::array<const double*, 18> columnStarts_{};
    // Index (k-1)*28 + v: whether a forecast from predicted sum v is right for drawn period k.
    std::vector<uint8_t> hits_;
};

}  // namespace qivra
