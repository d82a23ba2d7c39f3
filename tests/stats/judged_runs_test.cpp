#include "stats/judged_runs.hpp"

#include <gtest/gtest.h>

#include <future>
#include <random>

#include "custom/algorithm_search.hpp"
#include "custom/algorithm_store.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_view.hpp"
#include "stats/hit_chance.hpp"
#include "stats_fixture.hpp"

namespace qivra {
namespace {

using K = PredictionKind;
using testing::ServiceHistory;

constexpr K kAllKinds[] = {K::Combination,       K::Size,          K::Parity,
                           K::KillCombination,   K::Kill3N,        K::Kill4N,
                           K::DoubleCombination, K::AlternateItem, K::KillDoubleCombination};

PlanDefinition Plan(const std::string& line) {
    PlanDefinition plan;
    std::string error;
    EXPECT_TRUE(ParsePlanDefinition(line, plan, error)) << error;
    return plan;
}

void ExpectSameCount(const RunSignificance& s, const HitStats& stats, int counted) {
    EXPECT_EQ(s.periods, counted);
    EXPECT_EQ(s.hits, stats.right);
    EXPECT_EQ(s.periods - s.hits, stats.wrong);
    EXPECT_EQ(s.hitRun, stats.hitRun);
    EXPECT_EQ(s.missRun, stats.missRun);
}

// The significance counts the same periods, hits and runs as the statistics the views show.
TEST(PlanSignificance, CountsAsThePlanStatistics) {
    const DrawHistory history = ServiceHistory(1, 110);
    const PlanDefinition plan = Plan("p----7+1|6+4|2+4+8");
    for (K kind : kAllKinds)
        for (int window : {1, 20, 100, 150}) {
            const auto figures = PlanFigures(history, plan, kind, window);
            const auto s = PlanSignificance(history, plan, kind, window);
            const auto stats = ComputeHitStats(history, plan, kind, window);
            ASSERT_TRUE(figures && s && stats);
            EXPECT_EQ(figures->stats, *stats);
            ExpectSameCount(*s, *stats, std::min(window, 106));  // 107 forecasts from the 110 draws
            double expected = 0;
            const auto forecasts = PlanForecasts(history, plan, kind, window);
            for (int k = 1; k <= s->periods; ++k)
                expected += HitChance(kind, forecasts[static_cast<size_t>(k)], history.at(k).period);
            EXPECT_NEAR(s->expectedHits, expected, 1e-9);
            ASSERT_EQ(s->chances.size(), static_cast<size_t>(s->periods));
            // The chance of the mark the plan's own figure would earn at "正确 >= its count".
            EXPECT_NEAR(ThresholdChance(s->chances, 0, 0, s->hits), s->pValue, 1e-12);
        }
    EXPECT_EQ(PlanSignificance(history, plan, K::Size, 0)->periods, 0);
    EXPECT_EQ(PlanFigures(history, plan, K::Size, 0)->stats, HitStats{});
    EXPECT_FALSE(PlanSignificance(ServiceHistory(1, 9), plan, K::Size, 5));
}

TEST(AlgorithmSignificance, CountsAsTheAlgorithmStatistics) {
    const DrawHistory history = ServiceHistory(2, 110);
    const FormulaSet formulas = CompileAlgorithmText("[1]+[8]+[9]+[12]/[8]*[6]|[9]+[5]+2+[2]|[1]*[9]+[5]/[2]+[10]");
    for (K kind : kAllKinds)
        for (int window : {1, 20, 104}) {
            const auto figures = AlgorithmFigures(history, formulas, kind, window);
            const auto s = AlgorithmSignificance(history, formulas, kind, window);
            const auto stats = EvaluateAlgorithm(history, formulas, kind, window);
            ASSERT_TRUE(figures && s && stats);
            EXPECT_EQ(figures->stats, *stats);
            ExpectSameCount(*s, *stats, window);
        }
    // Where the statistics give nothing, so does the significance.
    for (int window : {0, 105})
        EXPECT_EQ(AlgorithmSignificance(history, formulas, K::Size, window).has_value(),
                  EvaluateAlgorithm(history, formulas, K::Size, window).has_value())
            << window;
    EXPECT_FALSE(AlgorithmSignificance(ServiceHistory(2, 9), formulas, K::Size, 1));
}

// A 100-period history (110 draws: 10 only feed forecasts), a candidate found by the search at
// window 20: in sample it is judged on periods 1..20, out of sample on exactly 21..100.
TEST(OutOfSample, CandidateOfTheSearchJudgedOnTheOlderPeriods) {
    const DrawHistory history = ServiceHistory(3, kDefaultHistoryDepth + kHistoryLookback);
    SearchSnapshot snapshot;
    snapshot.history = history;
    snapshot.kind = K::Size;
    snapshot.window = 20;
    snapshot.criterion = static_cast<int>(SearchCriterion::Right);
    snapshot.threshold = 15;
    snapshot.seed = 14;
    AlgorithmSearch search;
    std::promise<SearchOutcome> done;
    ASSERT_TRUE(search.Start(snapshot, nullptr, [&done](const SearchOutcome& o) { done.set_value(o); }));
    auto finished = done.get_future();
    ASSERT_EQ(finished.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const SearchOutcome outcome = finished.get();
    ASSERT_EQ(outcome.end, SearchOutcome::End::Found);
    const FormulaSet formulas = CompileAlgorithmText(JoinAlgorithmText(outcome.formulas));

    const auto check = CheckOutOfSample(history, formulas, K::Size, 20, kDefaultHistoryDepth);
    ASSERT_TRUE(check);
    EXPECT_EQ(check->inSample.periods, 20);
    EXPECT_EQ(check->inSample.hits, outcome.stats.right);
    EXPECT_GE(check->inSample.hits, 15);
    EXPECT_EQ(check->outOfSample.periods, 80);
    EXPECT_EQ(check->historyPeriods, 80);
    EXPECT_EQ(check->olderPeriods, 0);
    // Periods 21..100 are those of window 100 less those of window 20.
    const int hits100 = EvaluateAlgorithm(history, formulas, K::Size, 100)->right;
    EXPECT_EQ(check->outOfSample.hits, hits100 - outcome.stats.right);
    EXPECT_DOUBLE_EQ(check->outOfSample.expectedHits, 40.0);  // every 大小 forecast has chance 1/2
    EXPECT_EQ(OutOfSampleText(*check), "样本外：" + std::to_string(check->outOfSample.hits) + "/80（随机期望40.0）");
    EXPECT_EQ(InSampleText(*check), "样本内：" + std::to_string(check->inSample.hits) + "/20（随机期望10.0）");
}

TEST(OutOfSample, OlderDrawsExtendTheCheck) {
    const DrawHistory full = ServiceHistory(4, 200);
    const DrawHistory history(std::vector<DrawRecord>(full.records().begin(), full.records().begin() + 110));
    // The older span overlaps the history by ten draws, as an archive would.
    const std::vector<DrawRecord> older(full.records().begin() + 100, full.records().end());
    const FormulaSet formulas = CompileAlgorithmText("[1]+[7]|[3]*[14]|[18]-[2]");
    for (K kind : {K::Kill3N, K::AlternateItem}) {
        const auto check = CheckOutOfSample(history, formulas, kind, 20, 100, older);
        ASSERT_TRUE(check);
        EXPECT_EQ(check->outOfSample.periods, 200 - kFormulaDraws - 20);
        EXPECT_EQ(check->historyPeriods, 80);
        EXPECT_EQ(check->olderPeriods, 94);
        const int all = EvaluateAlgorithm(full, formulas, kind, 194)->right;
        EXPECT_EQ(check->outOfSample.hits, all - EvaluateAlgorithm(full, formulas, kind, 20)->right);
        const auto whole = CheckOutOfSample(full, formulas, kind, 20, 194);
        EXPECT_DOUBLE_EQ(check->outOfSample.pValue, whole->outOfSample.pValue);
    }
}

TEST(OutOfSample, WithoutOlderPeriodsTheCheckSaysSo) {
    const FormulaSet formulas = CompileAlgorithmText("[1]|[2]|[3]");
    const DrawHistory history = ServiceHistory(5, 110);
    const auto atDepth = CheckOutOfSample(history, formulas, K::Size, 100, 100);
    ASSERT_TRUE(atDepth);
    EXPECT_FALSE(atDepth->HasOutOfSample());
    EXPECT_EQ(atDepth->inSample.periods, 100);
    EXPECT_EQ(OutOfSampleText(*atDepth), "样本外：无更早的期数");
    // Only the six base draws of the window: nothing older to judge.
    const auto tight = CheckOutOfSample(ServiceHistory(5, 26), formulas, K::Size, 20, 100);
    ASSERT_TRUE(tight);
    EXPECT_FALSE(tight->HasOutOfSample());
    // Older draws the history already holds add nothing.
    const auto held = CheckOutOfSample(history, formulas, K::Size, 100, 100, history.records());
    EXPECT_FALSE(held->HasOutOfSample());
    // A window the history cannot judge.
    EXPECT_FALSE(CheckOutOfSample(ServiceHistory(5, 25), formulas, K::Size, 20, 100));
    EXPECT_FALSE(CheckOutOfSample(history, formulas, K::Size, 0, 100));
}

TEST(ByChance, ThresholdChanceOfARandomCandidate) {
    // 大小: every period is a fair coin. 21,700 of the 2^20 outcomes have 15 or more right.
    EXPECT_NEAR(SearchThresholdChance(K::Size, 20, 0, 15), 21700.0 / 1048576.0, 1e-15);
    EXPECT_NEAR(SearchThresholdChance(K::Size, 20, 1, 15), 21700.0 / 1048576.0, 1e-15);
    EXPECT_NEAR(SearchThresholdChance(K::Size, 20, 2, 5), 1.0 / 32, 1e-15);
    EXPECT_NEAR(SearchThresholdChance(K::Size, 20, 3, 21), 0.0, 1e-15);
    const double p = AverageHitChance(K::Kill3N);
    EXPECT_NEAR(SearchThresholdChance(K::Kill3N, 20, 2, 4), p * p * p * p, 1e-15);
    EXPECT_NEAR(SearchThresholdChance(K::Kill3N, 20, 3, 2), (1 - p) * (1 - p), 1e-15);
    EXPECT_EQ(SearchThresholdChance(K::Size, 20, 4, 1), 0.0);
    EXPECT_EQ(SearchThresholdChance(K::Size, 0, 0, 0), 0.0);
    EXPECT_NEAR(ByChanceCount(2000000, K::Size, 20, 0, 15), 2000000 * 21700.0 / 1048576.0, 1e-6);
    EXPECT_EQ(ByChanceText(41388.7), "随机可达：约41388.7个");
}

// The model against random candidates scored as the search scores them, on fair histories.
TEST(ByChance, ModelMatchesRandomCandidates) {
    struct Case {
        K kind;
        int criterion, threshold;
    };
    for (const Case c : {Case{K::Size, 0, 14}, Case{K::Kill3N, 0, 17}, Case{K::Combination, 2, 4}}) {
        int reached = 0, tried = 0;
        FormulaGenerator generator(99);
        for (int h = 0; h < 100; ++h) {
            const AlgorithmScorer scorer(ServiceHistory(1000 + static_cast<uint64_t>(h), 40), c.kind, 20);
            for (int i = 0; i < 200; ++i, ++tried) {
                const auto texts = generator.Generation(GeneratorMode::Simple);
                const FormulaSet f = {Formula::Compile(texts[0]), Formula::Compile(texts[1]), Formula::Compile(texts[2])};
                reached += CriterionValue(*scorer.Score(f), c.criterion) >= c.threshold ? 1 : 0;
            }
        }
        const double p = SearchThresholdChance(c.kind, 20, c.criterion, c.threshold);
        // Candidates on one history are not independent: a wide margin, still far from a wrong model.
        EXPECT_NEAR(reached / double(tried), p, 0.15 * p + 0.002) << KindCaption(c.kind);
    }
}

}  // namespace
}  // namespace qivra
