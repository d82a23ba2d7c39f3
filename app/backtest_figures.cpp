#include "app/backtest_figures.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "stats/hit_chance.hpp"

namespace qivra {
namespace {

constexpr double kZ95 = 1.959963984540054;

std::string Fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string PValueText(double p) {
    if (p < 1e-4) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2e", p);
        return buf;
    }
    return Fixed(p, 4);
}

}  // namespace

std::vector<ChartPoint> ThinPoints(const std::vector<ChartPoint>& points, size_t maxPoints) {
    if (maxPoints < 2 || points.size() <= maxPoints) return points;
    // Every step-th point, and the last, so the series still ends where the range ends.
    const size_t step = (points.size() - 1 + (maxPoints - 2)) / (maxPoints - 1);
    std::vector<ChartPoint> thin;
    thin.reserve(maxPoints);
    for (size_t i = 0; i < points.size() - 1; i += step) thin.push_back(points[i]);
    thin.push_back(points.back());
    return thin;
}

BacktestFigures ComputeBacktestFigures(const BacktestDraws& draws, const BacktestSubject& subject,
                                       BacktestResult result, int window, size_t maxPoints) {
    BacktestFigures f;
    f.window = std::max(window, 1);
    f.rangePeriods = static_cast<int64_t>(draws.size());
    if (!draws.empty()) {
        f.firstPeriod = draws.Period(0);
        f.lastPeriod = draws.Period(draws.size() - 1);
    }

    // A judged period's chance depends only on its predicted sum and the parity of its base and
    // drawn periods: worked out once per combination.
    std::array<double, 28 * 4> chanceOf{};
    for (int v = 0; v < 28; ++v)
        for (int baseOdd = 0; baseOdd < 2; ++baseOdd) {
            const PlanForecast forecast = DeriveForecast(v, subject.kind, baseOdd ? "1" : "0");
            for (int drawnOdd = 0; drawnOdd < 2; ++drawnOdd)
                chanceOf[static_cast<size_t>(v * 4 + baseOdd * 2 + drawnOdd)] =
                    HitChanceForParity(subject.kind, forecast, drawnOdd == 0);
        }

    std::vector<JudgedPeriod> judged;  // oldest first
    std::vector<int64_t> periods;
    judged.reserve(static_cast<size_t>(result.judged));
    periods.reserve(static_cast<size_t>(result.judged));
    for (size_t r = 0; r < result.predictedSums.size() && r < draws.size(); ++r) {
        const uint8_t v = result.predictedSums[r];
        if (v == kNotJudged) continue;
        const size_t key = static_cast<size_t>(v) * 4 + static_cast<size_t>(draws.BaseOdd(r)) * 2 +
                           static_cast<size_t>(draws.DrawnOdd(r));
        judged.push_back({result.hitFlags[r] != 0, chanceOf[std::min(key, chanceOf.size() - 1)]});
        periods.push_back(draws.Period(r));
    }
    std::vector<JudgedPeriod> newestFirst(judged.rbegin(), judged.rend());
    f.significance = AssessRun(newestFirst);
    f.significance.chances.clear();  // the page has no use for a copy per period

    // Rolling sums over the judged periods.
    const size_t w = static_cast<size_t>(f.window);
    if (judged.size() >= w) {
        RollingFigures all;
        const size_t n = judged.size() - w + 1;
        all.accuracy.reserve(n);
        all.baseline.reserve(n);
        all.bandLow.reserve(n);
        all.bandHigh.reserve(n);
        double hits = 0, mean = 0, variance = 0;
        for (size_t i = 0; i < judged.size(); ++i) {
            const JudgedPeriod& in = judged[i];
            hits += in.hit ? 1 : 0;
            mean += in.chance;
            variance += in.chance * (1 - in.chance);
            if (i >= w) {
                const JudgedPeriod& out = judged[i - w];
                hits -= out.hit ? 1 : 0;
                mean -= out.chance;
                variance -= out.chance * (1 - out.chance);
            }
            if (i + 1 < w) continue;
            const double x = static_cast<double>(periods[i]);
            const double base = mean / static_cast<double>(w);
            const double spread = kZ95 * std::sqrt(std::max(variance, 0.0)) / static_cast<double>(w);
            all.accuracy.push_back({x, hits / static_cast<double>(w)});
            all.baseline.push_back({x, base});
            all.bandLow.push_back({x, std::max(0.0, base - spread)});
            all.bandHigh.push_back({x, std::min(1.0, base + spread)});
        }
        f.rolling.accuracy = ThinPoints(all.accuracy, maxPoints);
        f.rolling.baseline = ThinPoints(all.baseline, maxPoints);
        f.rolling.bandLow = ThinPoints(all.bandLow, maxPoints);
        f.rolling.bandHigh = ThinPoints(all.bandHigh, maxPoints);
    }

    const std::array<int64_t, 28> counts = draws.SumCounts();
    for (size_t s = 0; s < 28; ++s) {
        f.sumFrequency[s] =
            draws.empty() ? 0 : static_cast<double>(counts[s]) / static_cast<double>(draws.size());
        f.sumChance[s] = static_cast<double>(SumTripleCounts()[s]) / kDigitTriples;
    }
    f.result = std::move(result);
    return f;
}

std::string BacktestResultText(const std::string& subjectName, const BacktestFigures& f) {
    const BacktestResult& r = f.result;
    const RunSignificance& s = f.significance;
    std::string text = subjectName + "：第 " + std::to_string(f.firstPeriod) + " 期至第 " + std::to_string(f.lastPeriod) +
                       " 期，共 " + std::to_string(f.rangePeriods) + " 期\n";
    text += "已判：" + std::to_string(r.judged) + "  正确：" + std::to_string(r.hits) + "  错误：" +
            std::to_string(r.misses) + "  正确率：" + Fixed(r.accuracy * 100, 2) + "%\n";
    text += "最长连中：" + std::to_string(r.longestHitRun) + "  最长连挂：" + std::to_string(r.longestMissRun) + "\n";
    text += "缺期跳过：" + std::to_string(r.skippedGap) + "  存档开头跳过：" + std::to_string(r.skippedStart) + "\n";
    text += "随机基准：" + Fixed(s.ChanceRate() * 100, 2) + "%（期望 " + Fixed(s.expectedHits, 1) + " 中）  p值：" +
            PValueText(s.pValue);
    return text;
}

std::string ArchiveSummaryText(const std::string& gameName, const GameSummary& s) {
    if (s.draws == 0) return gameName + "：存档为空";
    return gameName + "：" + std::to_string(s.draws) + " 期，第 " + std::to_string(s.firstPeriod) + " 期（" +
           s.firstDrawnAt + "）至第 " + std::to_string(s.lastPeriod) + " 期（" + s.lastDrawnAt + "），冲突 " +
           std::to_string(s.conflicts) + "，缺期 " + std::to_string(s.missing);
}

}  // namespace qivra
