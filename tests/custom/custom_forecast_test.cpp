#include "custom/custom_forecast.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>

#include "custom/algorithm_search.hpp"

namespace qivra {
namespace {

struct FakeGrid final : CellSink {
    std::map<std::pair<int, int>, std::string> text;
    std::map<std::pair<int, int>, Rgb> colour;
    void SetCellText(int row, int column, const std::string& t) override { text[{row, column}] = t; }
    void SetCellTextColour(int row, int column, Rgb c) override { colour[{row, column}] = c; }
    bool HasText(int row, int column) const { return text.count({row, column}) > 0; }
    std::string At(int row, int column) const {
        auto it = text.find({row, column});
        return it == text.end() ? "<unset>" : it->second;
    }
};

FormulaSet Compile(const char* a, const char* b, const char* c) {
    return {Formula::Compile(a), Formula::Compile(b), Formula::Compile(c)};
}

const FormulaSet& DefaultFormulas() {
    static const FormulaSet f = Compile("[1]+[8]+[9]+[12]/[8]*[6]", "[9]+[5]+2+[2]", "[1]*[9]+[5]/[2]+[10]");
    return f;
}

// The help-text draws newest, then older filler; periods count down from newestPeriod.
DrawHistory HelpHistory(int extra = 10, int newestPeriod = 1000) {
    const int digits[][3] = {{4, 5, 8}, {6, 2, 6}, {7, 8, 1}, {6, 7, 9}, {2, 9, 7}, {6, 1, 1}};
    DrawHistory h;
    int period = newestPeriod;
    for (const auto& d : digits) h.push_back(DrawRecord::Make(std::to_string(period--), "12:34:56", d[0], d[1], d[2]));
    for (int i = 0; i < extra; ++i)
        h.push_back(DrawRecord::Make(std::to_string(period--), "08:00", i % 10, (i * 3) % 10, (i * 7) % 10));
    return h;
}

// Each draw is either 9 9 9 (sum 27) or as given; used with constant formulas.
DrawHistory HistoryOf(const std::vector<std::array<int, 3>>& newestFirst) {
    DrawHistory h;
    int period = 5000;
    for (const auto& d : newestFirst) h.push_back(DrawRecord::Make(std::to_string(period--), "09:00", d[0], d[1], d[2]));
    return h;
}

TEST(CustomForecasts, ComingPeriodOfTheDefaultAlgorithmPerKind) {
    const DrawHistory history = HelpHistory();
    FormulaPositions p{};
    ASSERT_TRUE(LoadFormulaPositions(history, 1, kFormulaDraws, p));
    EXPECT_EQ(PredictedSum(DefaultFormulas(), p), 9);

    struct Case { PredictionKind kind; const char* c4; const char* c5; } cases[] = {
        {PredictionKind::Combination, "小", "单"},
        {PredictionKind::KillCombination, "杀小单", "双 + 大单"},
        {PredictionKind::Kill3N, "", "杀3N0"},
        {PredictionKind::AlternateItem, "", "单"},  // newest period 1000 is even: a parity forecast
    };
    for (const Case& c : cases) {
        FakeGrid grid;
        const auto forecasts = CustomForecasts(history, DefaultFormulas(), c.kind, 100);
        WriteCustomView(grid, history, forecasts, c.kind, 100);
        EXPECT_EQ(grid.At(1, 4), c.c4) << c.c5;
        EXPECT_EQ(grid.At(1, 5), c.c5) << c.c5;
        for (int column : {0, 1, 2, 3, 6}) EXPECT_FALSE(grid.HasText(1, column)) << column;
        EXPECT_EQ(grid.colour.count({1, 3}), 0u);
    }
    FakeGrid odd;
    const DrawHistory oddHistory = HelpHistory(10, 1001);
    WriteCustomView(odd, oddHistory, CustomForecasts(oddHistory, DefaultFormulas(), PredictionKind::AlternateItem, 5),
                    PredictionKind::AlternateItem, 5);
    EXPECT_EQ(odd.At(1, 5), "小");
}

TEST(CustomForecasts, DrawnRowsShowThePredictedSumAndTheJudgement) {
    // Each base draw predicts its own sum, so drawn period k is forecast the sum of draw k+1.
    const FormulaSet own = Compile("[1]", "[2]", "[3]");
    const DrawHistory history = HelpHistory(6);  // 12 draws: base draws 1..7 have six draws
    const auto forecasts = CustomForecasts(history, own, PredictionKind::Combination, 100);
    ASSERT_EQ(forecasts.size(), 7u);
    EXPECT_EQ(forecasts[1].sumText, "14");

    FakeGrid grid;
    WriteCustomView(grid, history, forecasts, PredictionKind::Combination, 100);
    // Drawn period 1 (4 5 8 = 17, 大单) against 14 (大双): only the size is right.
    EXPECT_EQ(grid.At(2, 0), "1000");
    EXPECT_EQ(grid.At(2, 1), "12:34");
    EXPECT_EQ(grid.At(2, 2), history.at(1).content);
    EXPECT_EQ(grid.At(2, 3), "14");
    EXPECT_EQ(grid.At(2, 4), "大");
    EXPECT_EQ(grid.At(2, 5), "双");
    EXPECT_EQ(grid.At(2, 6), "大小对");
    EXPECT_EQ(grid.colour.at({2, 3}), colours::kBlue);
    EXPECT_EQ(grid.colour.at({2, 4}), colours::kRed);
    EXPECT_EQ(grid.colour.at({2, 5}), colours::kGreen);
    // Rows stop with the forecasts; nothing is written for periods without six older draws.
    EXPECT_TRUE(grid.HasText(7, 6));
    EXPECT_FALSE(grid.HasText(8, 0));
}

TEST(CustomForecasts, TooFewDrawsLeaveEverythingAlone) {
    const DrawHistory history = HistoryOf(std::vector<std::array<int, 3>>(9, {1, 2, 3}));
    EXPECT_TRUE(CustomForecasts(history, DefaultFormulas(), PredictionKind::Combination, 100).empty());
    FakeGrid grid;
    WriteCustomView(grid, history, {}, PredictionKind::Combination, 100);
    EXPECT_TRUE(grid.text.empty());
    EXPECT_EQ(EvaluateAlgorithm(history, DefaultFormulas(), PredictionKind::Combination, 20), std::nullopt);
    EXPECT_EQ(EvaluateAlgorithm(HelpHistory(), DefaultFormulas(), PredictionKind::Combination, 20), std::nullopt)
        << "16 draws cannot serve a window of 20";
    EXPECT_EQ(EvaluateAlgorithm(HelpHistory(), DefaultFormulas(), PredictionKind::Combination, 0), std::nullopt);
}

TEST(EvaluateAlgorithm, CountsRightWrongAccuracyAndRuns) {
    const FormulaSet always27 = Compile("9", "9", "9");  // 大单 every period
    const std::array<int, 3> big{9, 9, 9}, small{0, 0, 0}, smallOdd{0, 0, 1};
    struct Case { int window; int right; int accuracy; } cases[] = {{20, 13, 65}, {30, 2, 6}, {100, 29, 29}};
    for (const Case& c : cases) {
        std::vector<std::array<int, 3>> draws(static_cast<size_t>(c.window + 10), small);
        for (int k = 0; k < c.right; ++k) draws[static_cast<size_t>(k)] = big;  // the newest are right
        const auto stats = EvaluateAlgorithm(HistoryOf(draws), always27, PredictionKind::Size, c.window);
        ASSERT_TRUE(stats);
        EXPECT_EQ(stats->right, c.right);
        EXPECT_EQ(stats->wrong, c.window - c.right);
        EXPECT_EQ(stats->accuracy, c.accuracy);
        EXPECT_EQ(stats->hitRun, c.right);
        EXPECT_EQ(stats->missRun, 0);
    }

    // 杀双组 kills 大单 and 小双: the newest 大单 is wrong, the 小单 before it right.
    std::vector<std::array<int, 3>> draws(30, smallOdd);
    draws[0] = big;
    auto stats = EvaluateAlgorithm(HistoryOf(draws), always27, PredictionKind::KillDoubleCombination, 20);
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->hitRun, 0);
    EXPECT_EQ(stats->missRun, 1);
    EXPECT_EQ(stats->right, 19);

