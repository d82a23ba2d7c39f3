#pragma once
// Significance of what the views show — a plan over a window, a stored algorithm, a search's
// candidate in and out of the periods it was found on — judged by the views' own code
// (PlanForecasts, CustomForecasts, IsHit), with the chance baseline of every period.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "custom/custom_forecast.hpp"
#include "plans/plan_definition.hpp"
#include "plans/prediction.hpp"
#include "stats/significance.hpp"

namespace qivra {

// Drawn periods first..last (1-based, first <= last), newest first, each judged with IsHit
// against forecasts[k] and given its HitChance. Stops at the first period without a forecast
// or a draw.
std::vector<JudgedPeriod> JudgePeriods(const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                                       PredictionKind kind, int first, int last);

// The statistics a view shows and their significance, from one judging of the forecasts.
struct JudgedFigures {
    HitStats stats;
    RunSignificance significance;
};

// A plan over the newest `window` periods: stats equal ComputeHitStats's (the same periods,
// counted by HitWalk), nullopt when it gives nullopt.
std::optional<JudgedFigures> PlanFigures(const DrawHistory& history, const PlanDefinition& plan, PredictionKind kind,
                                         int window);
std::optional<RunSignificance> PlanSignificance(const DrawHistory& history, const PlanDefinition& plan,
                                                PredictionKind kind, int window);

// A custom algorithm over the newest `window` periods: stats equal EvaluateAlgorithm's, nullopt
// when it gives nullopt.
std::optional<JudgedFigures> AlgorithmFigures(const DrawHistory& history, const FormulaSet& formulas,
                                              PredictionKind kind, int window);
std::optional<RunSignificance> AlgorithmSignificance(const DrawHistory& history, const FormulaSet& formulas,
                                                     PredictionKind kind, int window);

// The formulas of a stored algorithm text ("f1|f2|f3"), compiled.
FormulaSet CompileAlgorithmText(const std::string& algorithmText);

// A candidate found over the newest `window` periods, judged there (in sample) and on the older
// periods the search never judged (out of sample): the rest of the history down to `depth`
// (the periods the views show; draws beyond it only feed forecasts), and, when the caller has
// them, older draws continuing the history (newest first; those the history already holds are
// skipped). With older draws every period past `window` that has its six base draws counts.
struct OutOfSampleCheck {
    RunSignificance inSample;
    RunSignificance outOfSample;
    int historyPeriods = 0;  // out-of-sample periods that lie within depth
    int olderPeriods = 0;    // out-of-sample periods beyond it (older draws, look-back draws)
    bool HasOutOfSample() const { return outOfSample.periods > 0; }
};

// nullopt when the in-sample periods cannot be judged (as EvaluateAlgorithm).
std::optional<OutOfSampleCheck> CheckOutOfSample(const DrawHistory& history, const FormulaSet& formulas,
                                                 PredictionKind kind, int window, int depth,
                                                 const std::vector<DrawRecord>& olderDraws = {});

// The chance that one random search candidate reaches the threshold (criterion >= threshold,
// SearchCriterion 0..3) over `window` periods by chance alone. Model: every period is right
// independently with the kind's AverageHitChance. That is exact for 大小, 单双 and 双项, whose
// forecasts all have chance 1/2; for the other kinds a forecast's chance depends on its value,
// and the average stands for it. 0 for a criterion outside 0..3.
double SearchThresholdChance(PredictionKind kind, int window, int criterion, int threshold);

// How many of `tried` candidates would reach the threshold by chance alone, in expectation:
// tried x SearchThresholdChance. (The candidates share one history, so they are not
// independent; the expectation holds regardless.)
double ByChanceCount(uint64_t tried, PredictionKind kind, int window, int criterion, int threshold);

// Short texts in the program's voice, e.g. "样本内：15/20（随机期望10.0）" and
// "样本外：45/80（随机期望40.0）", or "样本外：无更早的期数" without older periods.
std::string InSampleText(const OutOfSampleCheck& check);
std::string OutOfSampleText(const OutOfSampleCheck& check);
// "随机可达：约1234.5个" — the by-chance count of a search, one decimal.
std::string ByChanceText(double count);

}  // namespace qivra
