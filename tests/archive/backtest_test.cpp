#include "archive/backtest.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "archive_fixture.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"

namespace qivra {
namespace {

using testing::OpenArchive;
using testing::TempFolder;

constexpr PredictionKind kAllKinds[] = {
    PredictionKind::Combination,     PredictionKind::Size,       PredictionKind::Parity,
    PredictionKind::KillCombination, PredictionKind::Kill3N,     PredictionKind::Kill4N,
    PredictionKind::DoubleCombination, PredictionKind::AlternateItem, PredictionKind::KillDoubleCombination};

std::vector<PlanDefinition> ShippedPlans() {
    std::vector<PlanDefinition> plans;
    for (const char* name : {"free_plans.txt", "named_plans.txt"}) {
        std::ifstream in(std::string(QIVRA_PLAN_DEFINITIONS_DIR) + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        PlanListResult list = ParsePlanList(text.str());
        EXPECT_TRUE(list.error.empty()) << list.error;
        plans.insert(plans.end(), list.plans.begin(), list.plans.end());
    }
    return plans;
}

const std::vector<CustomAlgorithm> kAlgorithms = {
    {"甲", "[1]+[4]|[2]*[5]-[9]|([3]+[18])/2"},
    {"乙", "[7]|[8]+[11]+[12]|[16]*3"},
    {"丙", "[1]/[2]|[10]-[13]|[17]*[6]+1.5"},
    {"坏", "[1]+|[2]|[3]"},  // an invalid formula gives digit 0, in the views and here
};

// Oldest first, consecutive periods from firstPeriod, random digits.
std::vector<ArchivedDraw> RandomRows(uint64_t seed, int count, int64_t firstPeriod) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    std::vector<ArchivedDraw> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(testing::Row(firstPeriod + i));
        rows.back().digit1 = digit(rng);
        rows.back().digit2 = digit(rng);
        rows.back().digit3 = digit(rng);
    }
    return rows;
}

DrawHistory HistoryOf(const std::vector<ArchivedDraw>& oldestFirst) {
    DrawHistory h;
    for (auto it = oldestFirst.rbegin(); it != oldestFirst.rend(); ++it)
        h.push_back(DrawRecord::Make(std::to_string(it->period), it->drawnAt, it->digit1, it->digit2, it->digit3));
    return h;
}

// The feed's 110 draws: the views judge drawn periods 1..100, the backtest the last 100
// archived periods. Both must say the same of every period, for every plan and kind.
TEST(Backtest, JudgesTheLastHundredPeriodsAsThePlanAndCustomViews) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    // An odd first period, so both parities of base and drawn periods occur for 双项.
    const std::vector<ArchivedDraw> rows = RandomRows(7, 110, 3000001);
    ASSERT_TRUE(archive->Merge(0, rows).ok());
    const DrawHistory history = HistoryOf(rows);
    const BacktestDraws draws = LoadBacktestDraws(*archive, 0, BacktestRange::Last(100));
    ASSERT_EQ(draws.size(), 100u);

    std::vector<BacktestSubject> subjects;
    const std::vector<PlanDefinition> plans = ShippedPlans();
    ASSERT_EQ(plans.size(), 72u);
    for (const PlanDefinition& plan : plans)
        for (PredictionKind kind : kAllKinds) subjects.push_back(BacktestSubject::ForPlan(plan, kind));
    for (const CustomAlgorithm& algorithm : kAlgorithms)
        for (int code = 1; code <= 8; ++code)
            subjects.push_back(BacktestSubject::ForAlgorithm(algorithm, *CustomKindFromCode(code)));

    const BacktestRun run = RunBacktest(draws, subjects);
    ASSERT_EQ(run.results.size(), subjects.size());
    for (size_t s = 0; s < subjects.size(); ++s) {
        const BacktestSubject& subject = subjects[s];
        const BacktestResult& result = run.results[s];
        SCOPED_TRACE(subject.name + " " + KindCaption(subject.kind));
        std::vector<PlanForecast> forecasts;
        HitStats viewStats;
        if (const auto* plan = std::get_if<PlanDefinition>(&subject.rule)) {
            forecasts = PlanForecasts(history, *plan, subject.kind, 100);
            viewStats = CountHits(history, forecasts, subject.kind, 100);
        } else {
            const FormulaSet& formulas = std::get<FormulaSet>(subject.rule);
            forecasts = CustomForecasts(history, formulas, subject.kind, 100);
            viewStats = *EvaluateAlgorithmReference(history, formulas, subject.kind, 100);
            ASSERT_EQ(EvaluateAlgorithm(history, formulas, subject.kind, 100), viewStats);
        }
        ASSERT_EQ(result.stats, viewStats);
        ASSERT_EQ(result.judged, 100);
        ASSERT_EQ(result.skippedGap + result.skippedStart, 0);
        for (size_t r = 0; r < draws.size(); ++r) {
            const int k = static_cast<int>(100 - r);  // drawn period k of the views
            ASSERT_EQ(draws.Draw(r).period, history.at(k).period);
            ASSERT_EQ(BacktestForecast(draws, subject, result, r), forecasts[static_cast<size_t>(k)]) << k;
            const DrawRecord& d = history.at(k);
            ASSERT_EQ(result.hitFlags[r] != 0, IsHit(subject.kind, forecasts[static_cast<size_t>(k)], d.sum, d.period));
        }
    }
}