    // 组合 with only the parity right (大单 forecast, 小单 drawn) counts as right.
    stats = EvaluateAlgorithm(HistoryOf(std::vector<std::array<int, 3>>(30, smallOdd)), always27,
                              PredictionKind::Combination, 20);
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->right, 20);
}

TEST(EvaluateAlgorithm, FastPathsEqualTheReferenceCount) {
    std::mt19937_64 rng(2024);
    std::uniform_int_distribution<int> digit(0, 9);
    FormulaGenerator generator(99);
    const PredictionKind kinds[] = {PredictionKind::Combination,   PredictionKind::Size,
                                    PredictionKind::Parity,        PredictionKind::KillCombination,
                                    PredictionKind::Kill3N,        PredictionKind::Kill4N,
                                    PredictionKind::KillDoubleCombination, PredictionKind::AlternateItem};
    for (int round = 0; round < 6; ++round) {
        DrawHistory history;
        for (int i = 0; i < 110; ++i)
            history.push_back(DrawRecord::Make(std::to_string(3000 - i), "10:00", digit(rng), digit(rng), digit(rng)));
        const int window = 20 + 16 * round;
        for (PredictionKind kind : kinds) {
            const AlgorithmScorer scorer(history, kind, window);
            ASSERT_TRUE(scorer.usable());
            for (int c = 0; c < 60; ++c) {
                auto texts = generator.Generation(c % 2 ? GeneratorMode::Mixed : GeneratorMode::Simple);
                if (c % 7 == 0) texts[1] = "[3]-";  // an invalid formula counts as digit 0
                const FormulaSet f{Formula::Compile(texts[0]), Formula::Compile(texts[1]), Formula::Compile(texts[2])};
                const auto reference = EvaluateAlgorithmReference(history, f, kind, window);
                ASSERT_TRUE(reference);
                ASSERT_EQ(EvaluateAlgorithm(history, f, kind, window), reference) << texts[0];
                ASSERT_EQ(scorer.Score(f), reference) << texts[0];
            }
        }
    }
}

}  // namespace
}  // namespace qivra
