#include "plans/plan_view.hpp"

#include <climits>

#include <gtest/gtest.h>

#include "core/classify.hpp"
#include "plan_test_support.hpp"

namespace qivra {
namespace {

using K = PredictionKind;
using testing::Digits;
using testing::MakeHistory;
using testing::MixedHistory;
using testing::RecordingSink;

PlanDefinition ExamplePlan() {
    PlanDefinition plan;
    std::string error;
    EXPECT_TRUE(ParsePlanDefinition("x----1+2+3|4+5+6|7+8+9", plan, error));
    return plan;
}

// The example draws newest first, then a varied tail: 110 draws in all.
DrawHistory ExampleHistory(int count = 110) {
    std::vector<DrawRecord> draws = MixedHistory(count).records();
    const Digits head[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {0, 0, 0}};
    for (int i = 0; i < 4 && i < count; ++i)
        draws[static_cast<size_t>(i)] =
            DrawRecord::Make(draws[static_cast<size_t>(i)].period, draws[static_cast<size_t>(i)].time, head[i].a,
                             head[i].b, head[i].c);
    return DrawHistory(std::move(draws));
}

TEST(PlanView, OneForecastPerBaseDrawThatHasThreeOlderOnes) {
    const struct {
        int draws, n;
        size_t forecasts;
    } cases[] = {
        {9, 100, 0},     // too short for any plan
        {10, 100, 7},    // stops at the last period with four older draws
        {110, 100, 101}, // the coming period and 100 drawn ones
        {110, 5, 6},     {20, 0, 1},   {20, -1, 0},  {110, INT_MAX, 107},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlanForecasts(MixedHistory(c.draws), ExamplePlan(), K::Combination, c.n).size(), c.forecasts)
            << c.draws << " draws, n = " << c.n;
    }
}

TEST(PlanView, ForecastKReadsTheFourDrawsBeforePeriodK) {
    const DrawHistory h = ExampleHistory(40);
    const auto combo = PlanForecasts(h, ExamplePlan(), K::Combination, 30);
    EXPECT_EQ(combo.front(), (PlanForecast{"15", "大", "单"}));

    // 双项 also shows which period the forecast was based on.
    const auto alternate = PlanForecasts(h, ExamplePlan(), K::AlternateItem, 30);
    ASSERT_EQ(alternate.size(), 31u);
    for (int k = 0; k <= 30; ++k) {
        // The example plan adds the last digits of the sums of base draws 1, 2 and 3.
        const int v = LastDigit(h.at(k + 1).sum) + LastDigit(h.at(k + 2).sum) + LastDigit(h.at(k + 3).sum);
        EXPECT_EQ(alternate[static_cast<size_t>(k)], DeriveForecast(v, K::AlternateItem, h.at(k + 1).period)) << k;
    }
}

TEST(PlanView, WritesTheComingRowAndJudgedRows) {
    const DrawHistory h = ExampleHistory();
    const auto forecasts = PlanForecasts(h, ExamplePlan(), K::Combination, 100);
    RecordingSink grid;
    WritePlanView(grid, h, forecasts, K::Combination, 5);

    const char* coming[] = {"3000001", "00:00", "  ?", "15", "大", "单"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.Text(1, c), coming[c]) << c;
    EXPECT_EQ(grid.Text(1, 6), std::nullopt);
    EXPECT_EQ(grid.Colour(1, 3), std::nullopt) << "the coming period is not judged";

    for (int k = 1; k <= 5; ++k) {
        SCOPED_TRACE(k);
        const DrawRecord& d = h.at(k);
        const PlanForecast& f = forecasts[static_cast<size_t>(k)];
        EXPECT_EQ(grid.Text(k + 1, 0), d.period);
        EXPECT_EQ(grid.Text(k + 1, 1), d.time.substr(0, 5));
        EXPECT_EQ(grid.Text(k + 1, 2), d.content);
        EXPECT_EQ(grid.Text(k + 1, 3), f.sumText);

        RecordingSink judged;
        RenderForecastCells(judged, k + 1, K::Combination, f);
        const std::string word = JudgeRow(judged, k + 1, K::Combination, f, d.sum, d.period);
        EXPECT_EQ(grid.Text(k + 1, 4), judged.Text(k + 1, 4));
        EXPECT_EQ(grid.Text(k + 1, 5), judged.Text(k + 1, 5));
        EXPECT_EQ(grid.Text(k + 1, 6), word);
        for (int c = 3; c <= 6; ++c) EXPECT_EQ(grid.Colour(k + 1, c), judged.Colour(k + 1, c)) << c;
    }
    EXPECT_EQ(grid.MaxRow(), 6);
}

TEST(PlanView, AShortHistoryFillsTheRowsItHasAndNoneWithoutForecasts) {
    const DrawHistory h = MixedHistory(12);
    RecordingSink grid;
    WritePlanView(grid, h, PlanForecasts(h, ExamplePlan(), K::Size, 100), K::Size, 100);
    EXPECT_EQ(grid.MaxRow(), 9);  // drawn periods 1..8 have four older draws
    EXPECT_TRUE(grid.Text(9, 6).has_value());

    RecordingSink untouched;
    const DrawHistory nine = MixedHistory(9);
    WritePlanView(untouched, nine, PlanForecasts(nine, ExamplePlan(), K::Size, 100), K::Size, 100);
    EXPECT_EQ(untouched.writes, 0);
}

TEST(PlanView, ComingPeriodCellsForTheOtherGrids) {
    const DrawHistory h = ExampleHistory(20);
    const PlanForecast coming{"15", "大", "单"};
    RecordingSink three;
    WriteComingPeriodCells(three, h, coming, 3);
    EXPECT_EQ(three.texts, (std::map<std::pair<int, int>, std::string>{
                               {{1, 0}, "3000001"}, {{1, 1}, "00:00"}, {{1, 2}, "  ?"}}));
    RecordingSink four;
    WriteComingPeriodCells(four, h, coming);
    EXPECT_EQ(four.Text(1, 3), "15");
    EXPECT_EQ(four.texts.size(), 4u);
}

TEST(PlanView, KindsShowTheirItemsInEveryRow) {
    const DrawHistory h = MixedHistory(110);
    const PlanDefinition plan = ExamplePlan();

    RecordingSink kill3;
    WritePlanView(kill3, h, PlanForecasts(h, plan, K::Kill3N, 100), K::Kill3N, 100);
    for (int row = 1; row <= 101; ++row) {
        EXPECT_EQ(kill3.Text(row, 4), "") << row;
        EXPECT_TRUE(kill3.Text(row, 5).value_or("").starts_with("杀3N")) << row;
    }

    // 双项 alternates between parity and size as the periods alternate.
    RecordingSink alternate;
    WritePlanView(alternate, h, PlanForecasts(h, plan, K::AlternateItem, 100), K::AlternateItem, 100);
    for (int row = 1; row <= 101; ++row) {
        const std::string item = alternate.Text(row, 5).value_or("");
        const bool parity = item == "单" || item == "双";
        const bool size = item == "大" || item == "小";
        EXPECT_TRUE(row % 2 == 1 ? parity : size) << row << " " << item;
    }
}

TEST(PlanView, FilterPassesOnlyChangedCells) {
    const DrawHistory h = MixedHistory(110);
    const PlanDefinition plan = ExamplePlan();
    RecordingSink direct;
    RecordingSink grid;
    ChangedCellsFilter filter(grid);

    WritePlanView(filter, h, PlanForecasts(h, plan, K::Combination, 100), K::Combination, 100);
    const int first = grid.writes;
    WritePlanView(filter, h, PlanForecasts(h, plan, K::Combination, 100), K::Combination, 100);
    EXPECT_EQ(grid.writes, first);

    // Another kind changes columns 4..6 but not the period, time and content columns.
    WritePlanView(filter, h, PlanForecasts(h, plan, K::Size, 100), K::Size, 100);
    WritePlanView(direct, h, PlanForecasts(h, plan, K::Size, 100), K::Size, 100);
    EXPECT_GT(grid.writes, first);
    EXPECT_LT(grid.writes - first, first);
    EXPECT_EQ(grid.texts, direct.texts);
    EXPECT_EQ(grid.colours, direct.colours);

    filter.Forget();
    const int before = grid.writes;
    WritePlanView(filter, h, PlanForecasts(h, plan, K::Size, 100), K::Size, 100);
    EXPECT_EQ(grid.writes - before, direct.writes);
}

TEST(PlanView, FirstCharactersNeverCutACharacter) {
    EXPECT_EQ(FirstCharacters("12:34:56", 5), "12:34");
    EXPECT_EQ(FirstCharacters("12", 5), "12");
    EXPECT_EQ(FirstCharacters("", 5), "");
    EXPECT_EQ(FirstCharacters("一二三四五六", 5), "一二三四五");
    EXPECT_EQ(FirstCharacters("\xE4\xB8", 1), "\xE4\xB8");
}

}  // namespace
}  // namespace qivra
