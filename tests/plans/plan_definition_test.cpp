#include "plans/plan_definition.hpp"

#include <gtest/gtest.h>

#include "core/text.hpp"
#include "plans/prediction.hpp"
#include "plan_test_support.hpp"

namespace qivra {
namespace {

using testing::ReadSourceFile;

PlanDefinition Parse(std::string_view line) {
    PlanDefinition plan;
    std::string error;
    EXPECT_TRUE(ParsePlanDefinition(line, plan, error)) << line << ": " << error;
    return plan;
}

TEST(PlanDefinition, ParsesLabelAndThreeFormulas) {
    const PlanDefinition plan = Parse("竹影计划----3+12|4+5+6|9|whatever follows");
    EXPECT_EQ(plan.label, "竹影计划");
    EXPECT_EQ(plan.positions[0], (std::vector<int>{3, 12}));
    EXPECT_EQ(plan.positions[1], (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(plan.positions[2], (std::vector<int>{9}));
}

TEST(PlanDefinition, ValueAddsTheLastDigitOfEachFormula) {
    // Digits of the four base draws (1,2,3), (4,5,6), (7,8,9), (0,0,0): 6 + 5 + 4.
    const FormulaPositions digits{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
    const int32_t v = PlanValue(Parse("x----1+2+3|4+5+6|7+8+9"), digits);
    EXPECT_EQ(v, 15);
    const PlanForecast f = DeriveForecast(v, PredictionKind::Combination, "1");
    EXPECT_EQ(f, (PlanForecast{"15", "大", "单"}));

    // Formula totals of 10, 20 and 30 contribute nothing.
    const FormulaPositions round{4, 6, 9, 9, 2, 3, 3, 3, 3, 6, 6, 6};
    EXPECT_EQ(PlanValue(Parse("x----1+2|3+4+5|6+7+8+9+10+11+12"), round), 0);
    // The largest value: every formula ends in 9.
    EXPECT_EQ(PlanValue(Parse("x----9|4+5|2+7"), digits), 27);
}

TEST(PlanDefinition, HandBuiltPositionsOutsideThePlanAreNotRead) {
    FormulaPositions positions{};
    positions.fill(1);
    PlanDefinition plan;
    plan.positions = {std::vector<int>{1, 0, -5}, std::vector<int>{13, 18, 19}, std::vector<int>{12, 1000000}};
    EXPECT_EQ(PlanValue(plan, positions), 2);
}

TEST(PlanList, SplitsAtCrLf) {
    EXPECT_TRUE(ParsePlanList("").plans.empty());
    EXPECT_TRUE(ParsePlanList("").error.empty());

    const PlanListResult list = ParsePlanList("a----1|2|3\r\nb----4+5|6|7+8+9\r\n");
    EXPECT_EQ(list.error, "");
    ASSERT_EQ(list.plans.size(), 2u);
    EXPECT_EQ(list.plans[0].label, "a");
    EXPECT_EQ(list.plans[1].label, "b");
    EXPECT_EQ(list.plans[1].positions[2], (std::vector<int>{7, 8, 9}));
}

TEST(PlanList, ABadLineIsNamedAndNothingIsKept) {
    const struct {
        const char* line;
        const char* what;
    } cases[] = {
        {"x1+2|3|4", "----"},
        {"x----", "----"},
        {"x----1+2|3", "fewer than three formulas"},
        {"x----1+2|3|", "fewer than three formulas"},
        {"x----0|1|2", "\"0\""},
        {"x----13|1|2", "\"13\""},
        {"x----1|2|18", "\"18\""},
        {"x----1+x|2|3", "\"x\""},
        {"x----1|-3|2", "\"-3\""},
        {"x----1|2|99999999999", "\"99999999999\""},
        {"x----1++2|3|4", "empty position"},
        {"x----1||3", "formula 2: empty position"},
        {"x----1|2|3+", "formula 3: empty position"},
        {"", "----"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const PlanListResult list = ParsePlanList(std::string("ok----1|2|3\r\n") + c.line + "\r\nok----4|5|6");
        EXPECT_TRUE(list.plans.empty());
        EXPECT_TRUE(StartsWithNoCase(list.error, "line 2: ")) << list.error;
        EXPECT_NE(list.error.find(c.what), std::string::npos) << list.error;
    }
}

TEST(PlanList, ShippedListsHoldEveryPlan) {
    const struct {
        const char* file;
        size_t count;
        const char *firstLabel, *lastLabel;
    } lists[] = {
        {"plans/definitions/free_plans.txt", kFreePlanCount, "Qivra计划A", "铁锚计划"},
        {"plans/definitions/named_plans.txt", kNamedPlanCount, "Qivra计划E", "动容计划D"},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.file);
        const std::string text = ReadSourceFile(l.file);
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(IsValidUtf8(text));
        // Every line ends in CR LF, the last one too.
        EXPECT_EQ(ReplaceAll(text, "\r\n", "").find_first_of("\r\n"), std::string::npos);
        EXPECT_TRUE(text.ends_with("\r\n"));

        const PlanListResult list = ParsePlanList(text);
        EXPECT_EQ(list.error, "");
        ASSERT_EQ(list.plans.size(), l.count);
        EXPECT_EQ(list.plans.front().label, l.firstLabel);
        EXPECT_EQ(list.plans.back().label, l.lastLabel);
    }
    EXPECT_EQ(ParsePlanList(ReadSourceFile("plans/definitions/named_plans.txt")).plans[25].label, "清新计划B");
}

}  // namespace
}  // namespace qivra
