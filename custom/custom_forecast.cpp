#include "custom/custom_forecast.hpp"

#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"

namespace qivra {

namespace {

// Row 1 shows only the forecast items; its sum cell belongs to the free view.
class SkipSumCell final : public CellSink {
public:
    explicit SkipSumCell(CellSink& inner) : inner_(inner) {}
    void SetCellText(int row, int column, const std::string& text) override {
        if (column != 3) inner_.SetCellText(row, column, text);
    }
    void SetCellTextColour(int row, int column, Rgb colour) override {
        if (column != 3) inner_.SetCellTextColour(row, column, colour);
    }

private:
    CellSink& inner_;
};

bool WindowFits(const DrawHistory& history, int window) {
    // Base draws 2..window+1 each read six draws.
    return history.size() >= kMinimumCustomHistory && window >= 1 &&
           static_cast<int64_t>(window) + kFormulaDraws <= history.size();
}

}  // namespace

int32_t PredictedSum(const FormulaSet& formulas, const FormulaPositions& positions) {
    return EvaluateFormula(formulas[0], positions) + EvaluateFormula(formulas[1], positions) +
           EvaluateFormula(formulas[2], positions);
}

std::vector<PlanForecast> CustomForecasts(const DrawHistory& history, const FormulaSet& formulas,
                                          PredictionKind kind, int h) {
    std::vector<PlanForecast> out;
    if (history.size() < kMinimumCustomHistory || h < 0) return out;
    FormulaPositions positions{};
    for (int i = 1; i <= h + 1; ++i) {
        if (!LoadFormulaPositions(history, i, kFormulaDraws, positions)) break;
        out.push_back(DeriveForecast(PredictedSum(formulas, positions), kind, history.at(i).period));
    }
    return out;
}

int WriteCustomView(CellSink& grid, const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                    PredictionKind kind, int h) {
    if (forecasts.empty()) return 0;
    int written = 0;
    SkipSumCell firstRow(grid);
    RenderForecastCells(firstRow, 1, kind, forecasts[0]);
    for (int k = 1; k <= h; ++k) {
        if (k > history.size() || static_cast<size_t>(k) >= forecasts.size()) break;
        const DrawRecord& d = history.at(k);
        const int row = k + 1;
        grid.SetCellText(row, 0, d.period);
        grid.SetCellText(row, 1, FirstCharacters(d.time, 5));
        grid.SetCellText(row, 2, d.content);
        const PlanForecast& f = forecasts[static_cast<size_t>(k)];
        RenderForecastCells(grid, row, kind, f);
        grid.SetCellText(row, 6, JudgeRow(grid, row, kind, f, d.sum, d.period));
        written = k;
    }
    return written;
}

std::optional<HitStats> EvaluateAlgorithmReference(const DrawHistory& history, const FormulaSet& formulas,
                                                   PredictionKind kind, int window) {
    if (!WindowFits(history, window)) return std::nullopt;
    // The plain path: forecasts as the page shows them, counted as the named plans are.
    return CountHits(history, CustomForecasts(history, formulas, kind, window), kind, window);
}

AlgorithmScorer::AlgorithmScorer(const DrawHistory& history, PredictionKind kind, int window) {
    if (!WindowFits(history, window)) return;
    window_ = window;
    columns_.assign(static_cast<size_t>(window) * 18, 0.0);
    hits_.resize(static_cast<size_t>(window) * kSums);
    for (size_t p = 0; p < 18; ++p) columnStarts_[p] = columns_.data() + p * static_cast<size_t>(window);
    FormulaPositions positions{};
    for (int k = 1; k <= window; ++k) {
        positions.fill(0);
        LoadFormulaPositions(history, k + 1, kFormulaDraws, positions);
        for (size_t p = 0; p < 18; ++p)
            columns_[p * static_cast<size_t>(window) + static_cast<size_t>(k - 1)] = positions[p];
        const DrawRecord& drawn = history.at(k);
        const std::string& basePeriod = history.at(k + 1).period;
        for (int v = 0; v < kSums; ++v)
            hits_[static_cast<size_t>((k - 1) * kSums + v)] =
                IsHit(kind, DeriveForecast(v, kind, basePeriod), drawn.sum, drawn.period) ? 1 : 0;
    }
    usable_ = true;
}

std::optional<HitStats> AlgorithmScorer::Score(const FormulaSet& formulas) const {
    if (!usable_) return std::nullopt;
    // Search workers share one scorer; each thread keeps its own digits.
    thread_local std::vector<int32_t> digits;
    const size_t w = static_cast<size_t>(window_);
    if (digits.size() < 3 * w) digits.resize(3 * w);
    for (size_t f = 0; f < 3; ++f) formulas[f].EvaluateDigits(columnStarts_, window_, digits.data() + f * w);
    int wrong = 0, hitRun = 0, missRun = 0;
    for (int k = window_; k >= 1; --k) {
        const size_t i = static_cast<size_t>(k - 1);
        const int32_t v = digits[i] + digits[w + i] + digits[2 * w + i];
        // Without branches: a hit or a miss is a coin toss the processor cannot predict.
        const int hit = hits_[i * kSums + static_cast<size_t>(v)];
        wrong += 1 - hit;
        hitRun = (hitRun + 1) * hit;
        missRun = (missRun + 1) * (1 - hit);
    }
    return MakeHitStats(window_, wrong, hitRun, missRun);
}

std::optional<HitStats> EvaluateAlgorithm(const DrawHistory& history, const FormulaSet& formulas,
                                          PredictionKind kind, int window) {
    if (!WindowFits(history, window)) return std::nullopt;
    // One pass, oldest period first; the forecast texts fit the strings' inline buffers, so
    // nothing is allocated per base draw.
    HitWalk walk;
    FormulaPositions positions{};
    for (int k = window; k >= 1; --k) {
        LoadFormulaPositions(history, k + 1, kFormulaDraws, positions);
        const PlanForecast forecast =
            DeriveForecast(PredictedSum(formulas, positions), kind, history.at(k + 1).period);
        const DrawRecord& drawn = history.at(k);
        walk.Add(IsHit(kind, forecast, drawn.sum, drawn.period));
    }
    return walk.Result(window);
}

}  // namespace qivra
