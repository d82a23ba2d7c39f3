#include <QTest>
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>

#include "ui/qt_text.hpp"
#include "ui/egrid.hpp"
#include "ui/grid_layouts.hpp"
#include "ui/plan_grid_helper.hpp"

namespace qivra {
namespace {

const QColor kRed(255, 0, 0), kGreen(0, 128, 0), kBlue(0, 0, 255), kGrey(128, 128, 128), kWhite(255, 255, 255);

TEST(EGridTest, RangesAreClippedAndARangeStartingOutsideDoesNothing) {
    EGrid grid(nullptr, 5, 4, 4);
    PlanGridHelper helper(&grid);

    helper.SetRangeTextColour(3, 2, 9999, 11, kRed);  // runs past both ends
    EXPECT_EQ(grid.CellTextColour(4, 3), kRed);
    EXPECT_EQ(grid.CellTextColour(3, 2), kRed);
    EXPECT_EQ(grid.CellTextColour(2, 2), QColor(0, 0, 0));
    EXPECT_EQ(grid.CellTextColour(3, 1), QColor(0, 0, 0));

    struct Outside {
        int r1, c1, r2, c2;
    };
    for (Outside o : {Outside{5, 0, 9, 3}, Outside{0, 4, 4, 9}, Outside{-1, 0, 4, 3}, Outside{3, 3, 2, 3}}) {
        helper.SetRangeTextColour(o.r1, o.c1, o.r2, o.c2, kGreen);
        helper.CentreRange(o.r1, o.c1, o.r2, o.c2);
    }
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c) {
            EXPECT_NE(grid.CellTextColour(r, c), kGreen) << r << "," << c;
            EXPECT_NE(grid.CellAlignment(r, c), Qt::AlignCenter) << r << "," << c;
        }

    // Single cells outside: writes vanish, reads are empty.
    helper.SetCellText(5, 0, ToQString("x"));
    helper.SetCellText(0, -1, ToQString("x"));
    helper.CellBackgroundRed(9, 9);
    EXPECT_EQ(helper.CellText(5, 0), QString());
    EXPECT_FALSE(grid.CellBackground(9, 9).isValid());
}

TEST(EGridTest, RowCountCountsTheHeaderAndDataRowsExcludeTheComingPeriod) {
    EGrid grid(nullptr, 101, 10, 7);
    PlanGridHelper helper(&grid);
    EXPECT_EQ(helper.DataRowCount(), 99);

    grid.SetCellText(100, 2, ToQString("last"));
    grid.SetRowCount(50);
    EXPECT_EQ(grid.RowCount(), 50);
    EXPECT_EQ(helper.DataRowCount(), 48);
    grid.SetRowCount(101);
    EXPECT_EQ(grid.CellText(100, 2), QString());  // shrinking forgot it

    grid.SetRowCount(1);
    EXPECT_EQ(helper.DataRowCount(), 0);
    grid.SetRowCount(-5);
    EXPECT_EQ(grid.RowCount(), 1);  // the header row always stays

    PlanGridHelper unbound;
    EXPECT_EQ(unbound.DataRowCount(), 0);
    unbound.SetCellText(1, 1, ToQString("x"));
    EXPECT_EQ(unbound.CellText(1, 1), QString());
}

TEST(EGridTest, HeaderRowStaysInViewWhenScrolledToTheBottom) {
    EGrid grid(nullptr, 101, 10, 7);
    grid.resize(464, 552);
    PlanGridHelper helper(&grid);
    ApplyPlanGridLayout(helper);
    grid.SetCellText(100, 0, ToQString("bottom"));
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    // The view lays its rows out when its events run; wait for that, not for a fixed time.
    grid.scrollToBottom();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        grid.scrollToBottom();
        return grid.verticalScrollBar()->value() > 0 && grid.rowAt(0) > 50;
    }));
    // The first visible data row is far down, yet the header row is still drawn above it.
    EXPECT_TRUE(grid.horizontalHeader()->isVisible());
    EXPECT_EQ(grid.horizontalHeader()->geometry().top(), grid.viewport()->geometry().top() - grid.RowHeight(0));
    EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), ToQString("期号"));
    EXPECT_EQ(grid.model()->headerData(6, Qt::Horizontal).toString(), ToQString("结果"));

    // Row 0 is still an ordinary, writable row.
    helper.SetCellText(0, 3, ToQString("新特码"));
    helper.SetCellTextColour(0, 3, kRed);
    EXPECT_EQ(grid.model()->headerData(3, Qt::Horizontal).toString(), ToQString("新特码"));
    EXPECT_EQ(grid.model()->headerData(3, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), kRed);
    EXPECT_EQ(helper.CellText(0, 3), ToQString("新特码"));
}

