#include "alerts/streak_alarm.hpp"
#include "core/text.hpp"
#include "history_fixture.hpp"

#include <gtest/gtest.h>

namespace qivra {
namespace {

using test::HistoryOf;
using test::HistoryOfSums;

std::string Line(const std::string& value, int run) {
    return "【" + value + "】 已连开：【" + std::to_string(run) + "】期 \r\n\r\n";
}

StreakOptions Only(AlarmCategory family, int threshold) {
    StreakOptions o;
    o.threshold = threshold;
    o.pairs = false;
    o.families[static_cast<size_t>(family)] = true;
    return o;
}

StreakOptions AllFamilies(int threshold) {
    StreakOptions o;
    o.threshold = threshold;
    o.families.fill(true);
    return o;
}

TEST(StreakAlarm, RunOfThreeMeetsThresholdThreeButNotFour) {
    // 大, 大, 大, 小 from the newest down.
    const DrawHistory h = HistoryOfSums({20, 15, 24, 3, 20, 20});
    EXPECT_EQ(ScanStreaks(h, Only(AlarmCategory::Size, 3)), Line("大", 3));
    EXPECT_EQ(ScanStreaks(h, Only(AlarmCategory::Size, 4)), "");
}

TEST(StreakAlarm, EachFamilyReadsItsOwnValueText) {
    // Sums 16, 16, 16, then 3, which differs from 16 in every family.
    const DrawHistory h = HistoryOfSums({16, 16, 16, 3});
    const struct {
        AlarmCategory family;
        std::string value;
    } cases[] = {{AlarmCategory::Size, "大"},    {AlarmCategory::Parity, "双"}, {AlarmCategory::Combination, "大双"},
                 {AlarmCategory::MiddleEdge, "中"}, {AlarmCategory::Mod3, "3N1"}, {AlarmCategory::Mod4, "4N0"},
                 {AlarmCategory::Mod5, "5N1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ScanStreaks(h, Only(c.family, 3)), Line(c.value, 3));
    }
}

TEST(StreakAlarm, ReportsFamiliesInOrderWithTheirOwnRuns) {
    // Newest 15 (大单 中 3N0 4N3 5N0), then 17, 19: 大 and 单 run 3, 大单 runs 3, 中 runs 2.
    const DrawHistory h = HistoryOfSums({15, 17, 19, 2});
    const std::string expected = Line("大", 3) + Line("单", 3) + Line("大单", 3) + Line("中", 2) + Line("3N0", 1) +
                                 Line("4N3", 1) + Line("5N0", 1);
    EXPECT_EQ(ScanStreaks(h, AllFamilies(0)), expected);
}

TEST(StreakAlarm, ScanCoversTheNewestAndTwentyMoreDraws) {
    const DrawHistory h = HistoryOfSums(std::vector<int>(30, 5));
    EXPECT_EQ(ScanStreaks(h, Only(AlarmCategory::Size, 3)), Line("小", 21));
}

TEST(StreakAlarm, ShortHistoryStopsAtTheOldestDraw) {
    EXPECT_EQ(ScanStreaks(HistoryOfSums({5, 5, 5}), Only(AlarmCategory::Size, 0)), Line("小", 3));
    EXPECT_EQ(ScanStreaks(HistoryOfSums({5}), Only(AlarmCategory::Size, 1)), Line("小", 1));
    EXPECT_EQ(ScanStreaks(DrawHistory{}, AllFamilies(0)), "");
}

TEST(StreakAlarm, TripleNeitherExtendsNorEndsARunOfPairs) {
    StreakOptions pairsOnly;
    pairsOnly.threshold = 1;
    const struct {
        const char* name;
        std::vector<test::Digits> draws;
        std::string expected;
    } cases[] = {
        {"pair, triple, pair, plain", {{1, 1, 5}, {4, 4, 4}, {7, 2, 7}, {1, 2, 3}, {3, 3, 8}}, Line("对子", 2)},
        {"newest triple", {{4, 4, 4}, {1, 1, 5}, {2, 2, 6}}, ""},
        {"newest plain", {{1, 2, 3}, {1, 1, 5}}, ""},
        {"triples to the end", {{5, 5, 1}, {0, 0, 0}, {9, 9, 9}}, Line("对子", 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ScanStreaks(HistoryOf(c.draws), pairsOnly), c.expected);
    }
}

TEST(StreakAlarm, PairRunIsCappedByTheScanDepthEvenThroughTriples) {
    // Draws 2..21 hold triples and pairs; draw 22 is a pair that must not be counted.
    std::vector<test::Digits> draws(25, {2, 2, 7});
    draws[3] = {6, 6, 6};
    StreakOptions o;
    o.threshold = 3;
    EXPECT_EQ(ScanStreaks(HistoryOf(draws), o), Line("对子", 20));
}

TEST(StreakAlarm, NonNumericOrZeroThresholdReportsEveryActiveFamily) {
    const DrawHistory h = HistoryOf({{3, 3, 1}, {1, 2, 4}});  // sum 7, then 7 again
    for (const char* box : {"abc", "0"}) {
        SCOPED_TRACE(box);
        StreakOptions o = Only(AlarmCategory::Combination, IntegerValue(box));
        o.families[static_cast<size_t>(AlarmCategory::Mod5)] = true;
        o.pairs = true;
        EXPECT_EQ(ScanStreaks(h, o), Line("小单", 2) + Line("5N2", 2) + Line("对子", 1));
    }
}

TEST(StreakAlarm, UntickedFamiliesNeverAppear) {
    const DrawHistory h = HistoryOf({{3, 3, 1}, {3, 3, 1}, {3, 3, 1}});
    StreakOptions none;
    none.threshold = -5;
    none.pairs = false;
    EXPECT_EQ(ScanStreaks(h, none), "");

    StreakOptions pairsOnly = none;
    pairsOnly.pairs = true;
    EXPECT_EQ(ScanStreaks(h, pairsOnly), Line("对子", 3));
}

TEST(StreakAlarm, CaptionAndBalloonTexts) {
    const std::string report = Line("大", 3) + Line("对子", 4);
    EXPECT_EQ(AlarmCaption(report), "Qivra火车报警：\r\n\r\n" + report);
    EXPECT_EQ(AlarmCaption(""), "Qivra火车报警：\r\n\r\n");
    EXPECT_EQ(BalloonText(report), "【大】 已连开：【3】期 【对子】 已连开：【4】期 ");
}

}  // namespace
}  // namespace qivra
