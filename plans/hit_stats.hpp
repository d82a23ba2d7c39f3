#pragma once
// How a plan's forecasts fared over recent drawn periods, and the marking of the named plans.

#include <optional>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "plans/plan_definition.hpp"
#include "plans/prediction.hpp"

namespace qivra {

// The statistics of counted judged periods with the given wrong count and final runs
// (all zeros when nothing was counted).
HitStats MakeHitStats(int32_t counted, int32_t wrong, int32_t hitRun, int32_t missRun);

// A walk over drawn periods, oldest first: every view's statistics count the same way.
class HitWalk {
public:
    void Add(bool hit) {
        if (hit) {
            ++hitRun_;
            missRun_ = 0;
        } else {
            ++wrong_;
            ++missRun_;
            hitRun_ = 0;
        }
    }
    HitStats Result(int32_t counted) const { return MakeHitStats(counted, wrong_, hitRun_, missRun_); }

private:
    int32_t wrong_ = 0;
    int32_t hitRun_ = 0;
    int32_t missRun_ = 0;
};

// Walks drawn periods k = window..1 (oldest first) judging forecasts[k] against draw k.
// A window beyond the forecasts or the history counts the periods that exist; right, wrong
// and accuracy refer to those. Window 0 or less gives zeros.
HitStats CountHits(const DrawHistory& history, const std::vector<PlanForecast>& forecasts, PredictionKind kind,
                   int window);

// nullopt with fewer than kMinimumPlanHistory draws: the caller keeps the record it had.
std::optional<HitStats> ComputeHitStats(const DrawHistory& history, const PlanDefinition& plan, PredictionKind kind,
                                        int window);

// Comparison index of the marking: 0 >=, 1 <=, 2 >, 3 <; any other index marks nothing.
bool MeetsThreshold(int32_t value, int comparisonIndex, int32_t threshold);

// "统计【20期】 对:15 错:5 正确率:75 连中:0 连挂:2"
std::string StatsLine(const std::string& windowText, const HitStats& stats);

struct MarkResult {
    std::vector<bool> marked;  // per named plan, in list order
    std::string statsLine;     // the chosen plan's line; empty when chosenPlan is not on the list
};

// Statistics of every plan for one kind and window; a plan is marked when its metric
// (HitStats::Field(metricIndex)) meets the threshold. With a history too short for statistics
// every plan is judged on a record of zeros.
MarkResult MarkNamedPlans(const DrawHistory& history, const std::vector<PlanDefinition>& plans, PredictionKind kind,
                          int window, const std::string& windowText, int chosenPlan, int metricIndex,
                          int comparisonIndex, int threshold);

}  // namespace qivra
