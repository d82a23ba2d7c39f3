#include "core/classify.hpp"
#include "core/draw.hpp"

#include <gtest/gtest.h>

namespace qivra {
namespace {

struct SumRow {
    int sum;
    const char *size, *parity, *combo, *middle;
    int m3, m4, m5;
    const char* extreme;
};

// The classification table of every sum that a draw can have.
const SumRow kSums[] = {
    {0, "小", "双", "小双", "边", 0, 0, 0, "极小"},  {1, "小", "单", "小单", "边", 1, 1, 1, "极小"},
    {2, "小", "双", "小双", "边", 2, 2, 2, "极小"},  {3, "小", "单", "小单", "边", 0, 3, 3, "极小"},
    {4, "小", "双", "小双", "边", 1, 0, 4, "极小"},  {5, "小", "单", "小单", "边", 2, 1, 0, "极小"},
    {6, "小", "双", "小双", "边", 0, 2, 1, ""},      {7, "小", "单", "小单", "边", 1, 3, 2, ""},
    {8, "小", "双", "小双", "边", 2, 0, 3, ""},      {9, "小", "单", "小单", "边", 0, 1, 4, ""},
    {10, "小", "双", "小双", "中", 1, 2, 0, ""},     {11, "小", "单", "小单", "中", 2, 3, 1, ""},
    {12, "小", "双", "小双", "中", 0, 0, 2, ""},     {13, "小", "单", "小单", "中", 1, 1, 3, ""},
    {14, "大", "双", "大双", "中", 2, 2, 4, ""},     {15, "大", "单", "大单", "中", 0, 3, 0, ""},
    {16, "大", "双", "大双", "中", 1, 0, 1, ""},     {17, "大", "单", "大单", "中", 2, 1, 2, ""},
    {18, "大", "双", "大双", "边", 0, 2, 3, ""},     {19, "大", "单", "大单", "边", 1, 3, 4, ""},
    {20, "大", "双", "大双", "边", 2, 0, 0, ""},     {21, "大", "单", "大单", "边", 0, 1, 1, ""},
    {22, "大", "双", "大双", "边", 1, 2, 2, "极大"},  {23, "大", "单", "大单", "边", 2, 3, 3, "极大"},
    {24, "大", "双", "大双", "边", 0, 0, 4, "极大"},  {25, "大", "单", "大单", "边", 1, 1, 0, "极大"},
    {26, "大", "双", "大双", "边", 2, 2, 1, "极大"},  {27, "大", "单", "大单", "边", 0, 3, 2, "极大"},
};

TEST(Classify, EverySumMatchesTheTable) {
    for (const SumRow& r : kSums) {
        SCOPED_TRACE(r.sum);
        EXPECT_EQ(SizeText(r.sum), r.size);
        EXPECT_EQ(ParityText(r.sum), r.parity);
        EXPECT_EQ(CombinationText(r.sum), r.combo);
        EXPECT_EQ(MiddleEdgeText(r.sum), r.middle);
        EXPECT_EQ(Mod3(r.sum), r.m3);
        EXPECT_EQ(Mod4(r.sum), r.m4);
        EXPECT_EQ(Mod5(r.sum), r.m5);
        EXPECT_EQ(ExtremeText(r.sum), r.extreme);
    }
}

TEST(Classify, ValuesOutsideTheSumsFollowTheRules) {
    // Truncating remainders keep the sign of n, and -3 is odd.
    EXPECT_EQ(Mod3(-4), -1);
    EXPECT_EQ(Mod4(-5), -1);
    EXPECT_EQ(Mod5(-7), -2);
    EXPECT_EQ(ParityText(-3), "单");
    EXPECT_EQ(ParityText(-4), "双");
    EXPECT_EQ(SizeText(-20), "小");
    EXPECT_EQ(SizeText(28), "大");
    EXPECT_EQ(MiddleEdgeText(30), "边");
    EXPECT_EQ(ExtremeText(-1), "极小");
    EXPECT_EQ(ExtremeText(40), "极大");
}

TEST(Classify, PairsAndTriples) {
    EXPECT_EQ(PairKind(7, 7, 7), "豹子");
    EXPECT_EQ(PairKind(7, 7, 2), "对子");
    EXPECT_EQ(PairKind(2, 7, 7), "对子");
    EXPECT_EQ(PairKind(7, 2, 7), "对子");
    EXPECT_EQ(PairKind(1, 2, 3), "");
    EXPECT_FALSE(IsPair(7, 7, 7));
    EXPECT_TRUE(IsTriple(0, 0, 0));
}

TEST(Classify, OppositeAndKillTexts) {
    EXPECT_EQ(OppositeCombination("大单"), "小双");
    EXPECT_EQ(OppositeCombination("大双"), "小单");
    EXPECT_EQ(OppositeCombination("小单"), "大双");
    EXPECT_EQ(OppositeCombination("小双"), "大单");
    EXPECT_EQ(OppositeCombination("中"), "");
    EXPECT_EQ(KillCombinationText("大单", true), "双 + 小单");
    EXPECT_EQ(KillCombinationText("小单", true), "双 + 大单");
    EXPECT_EQ(KillCombinationText("大双", false), "单+小双");
    EXPECT_EQ(KillCombinationText("小双", false), "单+大双");
    EXPECT_EQ(KillCombinationText("大", true), "");
}

TEST(Classify, DigitsAndContent) {
    EXPECT_EQ(LastDigit(-15), 5);
    EXPECT_EQ(LastDigit(19), 9);
    EXPECT_EQ(LastDigit(INT32_MIN), 8);
    EXPECT_EQ(TwoDigitText(7), "07");
    EXPECT_EQ(TwoDigitText(10), "10");
    std::vector<int32_t> sums;
    EXPECT_EQ(FormatDrawContent(3, 4, 5, &sums, true), "3 + 4 + 5 = 12");
    EXPECT_EQ(FormatDrawContent(0, 1, 2, &sums, true), "0 + 1 + 2 = 03");
    EXPECT_EQ(FormatDrawContent(9, 9, 9, &sums, false), "9 + 9 + 9 = 27");
    EXPECT_EQ(FormatDrawContent(0, 0, 0, nullptr, true), "0 + 0 + 0 = 00");
    EXPECT_EQ(sums, (std::vector<int32_t>{12, 3}));
}

TEST(DrawHistory, IsOneBasedNewestFirst) {
    DrawHistory h;
    h.push_back(DrawRecord::Make("1002", "08:10", 1, 2, 3));
    h.push_back(DrawRecord::Make("1001", "08:05", 9, 9, 9));
    EXPECT_EQ(h.size(), 2);
    EXPECT_EQ(h.at(1).period, "1002");
    EXPECT_EQ(h.newest().content, "1 + 2 + 3 = 06");
    EXPECT_EQ(h.at(2).sum, 27);
    EXPECT_THROW((void)h.at(3), std::out_of_range);
}

}  // namespace
}  // namespace qivra
