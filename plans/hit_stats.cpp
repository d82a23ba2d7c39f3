#include "plans/hit_stats.hpp"

#include <algorithm>
#include <cstdint>

#include "plans/plan_view.hpp"

namespace qivra {

HitStats MakeHitStats(int32_t counted, int32_t wrong, int32_t hitRun, int32_t missRun) {
    HitStats stats;
    if (counted <= 0) return stats;
    stats.wrong = wrong;
    stats.right = counted - wrong;
    stats.accuracy = static_cast<int32_t>(int64_t{stats.right} * 100 / counted);
    stats.hitRun = hitRun;
    stats.missRun = missRun;
    return stats;
}

HitStats CountHits(const DrawHistory& history, const std::vector<PlanForecast>& forecasts, PredictionKind kind,
                   int window) {
    const int64_t counted =
        std::min<int64_t>({int64_t{window}, static_cast<int64_t>(forecasts.size()) - 1, history.size()});
    if (counted <= 0) return {};
    HitWalk walk;
    for (int k = static_cast<int>(counted); k >= 1; --k) {
        const DrawRecord& d = history.at(k);
        walk.Add(IsHit(kind, forecasts[static_cast<size_t>(k)], d.sum, d.period));
    }
    return walk.Result(static_cast<int32_t>(counted));
}

std::optional<HitStats> ComputeHitStats(const DrawHistory& history, const PlanDefinition& plan, PredictionKind kind,
                                        int window) {
    if (history.size() < kMinimumPlanHistory) return std::nullopt;
    return CountHits(history, PlanForecasts(history, plan, kind, std::max(window, 0)), kind, window);
}

bool MeetsThreshold(int32_t value, int comparisonIndex, int32_t threshold) {
    switch (comparisonIndex) {
        case 0: return value >= threshold;
        case 1: return value <= threshold;
        case 2: return value > threshold;
        case 3: return value < threshold;
        default: return false;
    }
}

std::string StatsLine(const std::string& windowText, const HitStats& s) {
    return "统计【" + windowText + "期】 对:" + std::to_string(s.right) + " 错:" + std::to_string(s.wrong) +
           " 正确率:" + std::to_string(s.accuracy) + " 连中:" + std::to_string(s.hitRun) +
           " 连挂:" + std::to_string(s.missRun);
}

MarkResult MarkNamedPlans(const DrawHistory& history, const std::vector<PlanDefinition>& plans, PredictionKind kind,
                          int window, const std::string& windowText, int chosenPlan, int metricIndex,
                          int comparisonIndex, int threshold) {
    MarkResult result;
    result.marked.reserve(plans.size());
    for (size_t p = 0; p < plans.size(); ++p) {
        const HitStats stats = ComputeHitStats(history, plans[p], kind, window).value_or(HitStats{});
        if (static_cast<int64_t>(p) + 1 == chosenPlan) result.statsLine = StatsLine(windowText, stats);
        result.marked.push_back(MeetsThreshold(stats.Field(metricIndex), comparisonIndex, threshold));
    }
    return result;
}

}  // namespace qivra
