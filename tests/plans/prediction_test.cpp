#include "plans/prediction.hpp"

#include <gtest/gtest.h>

#include "core/classify.hpp"
#include "plan_test_support.hpp"

namespace qivra {
namespace {

using K = PredictionKind;
using testing::RecordingSink;

TEST(PredictionKinds, CodesFollowEachViewsOrder) {
    const K all[] = {K::Combination, K::Size,   K::Parity,        K::KillCombination,      K::Kill3N,
                     K::Kill4N,      K::DoubleCombination, K::AlternateItem, K::KillDoubleCombination};
    const char* captions[] = {"组合", "大小", "单双", "杀组", "杀3N", "杀4N", "双组", "双项", "杀双组"};
    for (int code = 1; code <= 9; ++code) {
        EXPECT_EQ(NamedKindFromCode(code), all[code - 1]) << code;
        EXPECT_EQ(KindCaption(all[code - 1]), captions[code - 1]);
    }
    for (int code = 1; code <= 5; ++code) EXPECT_EQ(FreeKindFromCode(code), all[code - 1]) << code;
    // The custom view swaps the last two.
    const K custom[] = {K::Combination, K::Size,   K::Parity, K::KillCombination,
                        K::Kill3N,      K::Kill4N, K::KillDoubleCombination, K::AlternateItem};
    for (int code = 1; code <= 8; ++code) EXPECT_EQ(CustomKindFromCode(code), custom[code - 1]) << code;

    for (int code : {0, -1, 6}) EXPECT_EQ(FreeKindFromCode(code), std::nullopt) << code;
    for (int code : {0, 10}) EXPECT_EQ(NamedKindFromCode(code), std::nullopt) << code;
    for (int code : {0, 9}) EXPECT_EQ(CustomKindFromCode(code), std::nullopt) << code;
}

struct ForecastCase {
    int sum;
    K kind;
    const char* basePeriod;
    const char *first, *second, *column4, *column5;
};

// Every kind for sums 13, 20 and 0; 双项 from an even and from an odd base period.
const ForecastCase kForecasts[] = {
    {13, K::Combination, "1000", "小", "单", "小", "单"},
    {13, K::Size, "1000", "小", "单", "", "小"},
    {13, K::Parity, "1000", "小", "单", "", "单"},
    {13, K::KillCombination, "1000", "小", "单", "杀小单", "双 + 大单"},
    {13, K::Kill3N, "1000", "1", "", "", "杀3N1"},
    {13, K::Kill4N, "1000", "1", "", "", "杀4N1"},
    {13, K::DoubleCombination, "1000", "小单", "大双", "小单", "大双"},
    {13, K::AlternateItem, "1000", "单", "", "", "单"},
    {13, K::AlternateItem, "1001", "小", "", "", "小"},
    {13, K::KillDoubleCombination, "1000", "小单", "大双", "杀小单", "杀大双"},
    {20, K::Combination, "1000", "大", "双", "大", "双"},
    {20, K::Size, "1000", "大", "双", "", "大"},
    {20, K::Parity, "1000", "大", "双", "", "双"},
    {20, K::KillCombination, "1000", "大", "双", "杀大双", "单 + 小双"},
    {20, K::Kill3N, "1000", "2", "", "", "杀3N2"},
    {20, K::Kill4N, "1000", "0", "", "", "杀4N0"},
    {20, K::DoubleCombination, "1000", "大双", "小单", "大双", "小单"},
    {20, K::AlternateItem, "1000", "双", "", "", "双"},
    {20, K::AlternateItem, "1001", "大", "", "", "大"},
    {20, K::KillDoubleCombination, "1000", "大双", "小单", "杀大双", "杀小单"},
    {0, K::Combination, "1000", "小", "双", "小", "双"},
    {0, K::Size, "1000", "小", "双", "", "小"},
    {0, K::Parity, "1000", "小", "双", "", "双"},
    {0, K::KillCombination, "1000", "小", "双", "杀小双", "单 + 大双"},
    {0, K::Kill3N, "1000", "0", "", "", "杀3N0"},
    {0, K::Kill4N, "1000", "0", "", "", "杀4N0"},
    {0, K::DoubleCombination, "1000", "小双", "大单", "小双", "大单"},
    {0, K::AlternateItem, "1000", "双", "", "", "双"},
    {0, K::AlternateItem, "1001", "小", "", "", "小"},
    {0, K::KillDoubleCombination, "1000", "小双", "大单", "杀小双", "杀大单"},
};

TEST(PredictionKinds, ForecastTextsAndCellsOfEveryKind) {
    for (const ForecastCase& c : kForecasts) {
        SCOPED_TRACE(std::to_string(c.sum) + " " + KindCaption(c.kind) + " base " + c.basePeriod);
        const PlanForecast f = DeriveForecast(c.sum, c.kind, c.basePeriod);
        EXPECT_EQ(f.sumText, TwoDigitText(c.sum));
        EXPECT_EQ(f.first, c.first);
        EXPECT_EQ(f.second, c.second);

        RecordingSink grid;
        RenderForecastCells(grid, 7, c.kind, f);
        EXPECT_EQ(grid.Text(7, 3), f.sumText);
        EXPECT_EQ(grid.Text(7, 4), c.column4);
        EXPECT_EQ(grid.Text(7, 5), c.column5);
        EXPECT_EQ(grid.texts.size(), 3u);
        EXPECT_TRUE(grid.colours.empty());
    }
    EXPECT_EQ(DeriveForecast(0, K::Size, "1").sumText, "00");
}

constexpr Rgb R = colours::kRed;
constexpr Rgb G = colours::kGreen;
constexpr Rgb B = colours::kBlue;

struct JudgeCase {
    K kind;
    PlanForecast forecast;
    int drawnSum;
    const char* drawnPeriod;
    const char* word;
    Rgb c3;
    std::optional<Rgb> c4, c5, c6;
    bool hit;
};

// The rows of the judging table, the three steps of 杀双组 and the 特码 rule.
const JudgeCase kJudged[] = {
    {K::Combination, {"15", "大", "单"}, 17, "7", "组合对", B, R, R, R, true},
    {K::Combination, {"15", "大", "单"}, 13, "7", "单双对", B, G, R, R, true},
    {K::Combination, {"15", "大", "单"}, 14, "7", "大小对", B, R, G, R, true},
    {K::Combination, {"15", "大", "单"}, 12, "7", "没有对", B, G, G, G, false},
    {K::Size, {"15", "大", "单"}, 20, "7", "大小对", B, G, R, R, true},
    {K::Size, {"15", "大", "单"}, 3, "7", "没有对", B, G, G, G, false},
    {K::Parity, {"15", "大", "单"}, 3, "7", "单双对", B, G, R, R, true},
    {K::Parity, {"15", "大", "单"}, 20, "7", "没有对", B, G, G, G, false},
    {K::KillCombination, {"15", "大", "单"}, 20, "7", "杀组对", B, R, R, R, true},
    {K::KillCombination, {"15", "大", "单"}, 17, "7", "没有对", B, G, G, G, false},
    {K::Kill3N, {"13", "1", ""}, 12, "7", "杀三余", B, R, R, R, true},
    {K::Kill3N, {"13", "1", ""}, 16, "7", "没有对", B, G, G, G, false},
    {K::Kill4N, {"13", "1", ""}, 14, "7", "杀四余", B, R, R, R, true},
    {K::Kill4N, {"13", "1", ""}, 17, "7", "没有对", B, G, G, G, false},
    {K::DoubleCombination, {"20", "大双", "小单"}, 18, "7", "组合对", B, R, G, R, true},
    {K::DoubleCombination, {"20", "大双", "小单"}, 11, "7", "组合对", B, G, R, R, true},
    {K::DoubleCombination, {"20", "大双", "小单"}, 17, "7", "没有对", B, G, G, G, false},
    // 双项: an odd drawn period is judged by parity, an even one by size. Column 4 (empty) is
    // coloured with the row so an earlier kind's colour does not linger there.
    {K::AlternateItem, {"13", "单", ""}, 11, "1001", "双项对", B, R, R, R, true},
    {K::AlternateItem, {"13", "单", ""}, 12, "1001", "没有对", B, G, G, G, false},
    {K::AlternateItem, {"13", "大", ""}, 20, "1002", "双项对", B, R, R, R, true},
    {K::AlternateItem, {"13", "大", ""}, 5, "1002", "没有对", B, G, G, G, false},
    {K::AlternateItem, {"13", "单", ""}, 11, "1002", "没有对", B, G, G, G, false},
    {K::KillDoubleCombination, {"15", "大单", "小双"}, 20, "7", "杀组对", B, R, R, R, true},
    {K::KillDoubleCombination, {"15", "大单", "小双"}, 12, "7", "杀组错", B, R, G, G, false},
    {K::KillDoubleCombination, {"15", "大单", "小双"}, 17, "7", "杀组错", B, G, R, G, false},
    // 特码: the sum came. The word and columns 3 and 6 change; the statistics do not.
    {K::Combination, {"15", "大", "单"}, 15, "7", "特码对", R, R, R, R, true},
    {K::Combination, {"00", "小", "双"}, 0, "7", "特码对", R, R, R, R, true},
    {K::Size, {"03", "大", "单"}, 3, "7", "特码对", R, G, G, R, false},
    {K::Kill3N, {"13", "1", ""}, 13, "7", "特码对", R, G, G, R, false},
    {K::KillDoubleCombination, {"15", "大单", "小双"}, 15, "7", "特码对", R, G, R, R, false},
};

TEST(PredictionKinds, JudgingWordsColoursAndHits) {
    for (const JudgeCase& c : kJudged) {
        SCOPED_TRACE(KindCaption(c.kind) + " " + c.forecast.first + c.forecast.second + " vs " +
                     std::to_string(c.drawnSum) + " in " + c.drawnPeriod);
        RecordingSink grid;
        EXPECT_EQ(JudgeRow(grid, 4, c.kind, c.forecast, c.drawnSum, c.drawnPeriod), c.word);
        EXPECT_EQ(grid.Colour(4, 3), c.c3);
        EXPECT_EQ(grid.Colour(4, 4), c.c4);
        EXPECT_EQ(grid.Colour(4, 5), c.c5);
        EXPECT_EQ(grid.Colour(4, 6), c.c6);
        EXPECT_TRUE(grid.texts.empty()) << "the caller writes the word";
        EXPECT_EQ(grid.MaxRow(), 4);
        EXPECT_EQ(IsHit(c.kind, c.forecast, c.drawnSum, c.drawnPeriod), c.hit);
    }
}

TEST(PredictionKinds, AKillIsAlwaysDefeatedByItsOwnSum) {
    for (K kind : {K::KillCombination, K::Kill3N, K::Kill4N, K::KillDoubleCombination}) {
        for (int v = 0; v <= 27; ++v) {
            const PlanForecast f = DeriveForecast(v, kind, "100");
            EXPECT_FALSE(IsHit(kind, f, v, "101")) << KindCaption(kind) << " " << v;
            RecordingSink grid;
            EXPECT_EQ(JudgeRow(grid, 2, kind, f, v, "101"), "特码对");
        }
    }
}

TEST(PredictionKinds, AlternateItemAssertsWhatItsTargetIsJudgedBy) {
    // A forecast from base period b is judged on period b + 1, the period it was made for.
    for (int base : {1000, 1001}) {
        for (int v = 0; v <= 27; ++v) {
            const PlanForecast f = DeriveForecast(v, K::AlternateItem, std::to_string(base));
            for (int s = 0; s <= 27; ++s) {
                const bool expected = base % 2 == 0 ? ParityText(s) == ParityText(v) : SizeText(s) == SizeText(v);
                ASSERT_EQ(IsHit(K::AlternateItem, f, s, std::to_string(base + 1)), expected)
                    << base << " " << v << " " << s;
            }
        }
    }
}

TEST(PredictionKinds, StatsFieldsByMetricIndex) {
    const HitStats s{15, 5, 75, 3, 0};
    const int32_t expected[] = {15, 5, 75, 3, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.Field(i), expected[i]) << i;
    EXPECT_EQ(s.Field(-1), 0);
    EXPECT_EQ(s.Field(5), 0);
}

}  // namespace
}  // namespace qivra
