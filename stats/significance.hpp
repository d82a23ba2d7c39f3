#pragma once
// How surprising a run of judged forecasts is when every forecast only had its chance: the
// Poisson-binomial distribution of the hits, an interval for the hit rate, the chance of the
// current runs, and the Benjamini-Hochberg adjustment for many runs shown together.

#include <span>
#include <vector>

namespace qivra {

// One drawn period: whether its forecast was judged right, and the chance it had (HitChance).
struct JudgedPeriod {
    bool hit = false;
    double chance = 0;
};

struct RateInterval {
    double low = 0;
    double high = 1;
};

struct RunSignificance {
    int periods = 0;
    int hits = 0;
    double expectedHits = 0;  // the sum of the chances
    // P(hits >= observed) when each period is right with its own chance, independently.
    double pValue = 1;
    // 95 % Wilson score interval for the hit rate hits / periods ([0, 1] without periods).
    RateInterval rate;
    // The runs ending at the newest period (当前连中, 当前连挂), counted as HitWalk counts them,
    // and the chance of a run at least that long: the product of the newest periods' chances
    // of a hit (of a miss). That is exactly P(run >= observed) for independent periods, with no
    // assumption about the older periods; 1 for a run of 0.
    int hitRun = 0;
    double hitRunChance = 1;
    int missRun = 0;
    double missRunChance = 1;
    // Each period's chance, newest first: what ThresholdChance needs to put a mark (a figure
    // meeting the marking threshold) beside the chance of meeting it.
    std::vector<double> chances;

    double HitRate() const { return periods > 0 ? static_cast<double>(hits) / periods : 0.0; }
    double ChanceRate() const { return periods > 0 ? expectedHits / periods : 0.0; }
};

// periods newest first: element 0 is drawn period 1.
RunSignificance AssessRun(std::span<const JudgedPeriod> newestFirst);

// Up to this many periods the tail is exact; above it the refined normal approximation.
inline constexpr int kExactTailLimit = 5000;

// P(X >= k) for X the number of successes of independent trials with these chances.
double PoissonBinomialTail(std::span<const double> chances, int k);
// The exact distribution (element j: P(X = j)), by adding one trial at a time.
std::vector<double> PoissonBinomialDistribution(std::span<const double> chances);
double PoissonBinomialTailExact(std::span<const double> chances, int k);
// The normal approximation with a skewness correction (the "refined normal approximation"):
// P(X <= k) ~ G((k + 0.5 - mu) / sigma), G(x) = Phi(x) + gamma (1 - x^2) phi(x) / 6, gamma the
// skewness. Its error against the exact tail is of order 1/n.
double PoissonBinomialTailApprox(std::span<const double> chances, int k);

// 95 % by default (z = 1.96); [0, 1] when there are no periods.
RateInterval WilsonInterval(int hits, int periods, double z = 1.959963984540054);

// Adjusted p-values in the order given: min over j >= rank of m p(j) / j, at most 1. A value that
// is not a number counts as 1.
std::vector<double> AdjustBenjaminiHochberg(std::span<const double> pValues);

// A run is called better than chance when its adjusted p-value is below this.
inline constexpr double kFalseDiscoveryRate = 0.05;
inline bool BetterThanChance(double adjusted) { return adjusted < kFalseDiscoveryRate; }

// The chance that a figure of the statistics (HitStats::Field: 0 正确, 1 错误, 2 正确率,
// 3 当前连中, 4 当前连挂) meets a threshold the way MeetsThreshold compares (0 >=, 1 <=, 2 >,
// 3 <), when the periods (newest first) are right independently with these chances. The exact
// distribution of the figure, not a bound.
double ThresholdChance(std::span<const double> chancesNewestFirst, int metricIndex, int comparisonIndex,
                       int threshold);

}  // namespace qivra
