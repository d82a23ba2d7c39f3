#include "alerts/outcome_stats.hpp"
#include "history_fixture.hpp"

#include <gtest/gtest.h>

#include <map>

namespace qivra {
namespace {

using test::HistoryOf;
using test::HistoryOfSums;

// The rows a test expects to be non-zero, by caption; every other row must read "0" / "0%".
void ExpectRows(const std::array<OutcomeRow, kOutcomeRowCount>& rows, const std::map<std::string, OutcomeRow>& nonZero) {
    for (int r = 0; r < kOutcomeRowCount; ++r) {
        const std::string& caption = OutcomeRowCaptions()[r];
        SCOPED_TRACE(caption);
        const auto it = nonZero.find(caption);
        const OutcomeRow expected = it == nonZero.end() ? OutcomeRow{"0", "0%"} : it->second;
        EXPECT_EQ(rows[r], expected);
    }
}

TEST(OutcomeStats, CaptionsInRowOrder) {
    const auto& c = OutcomeRowCaptions();
    EXPECT_EQ(c[0], "大");
    EXPECT_EQ(c[6], "小单");
    EXPECT_EQ(c[8], "大双");
    EXPECT_EQ(c[9], "大单");
    EXPECT_EQ(c[12], "豹子");
    EXPECT_EQ(c[13], "3N0");
    EXPECT_EQ(c[24], "5N4");
}

TEST(OutcomeStats, AllSumsThirteen) {
    const OutcomeRow all{"100", "100%"};
    ExpectRows(UpdateOutcomeStats(HistoryOfSums(std::vector<int>(110, 13)), 100),
               {{"小", all}, {"单", all}, {"中", all}, {"小单", all}, {"3N1", all}, {"4N1", all}, {"5N3", all}});
}

TEST(OutcomeStats, BigEvenAndTripleNineCountInTheirRows) {
    // 14 counts in 大 双 大双 中; 27 from 9,9,9 in 大 单 大单 边 极大 豹子.
    const DrawHistory h = HistoryOf({{4, 1, 9}, {9, 9, 9}});
    const OutcomeRow both{"2", "100%"}, half{"1", "50%"};
    ExpectRows(UpdateOutcomeStats(h, 2), {{"大", both},
                                          {"双", half},
                                          {"单", half},
                                          {"中", half},
                                          {"边", half},
                                          {"大双", half},
                                          {"大单", half},
                                          {"极大", half},
                                          {"豹子", half},
                                          {"3N2", half},
                                          {"3N0", half},
                                          {"4N2", half},
                                          {"4N3", half},
                                          {"5N4", half},
                                          {"5N2", half}});
}

TEST(OutcomeStats, CombinationRowsDoNotSwap) {
    // Three 大双 (16) and one 大单 (15).
    const auto rows = UpdateOutcomeStats(HistoryOfSums({16, 16, 15, 16}), 4);
    EXPECT_EQ(rows[8], (OutcomeRow{"3", "75%"}));
    EXPECT_EQ(rows[9], (OutcomeRow{"1", "25%"}));
}

TEST(OutcomeStats, SharesUseThirteenSignificantDigits) {
    const auto third = UpdateOutcomeStats(HistoryOfSums({0, 10, 20}), 3);
    EXPECT_EQ(third[11], (OutcomeRow{"1", "33.33333333333%"}));  // 极小
    const auto eighth = UpdateOutcomeStats(HistoryOfSums({0, 10, 10, 10, 10, 10, 10, 10}), 8);
    EXPECT_EQ(eighth[11], (OutcomeRow{"1", "12.5%"}));
}

TEST(OutcomeStats, CountsOnlyTheNewestNDraws) {
    // The 11th draw, outside n = 10, is the only 大.
    std::vector<int> sums(10, 3);
    sums.push_back(20);
    const auto rows = UpdateOutcomeStats(HistoryOfSums(sums), 10);
    EXPECT_EQ(rows[0], (OutcomeRow{"0", "0%"}));
    EXPECT_EQ(rows[1], (OutcomeRow{"10", "100%"}));
}

TEST(OutcomeStats, NoDrawsToCountGiveZeroRows) {
    const DrawHistory h = HistoryOfSums({5, 6});
    ExpectRows(UpdateOutcomeStats(h, 0), {});
    ExpectRows(UpdateOutcomeStats(h, -3), {});
    ExpectRows(UpdateOutcomeStats(DrawHistory{}, 100), {});
}

TEST(OutcomeStats, NBeyondTheHistoryCountsWhatThereIs) {
    const auto rows = UpdateOutcomeStats(HistoryOfSums({20, 3}), 100);
    EXPECT_EQ(rows[0], (OutcomeRow{"1", "50%"}));
    EXPECT_EQ(rows[1], (OutcomeRow{"1", "50%"}));
}

}  // namespace
}  // namespace qivra
