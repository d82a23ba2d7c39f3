#include "plans/hit_stats.hpp"

#include <set>

#include <gtest/gtest.h>

#include "plans/plan_view.hpp"
#include "plan_test_support.hpp"

namespace qivra {
namespace {

using K = PredictionKind;
using testing::Digits;
using testing::MakeHistory;
using testing::MixedHistory;

// A 大小 record whose hits are chosen by period: every forecast says "大"; a drawn 20 is right,
// a drawn 3 wrong. Draw k is a hit unless k is in misses.
struct SizeRecord {
    DrawHistory history;
    std::vector<PlanForecast> forecasts;
};

SizeRecord RecordWithMisses(const std::set<int>& misses, int draws = 110) {
    std::vector<Digits> digits;
    for (int k = 1; k <= draws; ++k) digits.push_back(misses.count(k) ? Digits{1, 1, 1} : Digits{6, 7, 7});
    SizeRecord r{MakeHistory(digits), {}};
    r.forecasts.assign(static_cast<size_t>(draws - 3), PlanForecast{"27", "大", "单"});
    return r;
}

std::set<int> Range(int from, int to) {
    std::set<int> s;
    for (int k = from; k <= to; ++k) s.insert(k);
    return s;
}

std::set<int> Join(std::set<int> a, const std::set<int>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

TEST(HitStats, WindowsCountRightsWrongsAccuracyAndRunsAtTheNewest) {
    const struct {
        const char* name;
        std::set<int> misses;
        int window;
        HitStats expected;
    } cases[] = {
        // 15 of 20 right, the newest two wrong.
        {"20", Join(Range(1, 2), Range(18, 20)), 20, {15, 5, 75, 0, 2}},
        // 2 of 30 right: 6.66... truncates to 6; the newest period right after wrong ones.
        {"30", Range(2, 29), 30, {2, 28, 6, 1, 0}},
        // 29 of 100 right, the newest 29 of them in a run.
        {"100", Range(30, 110), 100, {29, 71, 29, 29, 0}},
        // Periods older than the window do not count.
        {"older misses", Range(21, 110), 20, {20, 0, 100, 20, 0}},
        {"no window", {1}, 0, {}},
        {"negative window", {1}, -5, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SizeRecord r = RecordWithMisses(c.misses);
        EXPECT_EQ(CountHits(r.history, r.forecasts, K::Size, c.window), c.expected);
    }
}

TEST(HitStats, KillDoubleCombinationRunsEndAtTheNewestPeriod) {
    // Killing 大单 and 小双: the newest period drew 小双 (wrong), the one before 大双 (right).
    const DrawHistory h = MakeHistory({{1, 1, 0}, {6, 7, 7}, {6, 7, 7}, {0, 0, 1}, {6, 7, 7}, {6, 7, 7}});
    const std::vector<PlanForecast> forecasts(4, PlanForecast{"15", "大单", "小双"});
    EXPECT_EQ(CountHits(h, forecasts, K::KillDoubleCombination, 3), (HitStats{2, 1, 66, 0, 1}));
}

TEST(HitStats, AWindowBeyondTheHistoryCountsWhatExists) {
    PlanDefinition plan;
    std::string error;
    ASSERT_TRUE(ParsePlanDefinition("x----1+5|2+9|3+12", plan, error));
    const DrawHistory h = MixedHistory(20);
    for (K kind : {K::Combination, K::Kill3N, K::AlternateItem, K::KillDoubleCombination}) {
        const std::optional<HitStats> s = ComputeHitStats(h, plan, kind, 100);
        ASSERT_TRUE(s.has_value());
        // 17 forecasts: the coming period and drawn periods 1..16.
        EXPECT_EQ(s->right + s->wrong, 16) << KindCaption(kind);
        EXPECT_EQ(s->accuracy, s->right * 100 / 16);
        EXPECT_EQ(*s, CountHits(h, PlanForecasts(h, plan, kind, 16), kind, 16));
    }
    EXPECT_EQ(ComputeHitStats(MixedHistory(9), plan, K::Size, 20), std::nullopt);
    EXPECT_EQ(ComputeHitStats(MixedHistory(10), plan, K::Size, 0), HitStats{});
}

TEST(HitStats, StatisticsLine) {
    EXPECT_EQ(StatsLine("20", {15, 5, 75, 0, 2}), "统计【20期】 对:15 错:5 正确率:75 连中:0 连挂:2");
}

TEST(HitStats, MarkingComparesTheChosenMetric) {
    const struct {
        int value, comparison, threshold;
        bool marked;
    } cases[] = {
        {80, 0, 80, true},  {79, 0, 80, false}, {80, 1, 80, true},  {81, 1, 80, false},
        {80, 2, 80, false}, {81, 2, 80, true},  {80, 3, 80, false}, {79, 3, 80, true},
        {80, 4, 0, false},  {80, -1, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MeetsThreshold(c.value, c.comparison, c.threshold), c.marked)
            << c.value << " cmp " << c.comparison << " " << c.threshold;
}

// Over draws of 5, 5, 5 (sum 15, 大单): "1|2|3" predicts 15 and is always right at 大小,
// "1+2|3|4" predicts 0 + 5 + 5 = 10 (小) and is always wrong.
std::vector<PlanDefinition> RightAndWrongPlans() {
    std::vector<PlanDefinition> plans(2);
    std::string error;
    EXPECT_TRUE(ParsePlanDefinition("right----1|2|3", plans[0], error));
    EXPECT_TRUE(ParsePlanDefinition("wrong----1+2|3|4", plans[1], error));
    return plans;
}

TEST(HitStats, MarkNamedPlansMarksAndDescribesTheChosenPlan) {
    const DrawHistory h = MakeHistory(std::vector<Digits>(110, Digits{5, 5, 5}));
    const std::vector<PlanDefinition> plans = RightAndWrongPlans();

    MarkResult r = MarkNamedPlans(h, plans, K::Size, 20, "20", 1, 2, 0, 80);
    EXPECT_EQ(r.marked, (std::vector<bool>{true, false}));
    EXPECT_EQ(r.statsLine, "统计【20期】 对:20 错:0 正确率:100 连中:20 连挂:0");

    r = MarkNamedPlans(h, plans, K::Size, 20, "20", 2, 4, 0, 20);  // 当前连挂 >= 20
    EXPECT_EQ(r.marked, (std::vector<bool>{false, true}));
    EXPECT_EQ(r.statsLine, "统计【20期】 对:0 错:20 正确率:0 连中:0 连挂:20");

    EXPECT_EQ(MarkNamedPlans(h, plans, K::Size, 20, "20", 3, 2, 0, 80).statsLine, "");
    EXPECT_EQ(MarkNamedPlans(h, plans, K::Size, 20, "20", 0, 2, 0, 80).statsLine, "");
}

TEST(HitStats, WithoutEnoughHistoryEveryPlanIsJudgedOnZeros) {
    const DrawHistory h = MakeHistory(std::vector<Digits>(9, Digits{5, 5, 5}));
    const MarkResult r = MarkNamedPlans(h, RightAndWrongPlans(), K::Size, 20, "20", 2, 2, 1, 0);
    EXPECT_EQ(r.marked, (std::vector<bool>{true, true}));  // 0 <= 0
    EXPECT_EQ(r.statsLine, "统计【20期】 对:0 错:0 正确率:0 连中:0 连挂:0");
}

TEST(HitStats, MarkingAgreesWithEachPlansOwnStatistics) {
    const std::vector<PlanDefinition> plans =
        ParsePlanList(testing::ReadSourceFile("plans/definitions/named_plans.txt")).plans;
    ASSERT_EQ(plans.size(), 56u);
    const DrawHistory h = MixedHistory(110);
    for (K kind : {K::Combination, K::Kill4N, K::DoubleCombination, K::AlternateItem}) {
        for (int window : {20, 100}) {
            const MarkResult r = MarkNamedPlans(h, plans, kind, window, "w", 7, 2, 0, 50);
            ASSERT_EQ(r.marked.size(), plans.size());
            for (size_t p = 0; p < plans.size(); ++p) {
                const HitStats s = *ComputeHitStats(h, plans[p], kind, window);
                EXPECT_EQ(r.marked[p], s.accuracy >= 50) << KindCaption(kind) << " plan " << p + 1;
                if (p == 6) {
                    EXPECT_EQ(r.statsLine, StatsLine("w", s));
                }
            }
        }
    }
}

}  // namespace
}  // namespace qivra
