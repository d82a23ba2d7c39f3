#include "alerts/draw_popup_text.hpp"
#include "history_fixture.hpp"

#include <gtest/gtest.h>

namespace qivra {
namespace {

using test::HistoryOf;
using test::HistoryOfSums;

TEST(DrawPopup, TextsFromTheNewestTenDraws) {
    // Newest first; an eleventh draw (sum 26) lies outside the line.
    const DrawHistory h = HistoryOfSums({3, 14, 27, 0, 9, 10, 22, 5, 18, 11, 26});
    const PopupTexts t = FillDrawPopupTexts(h, "幸运28 第123456期");
    EXPECT_EQ(t.title, "幸运28 第123456期");
    EXPECT_EQ(t.historyLine, "历史：11 18 05 22 10 09 00 27 14 03 ");
    EXPECT_EQ(t.drawLine, h.newest().content + " 小单");
}

TEST(DrawPopup, DrawLineShowsContentAndCombination) {
    EXPECT_EQ(FillDrawPopupTexts(HistoryOf({{0, 0, 0}}), "").drawLine, "0 + 0 + 0 = 00 小双");
    EXPECT_EQ(FillDrawPopupTexts(HistoryOf({{3, 5, 8}}), "").drawLine, "3 + 5 + 8 = 16 大双");
}

TEST(DrawPopup, ShortOrEmptyHistory) {
    EXPECT_EQ(FillDrawPopupTexts(HistoryOfSums({7, 12, 1}), "").historyLine, "历史：01 12 07 ");
    const PopupTexts empty = FillDrawPopupTexts(DrawHistory{}, "加拿大28 第000000期");
    EXPECT_EQ(empty.title, "加拿大28 第000000期");
    EXPECT_EQ(empty.drawLine, "");
    EXPECT_EQ(empty.historyLine, "历史：");
}

TEST(DrawPopup, CountdownAndClose) {
    EXPECT_EQ(PopupCountdownCaption(1), "  Qivra28开奖提示:  双击关闭 9s后自动关闭");
    EXPECT_EQ(PopupCountdownCaption(10), "  Qivra28开奖提示:  双击关闭 0s后自动关闭");
    EXPECT_FALSE(PopupShouldClose(10));
    EXPECT_TRUE(PopupShouldClose(11));
}

TEST(DrawPopup, PlacedAboveTheBottomRightCorner) {
    EXPECT_EQ(PopupPosition(1920, 1080), (Point{1575, 841}));
    EXPECT_EQ(PopupPosition(800, 600, 100, 50), (Point{680, 470}));
    EXPECT_EQ(StreakBalloonPoint(1920, 1080), (Point{1920, 1000}));
}

TEST(DrawPopup, NewPeriodComparedWithThePreviousCaption) {
    const struct {
        const char* caption;
        const char* period;
        bool isNew;
    } cases[] = {
        {"幸运28 第000000期", "3123456", true},  // the layout caption: the first refresh opens it
        {"幸运28 第3123456期", "3123456", false},
        {"幸运28 第3123456期", "3123457", true},
        {"", "3123457", true},
        {"幸运28 第3123456期", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption + std::string(" / ") + c.period);
        EXPECT_EQ(IsNewPeriod(c.caption, c.period), c.isNew);
    }
}

}  // namespace
}  // namespace qivra