TEST(EGridTest, PlanGridLayoutStylesHeaderComingRowAndDrawnRows) {
    EGrid grid(nullptr, 101, 10, 7);
    PlanGridHelper helper(&grid);
    ApplyPlanGridLayout(helper);

    const char* headers[] = {"期号", "时间", "开奖内容", "特码", "预测", "预测", "结果"};
    const int widths[] = {70, 45, 110, 40, 60, 65, 55};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(grid.CellText(0, c), ToQString(headers[c]));
        EXPECT_EQ(grid.ColumnWidth(c), widths[c]);
    }
    EXPECT_EQ(grid.ColumnWidth(7), 0);  // addressed by the ranges, never shown
    EXPECT_EQ(grid.CellBackground(0, 9), kGrey);
    EXPECT_EQ(grid.CellTextColour(0, 0), kWhite);
    EXPECT_EQ(grid.CellTextColour(1, 7), kBlue);
    EXPECT_EQ(grid.CellTextColour(100, 2), kBlue);
    EXPECT_EQ(grid.CellTextColour(100, 3), QColor(0, 0, 0));
    EXPECT_EQ(grid.CellAlignment(100, 9), Qt::AlignCenter);
    EXPECT_FALSE(grid.CellBold(0, 0));
    EXPECT_TRUE(grid.CellBold(100, 6));
    EXPECT_EQ(grid.CellFontHeight(0, 0), 12);
    EXPECT_EQ(grid.CellFontHeight(1, 0), 17);
}

TEST(EGridTest, HistoryAndTrendLayouts) {
    EGrid history(nullptr, 101, 10, 2);
    SetUpHistoryGrid(history);
    EXPECT_EQ(history.CellText(0, 1), ToQString("开奖号码"));
    EXPECT_EQ(history.CellBackground(0, 2), kGrey);
    EXPECT_EQ(history.RowHeight(0), 28);
    EXPECT_EQ(history.ColumnWidth(0), 80);
    EXPECT_EQ(history.ColumnWidth(1), 120);
    EXPECT_FALSE(history.CellBold(1, 0));
    SetUpHistoryGridRows(history);
    EXPECT_TRUE(history.CellBold(100, 9));
    EXPECT_EQ(history.CellTextColour(100, 2), kBlue);
    EXPECT_EQ(history.CellTextColour(0, 0), kWhite);

    EGrid trend(nullptr, 101, 12, 9);
    SetUpTrendGrid(trend);
    EXPECT_EQ(trend.CellText(0, 8), ToQString("五余"));
    EXPECT_EQ(trend.CellBackground(0, 9), kGrey);
    EXPECT_EQ(trend.ColumnWidth(1), 105);
    EXPECT_EQ(trend.CellAlignment(100, 11), Qt::AlignCenter);
}

TEST(PlanGridHelperTest, NumbersIntegersColoursAndColumnPairs) {
    EGrid grid(nullptr, 6, 10, 7);
    PlanGridHelper helper(&grid);

    struct NumberCase {
        const char* text;
        double value;
    };
    for (NumberCase c : {NumberCase{"42", 42}, NumberCase{" -3.5", -3.5}, NumberCase{"+7期", 7}, NumberCase{"大双", 0},
                         NumberCase{"", 0}, NumberCase{"1e400", 0}, NumberCase{"inf", 0}}) {
        helper.SetCellText(1, 0, ToQString(c.text));
        EXPECT_EQ(helper.CellNumber(1, 0), c.value) << c.text;
    }
    helper.SetCellInteger(2, 1, -15);
    EXPECT_EQ(helper.CellText(2, 1), ToQString("-15"));

    // Through the interface the pure views write with.
    CellSink& sink = helper;
    sink.SetCellText(3, 4, std::string("杀3N"));
    sink.SetCellTextColour(3, 4, Rgb{0, 128, 0});
    EXPECT_EQ(grid.CellText(3, 4), ToQString("杀3N"));
    EXPECT_EQ(grid.CellTextColour(3, 4), kGreen);

    helper.CellTextRed(4, 5);
    helper.CellBackgroundRed(4, 6);
    EXPECT_EQ(grid.CellTextColour(4, 5), kRed);
    EXPECT_EQ(grid.CellBackground(4, 6), kRed);

    for (int r = 0; r < 6; ++r) {
        grid.SetCellText(r, 0, QString::number(r));
        grid.SetCellText(r, 6, QString::number(r * 10));
    }
    QStringList a, b;
    helper.ReadTwoColumns(0, 6, 3, a, b);
    EXPECT_EQ(a, (QStringList{ToQString("0"), ToQString("1"), ToQString("2")}));
    EXPECT_EQ(b, (QStringList{ToQString("0"), ToQString("10"), ToQString("20")}));
    helper.ReadTwoColumns(0, 6, 50, a, b);  // clipped to the grid
    EXPECT_EQ(a.size(), 6);

    helper.SetColumnWidths({30, 0, 90});
    EXPECT_EQ(grid.ColumnWidth(0), 30);
    EXPECT_EQ(grid.ColumnWidth(1), 0);
    EXPECT_EQ(grid.ColumnWidth(2), 90);
}

}  // namespace
}  // namespace qivra