TEST(Backtest, SkipsAndCountsPeriodsWhoseDrawsCrossAGap) {
    TempFolder dir;
    auto archive = OpenArchive(dir / "archive.sqlite");
    ASSERT_TRUE(archive);
    std::vector<ArchivedDraw> rows = RandomRows(11, 300, 1);
    rows.erase(rows.begin() + 149, rows.begin() + 151);  // periods 150 and 151 never archived
    ASSERT_TRUE(archive->Merge(1, rows).ok());

    const std::vector<BacktestSubject> subjects = {
        BacktestSubject::ForPlan(ShippedPlans().front(), PredictionKind::Combination),
        BacktestSubject::ForAlgorithm(kAlgorithms.front(), PredictionKind::KillCombination)};
    const BacktestDraws all = LoadBacktestDraws(*archive, 1, BacktestRange::All());
    ASSERT_EQ(all.size(), 298u);
    const BacktestRun run = RunBacktest(all, subjects);
    ASSERT_EQ(run.results.size(), 2u);
    for (size_t s = 0; s < 2; ++s) {
        const BacktestResult& result = run.results[s];
        const int64_t need = subjects[s].DrawsRead();
        EXPECT_EQ(result.skippedStart, need);  // periods 1..need lack their draws
        EXPECT_EQ(result.skippedGap, need);    // periods 152..151+need would read 150 or 151
        EXPECT_EQ(result.judged, 298 - 2 * need);
        for (size_t r = 0; r < all.size(); ++r) {
            const int64_t p = all.Period(r);
            const bool skipped = p <= need || (p >= 152 && p < 152 + need);
            EXPECT_EQ(result.predictedSums[r] == kNotJudged, skipped) << p;
            EXPECT_EQ(BacktestForecast(all, subjects[s], result, r).has_value(), !skipped) << p;
        }
    }

    // The first period after the gap with its draws is judged from those draws alone: the
    // same forecast a view makes from a history that starts after the gap.
    const size_t after = 151 - 2 + 6;  // range index of period 158 (two periods missing)
    ASSERT_EQ(all.Period(after), 158);
    const std::vector<ArchivedDraw> sinceGap(rows.begin() + 149, rows.begin() + 149 + 7);  // 152..158
    const DrawHistory h = HistoryOf(sinceGap);
    const auto& formulas = std::get<FormulaSet>(subjects[1].rule);
    FormulaPositions positions{};
    ASSERT_TRUE(LoadFormulaPositions(h, 2, kFormulaDraws, positions));
    EXPECT_EQ(run.results[1].predictedSums[after], PredictedSum(formulas, positions));

    // A range between two date-times reads the draws before it for its first forecasts.
    const BacktestDraws between =
        LoadBacktestDraws(*archive, 1, BacktestRange::Between(rows[199].drawnAt, rows[248].drawnAt));
    ASSERT_EQ(between.size(), 50u);
    EXPECT_EQ(between.Period(0), 202);
    const BacktestRun inner = RunBacktest(between, subjects);
    EXPECT_EQ(inner.results[1].judged, 50);
    for (size_t r = 0; r < between.size(); ++r)
        EXPECT_EQ(inner.results[1].predictedSums[r], run.results[1].predictedSums[r + 199]);

    // Longest runs and accuracy agree with the hit flags.
    const BacktestResult& result = run.results[0];
    int64_t hits = 0, longestHit = 0, longestMiss = 0, hitRun = 0, missRun = 0;
    for (size_t r = 0; r < all.size(); ++r) {
        if (result.predictedSums[r] == kNotJudged) {
            hitRun = missRun = 0;
            continue;
        }
        if (result.hitFlags[r]) {
            ++hits;
            missRun = 0;
            longestHit = std::max(longestHit, ++hitRun);
        } else {
            hitRun = 0;
            longestMiss = std::max(longestMiss, ++missRun);
        }
    }
    EXPECT_EQ(result.hits, hits);
    EXPECT_EQ(result.longestHitRun, longestHit);
    EXPECT_EQ(result.longestMissRun, longestMiss);
    EXPECT_DOUBLE_EQ(result.accuracy, static_cast<double>(hits) / static_cast<double>(result.judged));
    EXPECT_GT(longestHit, 1);
    EXPECT_GT(longestMiss, 1);
}

TEST(Backtest, ReportsProgressAndStopsWhenCancelled) {
    const std::vector<ArchivedDraw> rows = RandomRows(3, 20000, 1000);
    const BacktestDraws draws(rows, 0, 1000);
    std::array<int64_t, 28> expectedCounts{};
    for (const ArchivedDraw& d : rows) ++expectedCounts[static_cast<size_t>(d.sum())];
    EXPECT_EQ(draws.SumCounts(), expectedCounts);

    std::vector<BacktestSubject> subjects;
    for (const PlanDefinition& plan : ShippedPlans()) subjects.push_back(BacktestSubject::ForPlan(plan, PredictionKind::Size));

    std::vector<int64_t> reports;
    BacktestControl control;
    control.progress = [&](int64_t done, int64_t total) {
        EXPECT_EQ(total, 20000 * 72);
        reports.push_back(done);
    };
    const BacktestRun whole = RunBacktest(draws, subjects, control);
    EXPECT_FALSE(whole.cancelled);
    ASSERT_GT(reports.size(), 10u);
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), 20000 * 72);

    std::atomic<bool> cancel{false};
    reports.clear();
    control.cancel = &cancel;
    control.progress = [&](int64_t done, int64_t) {
        reports.push_back(done);
        cancel = true;  // as the window's cancel button would, from another thread
    };
    const BacktestRun stopped = RunBacktest(draws, subjects, control);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.results.empty());
    EXPECT_EQ(reports.size(), 1u) << "stopped at the next check";
}

}  // namespace
}  // namespace qivra
