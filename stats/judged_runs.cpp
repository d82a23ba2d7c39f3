#include "stats/judged_runs.hpp"

#include <algorithm>
#include <cstdio>

#include "custom/algorithm_search.hpp"
#include "custom/algorithm_store.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"
#include "stats/hit_chance.hpp"

namespace qivra {
namespace {

// Period numbers are digit strings of any length; compare them as numbers without parsing.
std::string_view Digits(std::string_view period) {
    const size_t first = period.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : period.substr(first);
}

bool IsOlder(std::string_view period, std::string_view than) {
    const std::string_view a = Digits(period);
    const std::string_view b = Digits(than);
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::string OneDecimal(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

std::string SampleText(const char* label, const RunSignificance& s) {
    return std::string(label) + std::to_string(s.hits) + "/" + std::to_string(s.periods) + "（随机期望" +
           OneDecimal(s.expectedHits) + "）";
}

// The statistics of judged periods (newest first), walked oldest first as every view counts.
JudgedFigures Figures(const std::vector<JudgedPeriod>& periods) {
    HitWalk walk;
    for (auto it = periods.rbegin(); it != periods.rend(); ++it) walk.Add(it->hit);
    return {walk.Result(static_cast<int32_t>(periods.size())), AssessRun(periods)};
}

}  // namespace

std::vector<JudgedPeriod> JudgePeriods(const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                                       PredictionKind kind, int first, int last) {
    std::vector<JudgedPeriod> out;
    if (first < 1 || last < first) return out;
    const int64_t end = std::min<int64_t>({int64_t{last}, history.size(), static_cast<int64_t>(forecasts.size()) - 1});
    if (end >= first) out.reserve(static_cast<size_t>(end - first + 1));
    for (int k = first; k <= last; ++k) {
        if (k > history.size() || static_cast<size_t>(k) >= forecasts.size()) break;
        const DrawRecord& d = history.at(k);
        const PlanForecast& f = forecasts[static_cast<size_t>(k)];
        out.push_back({IsHit(kind, f, d.sum, d.period), HitChance(kind, f, d.period)});
    }
    return out;
}

std::optional<JudgedFigures> PlanFigures(const DrawHistory& history, const PlanDefinition& plan, PredictionKind kind,
                                         int window) {
    if (history.size() < kMinimumPlanHistory) return std::nullopt;
    const std::vector<PlanForecast> forecasts = PlanForecasts(history, plan, kind, std::max(window, 0));
    // The periods CountHits counts.
    const int64_t counted =
        std::min<int64_t>({int64_t{window}, static_cast<int64_t>(forecasts.size()) - 1, history.size()});
    if (counted <= 0) return JudgedFigures{{}, AssessRun({})};
    return Figures(JudgePeriods(history, forecasts, kind, 1, static_cast<int>(counted)));
}

std::optional<RunSignificance> PlanSignificance(const DrawHistory& history, const PlanDefinition& plan,
                                                PredictionKind kind, int window) {
    if (auto figures = PlanFigures(history, plan, kind, window)) return figures->significance;
    return std::nullopt;
}

std::optional<JudgedFigures> AlgorithmFigures(const DrawHistory& history, const FormulaSet& formulas,
                                              PredictionKind kind, int window) {
    // Every period of the window has its six base draws: exactly when EvaluateAlgorithm counts.
    if (window < 1 || history.size() < kMinimumCustomHistory ||
        static_cast<int64_t>(window) + kFormulaDraws > history.size())
        return std::nullopt;
    // Forecast by forecast, as CustomForecasts makes them and EvaluateAlgorithm counts them,
    // without holding the whole list: the stored algorithms are judged on every refresh.
    std::vector<JudgedPeriod> periods(static_cast<size_t>(window));
    FormulaPositions positions{};
    for (int k = 1; k <= window; ++k) {
        LoadFormulaPositions(history, k + 1, kFormulaDraws, positions);
        const PlanForecast f = DeriveForecast(PredictedSum(formulas, positions), kind, history.at(k + 1).period);
        const DrawRecord& d = history.at(k);
        periods[static_cast<size_t>(k - 1)] = {IsHit(kind, f, d.sum, d.period), HitChance(kind, f, d.period)};
    }
    return Figures(periods);
}

std::optional<RunSignificance> AlgorithmSignificance(const DrawHistory& history, const FormulaSet& formulas,
                                                     PredictionKind kind, int window) {
    if (auto figures = AlgorithmFigures(history, formulas, kind, window)) return figures->significance;
    return std::nullopt;
}

FormulaSet CompileAlgorithmText(const std::string& algorithmText) {
    const std::array<std::string, 3> texts = SplitAlgorithmText(algorithmText);
    FormulaSet formulas;
    for (size_t i = 0; i < texts.size(); ++i) formulas[i] = Formula::Compile(texts[i]);
    return formulas;
}

std::optional<OutOfSampleCheck> CheckOutOfSample(const DrawHistory& history, const FormulaSet& formulas,
                                                 PredictionKind kind, int window, int depth,
                                                 const std::vector<DrawRecord>& olderDraws) {
    if (window < 1 || history.size() < kMinimumCustomHistory ||
        static_cast<int64_t>(window) + kFormulaDraws > history.size())
        return std::nullopt;

    DrawHistory extended;
    bool hasOlder = false;
    if (!olderDraws.empty()) {
        extended = history;
        for (const DrawRecord& d : olderDraws) {
            if (!IsOlder(d.period, extended.at(extended.size()).period)) continue;  // held already, or out of order
            extended.push_back(d);
            hasOlder = true;
        }
    }
    const DrawHistory& draws = hasOlder ? extended : history;
    // The oldest period with its six base draws.
    int last = draws.size() - kFormulaDraws;
    if (!hasOlder) last = std::min(last, depth);

    const std::vector<PlanForecast> forecasts = CustomForecasts(draws, formulas, kind, std::max(last, window));
    OutOfSampleCheck check;
    check.inSample = AssessRun(JudgePeriods(draws, forecasts, kind, 1, window));
    const std::vector<JudgedPeriod> older = JudgePeriods(draws, forecasts, kind, window + 1, last);
    check.outOfSample = AssessRun(older);
    check.historyPeriods = std::clamp(depth - window, 0, check.outOfSample.periods);
    check.olderPeriods = check.outOfSample.periods - check.historyPeriods;
    return check;
}

double SearchThresholdChance(PredictionKind kind, int window, int criterion, int threshold) {
    static constexpr int kMetricOfCriterion[] = {0, 1, 3, 4};  // 正确, 错误, 当前连中, 当前连挂
    if (window < 1 || criterion < 0 || criterion > 3) return 0;
    static_assert(static_cast<int>(SearchCriterion::HitRun) == 2 && static_cast<int>(SearchCriterion::MissRun) == 3);
    const std::vector<double> chances(static_cast<size_t>(window), AverageHitChance(kind));
    return ThresholdChance(chances, kMetricOfCriterion[criterion], 0, threshold);
}

double ByChanceCount(uint64_t tried, PredictionKind kind, int window, int criterion, int threshold) {
    return static_cast<double>(tried) * SearchThresholdChance(kind, window, criterion, threshold);
}

std::string InSampleText(const OutOfSampleCheck& check) { return SampleText("样本内：", check.inSample); }

std::string OutOfSampleText(const OutOfSampleCheck& check) {
    if (!check.HasOutOfSample()) return "样本外：无更早的期数";
    return SampleText("样本外：", check.outOfSample);
}

std::string ByChanceText(double count) { return "随机可达：约" + OneDecimal(count) + "个"; }

}  // namespace qivra
