// Under fair draws the figures must not cry wolf; under biased draws they must see the bias.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "plans/plan_view.hpp"
#include "stats/judged_runs.hpp"
#include "stats_fixture.hpp"

namespace qivra {
namespace {

using K = PredictionKind;
using testing::ServiceHistory;

PlanDefinition Plan(const std::string& line) {
    PlanDefinition plan;
    std::string error;
    EXPECT_TRUE(ParsePlanDefinition(line, plan, error)) << error;
    return plan;
}

// Sixteen plans of the shipped shape: three formulas of two to four of the twelve positions.
std::vector<PlanDefinition> SixteenPlans() {
    std::mt19937 rng(16);
    std::vector<PlanDefinition> plans;
    for (int p = 0; p < 16; ++p) {
        std::string line = "p" + std::to_string(p) + "----";
        for (int f = 0; f < 3; ++f) {
            const int n = 2 + static_cast<int>(rng() % 3);
            for (int t = 0; t < n; ++t) line += std::to_string(1 + rng() % 12) + (t + 1 < n ? "+" : "");
            line += f < 2 ? "|" : "";
        }
        plans.push_back(Plan(line));
    }
    return plans;
}

// Largest distance between the empirical distribution of the values and the uniform one.
double KolmogorovSmirnov(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const double n = static_cast<double>(values.size());
    double d = 0;
    for (size_t i = 0; i < values.size(); ++i)
        d = std::max({d, (i + 1) / n - values[i], values[i] - i / n});
    return d;
}

// The p-value of a count is discrete, so it cannot be uniform; it is conservative:
// P(p <= a) <= a. The randomised p-value P(X > x) + U P(X = x) is exactly uniform when the
// distribution is right, so the Kolmogorov-Smirnov test at 1 % is made on that.
TEST(Calibration, PValuesOfAPlanOnFairHistories) {
    constexpr int kHistories = 2000;
    const PlanDefinition plan = Plan("p----7+1|6+4|2+4+8");
    for (K kind : {K::Size, K::Kill3N, K::Combination}) {
        std::mt19937_64 rng(static_cast<uint64_t>(kind) + 1);
        std::uniform_real_distribution<double> u(0, 1);
        std::vector<double> randomised, plain;
        for (int h = 0; h < kHistories; ++h) {
            const DrawHistory history = ServiceHistory(static_cast<uint64_t>(h) + 1, 110);
            const auto forecasts = PlanForecasts(history, plan, kind, 100);
            const std::vector<JudgedPeriod> periods = JudgePeriods(history, forecasts, kind, 1, 100);
            const RunSignificance s = AssessRun(periods);
            std::vector<double> chances;
            for (const JudgedPeriod& p : periods) chances.push_back(p.chance);
            const double above = PoissonBinomialTail(chances, s.hits + 1);
            randomised.push_back(above + u(rng) * (s.pValue - above));
            plain.push_back(s.pValue);
        }
        EXPECT_LT(KolmogorovSmirnov(randomised), 1.6276 / std::sqrt(double{kHistories})) << KindCaption(kind);
        for (double a : {0.01, 0.05, 0.1}) {
            const double share = std::count_if(plain.begin(), plain.end(), [a](double p) { return p <= a; }) /
                                 double{kHistories};
            EXPECT_LE(share, a + 4 * std::sqrt(a * (1 - a) / kHistories)) << KindCaption(kind) << " a=" << a;
        }
    }
}

TEST(Calibration, FewPlansCalledBetterThanChanceOnFairHistories) {
    constexpr int kHistories = 500;
    const std::vector<PlanDefinition> plans = SixteenPlans();
    int called = 0, historiesWithACall = 0;
    for (int h = 0; h < kHistories; ++h) {
        const DrawHistory history = ServiceHistory(50000 + static_cast<uint64_t>(h), 110);
        std::vector<double> p;
        for (const PlanDefinition& plan : plans) p.push_back(PlanSignificance(history, plan, K::Combination, 100)->pValue);
        const std::vector<double> adjusted = AdjustBenjaminiHochberg(p);
        const auto calls = std::count_if(adjusted.begin(), adjusted.end(), BetterThanChance);
        called += static_cast<int>(calls);
        historiesWithACall += calls > 0 ? 1 : 0;
    }
    EXPECT_LT(called / double(kHistories * plans.size()), 0.05);
    // With every plan at chance the adjustment holds the chance of any call to 5 %.
    EXPECT_LE(historiesWithACall / double{kHistories}, 0.05 + 3 * std::sqrt(0.05 * 0.95 / kHistories));
}

// A forecast of 大 every period, over 1,000 periods drawn by the service.
RunSignificance AlwaysBig(const DrawBias& bias) {
    const DrawHistory history = ServiceHistory(28028, 1000 + kHistoryLookback, bias);
    const std::vector<PlanForecast> forecasts(1001, DeriveForecast(27, K::Size, ""));
    return AssessRun(JudgePeriods(history, forecasts, K::Size, 1, 1000));
}

TEST(Power, BiasedServiceMakesTheBigPlanStandOut) {
    const RunSignificance biased = AlwaysBig(DrawBias{0, 14, 0.6});
    EXPECT_EQ(biased.periods, 1000);
    EXPECT_DOUBLE_EQ(biased.expectedHits, 500);
    EXPECT_LT(biased.pValue, 0.001) << biased.hits;
    const RunSignificance fair = AlwaysBig(DrawBias{});
    EXPECT_GE(fair.pValue, 0.001) << fair.hits;
    // 0.5 is the fair share of high sums: the same as fair odds.
    EXPECT_GE(AlwaysBig(DrawBias{0, 14, 0.5}).pValue, 0.001);
}

}  // namespace
}  // namespace qivra
