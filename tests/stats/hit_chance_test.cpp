#include "stats/hit_chance.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include "core/text.hpp"

namespace qivra {
namespace {

using K = PredictionKind;

constexpr K kAllKinds[] = {K::Combination,       K::Size,          K::Parity,
                           K::KillCombination,   K::Kill3N,        K::Kill4N,
                           K::DoubleCombination, K::AlternateItem, K::KillDoubleCombination};

// The rules written out on the sums, apart from the judging code: is drawn sum s right for the
// forecast made from predicted sum v, with the base period's and drawn period's parities?
bool RuleHit(K kind, int v, int s, bool baseEven, bool drawnEven) {
    const bool sameSize = (s > 13) == (v > 13);
    const bool sameParity = s % 2 == v % 2;
    switch (kind) {
        case K::Combination: return sameSize || sameParity;
        case K::Size: return sameSize;
        case K::Parity: return sameParity;
        case K::KillCombination: return !(sameSize && sameParity);
        case K::Kill3N: return s % 3 != v % 3;
        case K::Kill4N: return s % 4 != v % 4;
        case K::DoubleCombination: return sameSize == sameParity;  // the combination or its opposite
        case K::KillDoubleCombination: return sameSize != sameParity;
        case K::AlternateItem:
            // An even base asks for parity, an odd one for size; an even drawn period judges size.
            if (baseEven && !drawnEven) return sameParity;
            if (!baseEven && drawnEven) return sameSize;
            return false;  // the forecast's word is of the other pair: never right
    }
    return false;
}

// Over the 1,000 digit triples.
double RuleChance(K kind, int v, bool baseEven, bool drawnEven) {
    int hits = 0;
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b)
            for (int c = 0; c < 10; ++c) hits += RuleHit(kind, v, a + b + c, baseEven, drawnEven) ? 1 : 0;
    return hits / 1000.0;
}

TEST(HitChance, SumDistributionOfThreeDigits) {
    const auto& counts = SumTripleCounts();
    EXPECT_EQ(std::accumulate(counts.begin(), counts.end(), 0), 1000);
    EXPECT_EQ(counts[0], 1);
    EXPECT_EQ(counts[13], 75);
    EXPECT_EQ(counts[14], 75);
    EXPECT_EQ(counts[27], 1);
    for (size_t s = 0; s < counts.size(); ++s) EXPECT_EQ(counts[s], counts[27 - s]) << s;
}

TEST(HitChance, KnownValues) {
    // P(大) = P(单) = 1/2; 杀3N of remainder 0 misses 334 of the 1,000 triples.
    EXPECT_DOUBLE_EQ(HitChance(K::Size, DeriveForecast(20, K::Size, "100"), "101"), 0.5);
    EXPECT_DOUBLE_EQ(HitChance(K::Parity, DeriveForecast(3, K::Parity, "100"), "101"), 0.5);
    EXPECT_DOUBLE_EQ(HitChance(K::Kill3N, DeriveForecast(27, K::Kill3N, "100"), "101"), 0.666);
    EXPECT_DOUBLE_EQ(HitChance(K::AlternateItem, DeriveForecast(20, K::AlternateItem, "100"), "101"), 0.5);
    // A 双项 forecast judged on a period of the wrong parity asks for the other pair of words.
    EXPECT_DOUBLE_EQ(HitChance(K::AlternateItem, DeriveForecast(20, K::AlternateItem, "100"), "102"), 0.0);
    // A forecast word the rules never produce is never right, or always right for a 杀 kind.
    EXPECT_DOUBLE_EQ(HitChance(K::Size, PlanForecast{"14", "?", ""}, "1"), 0.0);
    EXPECT_DOUBLE_EQ(HitChance(K::Kill4N, PlanForecast{"14", "9", ""}, "1"), 1.0);
}

// Every kind, every forecast the rules make, base and drawn periods of either parity.
TEST(HitChance, EveryForecastMatchesTheRulesOnTheSums) {
    for (K kind : kAllKinds)
        for (int v = 0; v < 28; ++v)
            for (bool baseEven : {true, false})
                for (bool drawnEven : {true, false}) {
                    const PlanForecast f = DeriveForecast(v, kind, baseEven ? "3000000" : "3000001");
                    EXPECT_DOUBLE_EQ(HitChance(kind, f, drawnEven ? "3000002" : "3000001"),
                                     RuleChance(kind, v, baseEven, drawnEven))
                        << KindCaption(kind) << " v=" << v << " baseEven=" << baseEven << " drawnEven=" << drawnEven;
                    EXPECT_EQ(HitChanceForParity(kind, f, drawnEven), HitChance(kind, f, drawnEven ? "8" : "-7"));
                }
}

TEST(HitChance, AverageOverForecastsOfADrawnSum) {
    const auto& counts = SumTripleCounts();
    for (K kind : kAllKinds) {
        double expected = 0;
        for (int v = 0; v < 28; ++v)
            expected += counts[static_cast<size_t>(v)] / 1000.0 *
                        (RuleChance(kind, v, true, false) + RuleChance(kind, v, false, true)) / 2;
        EXPECT_NEAR(AverageHitChance(kind), expected, 1e-12) << KindCaption(kind);
    }
    EXPECT_DOUBLE_EQ(AverageHitChance(K::Size), 0.5);
    EXPECT_DOUBLE_EQ(AverageHitChance(K::AlternateItem), 0.5);
}

TEST(HitChance, PeriodParityAsIsHitReadsIt) {
    for (const char* period : {"0", "7", "-7", " +12", "3000001", "3000002", "99999999999", "4294967297", "12ab3",
                               "", "x", "-", "\t8"})
        EXPECT_EQ(PeriodIsEven(period), IntegerValue(period) % 2 == 0) << period;
}

// Each thread keeps its own table; all give the same figures.
TEST(HitChance, SameFiguresOnEveryThread) {
    std::vector<double> mine;
    for (K kind : kAllKinds)
        for (int v = 0; v < 28; ++v) mine.push_back(HitChance(kind, DeriveForecast(v, kind, "7"), "8"));
    std::vector<std::vector<double>> theirs(2);
    std::vector<std::thread> threads;
    for (auto& out : theirs)
        threads.emplace_back([&out] {
            for (int round = 0; round < 3; ++round) {
                out.clear();
                for (K kind : kAllKinds)
                    for (int v = 0; v < 28; ++v) out.push_back(HitChance(kind, DeriveForecast(v, kind, "7"), "8"));
            }
        });
    for (auto& t : threads) t.join();
    for (const auto& out : theirs) EXPECT_EQ(out, mine);
}

}  // namespace
}  // namespace qivra
