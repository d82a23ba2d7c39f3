#include "stats/significance.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "plans/hit_stats.hpp"

namespace qivra {
namespace {

double BinomialTail(int n, double p, int k) {
    double tail = 0;
    for (int j = std::max(k, 0); j <= n; ++j)
        tail += std::exp(std::lgamma(n + 1.0) - std::lgamma(j + 1.0) - std::lgamma(n - j + 1.0) + j * std::log(p) +
                         (n - j) * std::log1p(-p));
    return tail;
}

std::vector<double> RandomChances(uint64_t seed, int n, double lo, double hi) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<double> c(static_cast<size_t>(n));
    for (double& x : c) x = u(rng);
    return c;
}

TEST(PoissonBinomial, EqualChancesGiveTheBinomialTail) {
    for (int n : {1, 10, 100, 1000})
        for (double p : {0.5, 0.3, 0.75}) {
            const std::vector<double> chances(static_cast<size_t>(n), p);
            for (int k = -1; k <= n + 1; k += std::max(1, n / 50)) {
                const double exact = BinomialTail(n, p, k);
                EXPECT_NEAR(PoissonBinomialTail(chances, k), exact, 1e-12 + 1e-9 * exact) << n << " " << p << " " << k;
            }
        }
    // Far in the tail the value keeps its relative precision.
    const std::vector<double> half(100, 0.5);
    EXPECT_NEAR(PoissonBinomialTail(half, 90) / BinomialTail(100, 0.5, 90), 1.0, 1e-9);
}

// A view's chances take a few values (two to four per play type); the tail then comes from
// binomials of the groups, which must agree with adding the periods one by one.
TEST(PoissonBinomial, FewDistinctChancesAgreeWithThePeriodByPeriodDistribution) {
    const std::vector<double> values = {0.5, 0.666, 0.75, 0.25, 0.0, 1.0};
    for (size_t distinct = 2; distinct <= values.size(); ++distinct)
        for (int n : {7, 100, 1000}) {
            std::vector<double> chances;
            for (int i = 0; i < n; ++i) chances.push_back(values[static_cast<size_t>(i * 7 + i / 3) % distinct]);
            const std::vector<double> d = PoissonBinomialDistribution(chances);
            double tail = 0;
            for (int k = n; k >= 0; --k) {
                tail += d[static_cast<size_t>(k)];
                if (k % 17 != 0 && n - k > 20) continue;  // every tail far out, a sample of the rest
                EXPECT_NEAR(PoissonBinomialTailExact(chances, k), tail, 1e-12 + 1e-9 * tail)
                    << distinct << " values, n=" << n << ", k=" << k;
            }
        }
}

TEST(PoissonBinomial, UnequalChancesAgreeWithSimulation) {
    const std::vector<double> chances = RandomChances(7, 30, 0.05, 0.95);
    std::mt19937_64 rng(28);
    std::uniform_real_distribution<double> u(0, 1);
    constexpr int kRounds = 200000;
    std::vector<int> atLeast(32, 0);
    for (int r = 0; r < kRounds; ++r) {
        int hits = 0;
        for (double c : chances) hits += u(rng) < c ? 1 : 0;
        for (int k = 0; k <= hits; ++k) ++atLeast[static_cast<size_t>(k)];
    }
    for (int k = 0; k <= 31; ++k) {
        const double p = PoissonBinomialTail(chances, k);
        const double observed = atLeast[static_cast<size_t>(k)] / double{kRounds};
        EXPECT_NEAR(observed, p, 5 * std::sqrt(p * (1 - p) / kRounds) + 1e-9) << k;
    }
}

// The approximation used above kExactTailLimit periods, against the exact tail at that size.
TEST(PoissonBinomial, RefinedNormalApproximationIsCloseAtTheExactLimit) {
    struct Case {
        double lo, hi;
    };
    for (const Case c : {Case{0.5, 0.5}, Case{0.2, 0.8}, Case{0.45, 0.75}, Case{0.02, 0.2}}) {
        const std::vector<double> chances = RandomChances(5000, kExactTailLimit, c.lo, c.hi);
        double mu = 0, var = 0;
        for (double x : chances) mu += x, var += x * (1 - x);
        const double sigma = std::sqrt(var);
        // Tails of the exact distribution, from the far end.
        const std::vector<double> d = PoissonBinomialDistribution(chances);
        std::vector<double> tail(d.size() + 1, 0.0);
        for (size_t j = d.size(); j-- > 0;) tail[j] = tail[j + 1] + d[j];
        const int middle = static_cast<int>(mu);
        EXPECT_NEAR(PoissonBinomialTailExact(chances, middle), tail[static_cast<size_t>(middle)], 1e-12);
        double worst = 0;
        for (int k = static_cast<int>(mu - 6 * sigma); k <= static_cast<int>(mu + 6 * sigma); ++k)
            worst = std::max(worst, std::fabs(PoissonBinomialTailApprox(chances, k) - tail[static_cast<size_t>(k)]));
        std::printf("chances %.2f..%.2f: largest error of the approximation %.2e\n", c.lo, c.hi, worst);
        EXPECT_LT(worst, 1e-4) << c.lo << ".." << c.hi;
    }
    // Above the limit the approximation answers.
    const std::vector<double> more(kExactTailLimit + 1, 0.3);
    EXPECT_EQ(PoissonBinomialTail(more, 1550), PoissonBinomialTailApprox(more, 1550));
    // Certain outcomes have no spread.
    const std::vector<double> certain(kExactTailLimit + 1, 1.0);
    EXPECT_EQ(PoissonBinomialTailApprox(certain, kExactTailLimit + 1), 1.0);
    EXPECT_EQ(PoissonBinomialTailApprox(std::vector<double>(10, 0.0), 1), 0.0);
}

TEST(RateInterval, WilsonScoreInterval) {
    const RateInterval a = WilsonInterval(15, 20);
    EXPECT_NEAR(a.low, 0.5313, 1e-4);
    EXPECT_NEAR(a.high, 0.8881, 1e-4);
    const RateInterval none = WilsonInterval(0, 10);
    EXPECT_EQ(none.low, 0.0);
    EXPECT_NEAR(none.high, 0.2775, 1e-4);
    const RateInterval all = WilsonInterval(10, 10);
    EXPECT_NEAR(all.low, 0.7225, 1e-4);
    EXPECT_DOUBLE_EQ(all.high, 1.0);
    const RateInterval empty = WilsonInterval(0, 0);
    EXPECT_EQ(empty.low, 0.0);
    EXPECT_EQ(empty.high, 1.0);
}

TEST(AssessRun, CountsRunsAndTheirChances) {
    // Newest first: right, right, wrong, right.
    const std::vector<JudgedPeriod> run = {{true, 0.5}, {true, 0.25}, {false, 0.75}, {true, 0.5}};
    const RunSignificance s = AssessRun(run);
    EXPECT_EQ(s.periods, 4);
    EXPECT_EQ(s.hits, 3);
    EXPECT_DOUBLE_EQ(s.expectedHits, 2.0);
    EXPECT_EQ(s.hitRun, 2);
    EXPECT_DOUBLE_EQ(s.hitRunChance, 0.125);
    EXPECT_EQ(s.missRun, 0);
    EXPECT_DOUBLE_EQ(s.missRunChance, 1.0);
    const std::vector<double> chances = {0.5, 0.25, 0.75, 0.5};
    EXPECT_DOUBLE_EQ(s.pValue, PoissonBinomialTailExact(chances, 3));
    EXPECT_DOUBLE_EQ(s.HitRate(), 0.75);
    EXPECT_DOUBLE_EQ(s.ChanceRate(), 0.5);

    const RunSignificance misses = AssessRun(std::vector<JudgedPeriod>{{false, 0.5}, {false, 0.75}, {true, 1}});
    EXPECT_EQ(misses.missRun, 2);
    EXPECT_DOUBLE_EQ(misses.missRunChance, 0.125);
    EXPECT_EQ(misses.hitRun, 0);

    const RunSignificance nothing = AssessRun({});
    EXPECT_EQ(nothing.periods, 0);
    EXPECT_EQ(nothing.pValue, 1.0);
    EXPECT_EQ(nothing.ChanceRate(), 0.0);
}

TEST(BenjaminiHochberg, AdjustsInTheGivenOrder) {
    const std::vector<double> p = {0.01, 0.04, 0.03, 0.005};
    const std::vector<double> adjusted = AdjustBenjaminiHochberg(p);
    ASSERT_EQ(adjusted.size(), 4u);
    EXPECT_DOUBLE_EQ(adjusted[0], 0.02);
    EXPECT_DOUBLE_EQ(adjusted[1], 0.04);
    EXPECT_DOUBLE_EQ(adjusted[2], 0.04);
    EXPECT_DOUBLE_EQ(adjusted[3], 0.02);
    // Ties, values that are not numbers (taken as 1), and the cap at 1.
    const std::vector<double> odd = AdjustBenjaminiHochberg(std::vector<double>{0.02, NAN, 0.02, 0.03, 2.0});
    EXPECT_DOUBLE_EQ(odd[0], 0.05);
    EXPECT_DOUBLE_EQ(odd[1], 1.0);
    EXPECT_DOUBLE_EQ(odd[2], 0.05);
    EXPECT_DOUBLE_EQ(odd[3], 0.05);
    EXPECT_DOUBLE_EQ(odd[4], 1.0);
    EXPECT_TRUE(AdjustBenjaminiHochberg({}).empty());
    EXPECT_TRUE(BetterThanChance(0.049));
    EXPECT_FALSE(BetterThanChance(0.05));
}

// Every figure, comparison and threshold against all 2^n outcomes walked as the plans count them.
TEST(ThresholdChance, MatchesEveryOutcomeWalkedByThePlanStatistics) {
    for (int n : {0, 1, 7}) {
        const std::vector<double> chances = RandomChances(static_cast<uint64_t>(n) + 3, n, 0.1, 0.9);
        // probability[metric][comparison][threshold]
        std::vector<double> expected(5 * 4 * 102, 0.0);
        for (uint32_t outcome = 0; outcome < (1u << n); ++outcome) {
            double p = 1;
            HitWalk walk;
            for (int k = n - 1; k >= 0; --k) {  // oldest first; bit k is period k + 1
                const bool hit = (outcome >> k) & 1;
                p *= hit ? chances[static_cast<size_t>(k)] : 1 - chances[static_cast<size_t>(k)];
                walk.Add(hit);
            }
            const HitStats stats = walk.Result(n);
            for (int m = 0; m < 5; ++m)
                for (int c = 0; c < 4; ++c)
                    for (int t = 0; t < 102; ++t)
                        if (MeetsThreshold(stats.Field(m), c, t)) expected[static_cast<size_t>((m * 4 + c) * 102 + t)] += p;
        }
        for (int m = 0; m < 5; ++m)
            for (int c = 0; c < 4; ++c)
                for (int t = 0; t < 102; ++t)
                    EXPECT_NEAR(ThresholdChance(chances, m, c, t), expected[static_cast<size_t>((m * 4 + c) * 102 + t)],
                                1e-12)
                        << "n=" << n << " metric=" << m << " comparison=" << c << " threshold=" << t;
    }
    // A comparison outside the table marks nothing.
    EXPECT_EQ(ThresholdChance(std::vector<double>(5, 0.5), 0, 4, 0), 0.0);
}

}  // namespace
}  // namespace qivra
