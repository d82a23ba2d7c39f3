#pragma once
// What the 【历史回测】 page shows of a finished backtest, worked out on the worker: the chance
// baseline and p-value of the judged periods, the rolling accuracy against its chance band,
// each sum's frequency against its exact chance, and the texts. No Qt.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/backtest.hpp"
#include "archive/draw_archive.hpp"
#include "stats/significance.hpp"

namespace qivra {

// A drawn series keeps at most this many points; longer ones are thinned evenly.
inline constexpr size_t kMaxChartPoints = 2000;

struct ChartPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

struct RollingFigures {
    std::vector<ChartPoint> accuracy;  // hits over the last `window` judged periods, at each period
    std::vector<ChartPoint> baseline;  // the mean chance of those periods
    std::vector<ChartPoint> bandLow;   // baseline -/+ 1.96 standard deviations of the window's rate
    std::vector<ChartPoint> bandHigh;
};

struct BacktestFigures {
    BacktestResult result;
    RunSignificance significance;  // over the judged periods, each with its own chance
    int64_t rangePeriods = 0;
    int64_t firstPeriod = 0;       // of the range; 0 when empty
    int64_t lastPeriod = 0;
    int window = 0;
    RollingFigures rolling;
    std::array<double, 28> sumFrequency{};  // share of the range's draws with each sum
    std::array<double, 28> sumChance{};     // SumTripleCounts() / 1000
};

// Points i = 0, s, 2s, … and the last, so that at most maxPoints remain.
std::vector<ChartPoint> ThinPoints(const std::vector<ChartPoint>& points, size_t maxPoints = kMaxChartPoints);

// The figures of one subject's result over the draws it was run on. window < 1 counts as 1.
BacktestFigures ComputeBacktestFigures(const BacktestDraws& draws, const BacktestSubject& subject,
                                       BacktestResult result, int window, size_t maxPoints = kMaxChartPoints);

// The result lines the page shows.
std::string BacktestResultText(const std::string& subjectName, const BacktestFigures& figures);
// One game's line of archive facts.
std::string ArchiveSummaryText(const std::string& gameName, const GameSummary& summary);

}  // namespace qivra
