// A history shorter than the one before, of the same game or of the other: no grid keeps rows
// of the earlier history.
#include <QPushButton>

#include <string>

#include "core/text.hpp"
#include "program_fixture.hpp"
#include "ui/egrid.hpp"
#include "ui/qt_support.hpp"

namespace qivra::testing {
namespace {

// The newest n draws of a feed body.
std::string FirstLines(const std::string& body, int n) {
    size_t end = 0;
    for (int i = 0; i < n; ++i) end = body.find('\n', end) + 1;
    return body.substr(0, end);
}

using StaleRows = ProgramFixture;

TEST_F(StaleRows, AShorterHistoryLeavesNoRowOfTheOneBefore) {
    struct Case {
        int longGame;
        int shortGame;
        int draws;
    };
    const Case cases[] = {{1, 1, 50}, {1, 1, 99}, {1, 1, 9}, {0, 0, 5}, {1, 0, 30}, {0, 1, 12}};
    StartAndWaitForFirstRefresh();
    QTest::mouseClick(Control<QPushButton>("按钮4"), Qt::LeftButton);
    ASSERT_TRUE(program_->Custom().Enabled());
    auto* summary = Control<EGrid>("高级表格1");
    auto* trend = Control<EGrid>("高级表格3");
    const char* planGrids[] = {"高级表格2", "高级表格4", "高级表格5"};
    const QColor black(0, 0, 0);

    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "game " << c.longGame << " then " << c.draws << " draws of game " << c.shortGame);
        program_->FinishRefresh(c.longGame, service_->FeedText(c.longGame));
        ASSERT_EQ(program_->State().history.size(), 110);
        // Every row is filled: what follows proves the clearing.
        ASSERT_FALSE(summary->CellText(100, 0).isEmpty());
        for (const char* name : planGrids) ASSERT_FALSE(Control<EGrid>(name)->CellText(100, 6).isEmpty()) << name;

        program_->FinishRefresh(c.shortGame, FirstLines(service_->FeedText(c.shortGame), c.draws));
        const DrawHistory& h = program_->State().history;
        ASSERT_EQ(h.size(), c.draws);

        for (int r = 1; r <= 100; ++r) {
            const QString period = r <= h.size() ? ToQString(h.at(r).period) : QString();
            EXPECT_EQ(summary->CellText(r, 0), period) << r;
            EXPECT_EQ(trend->CellText(r, 0), period) << r;
            if (r > h.size()) {
                EXPECT_TRUE(summary->CellText(r, 1).isEmpty()) << r;
                for (int col = 1; col <= 8; ++col) EXPECT_TRUE(trend->CellText(r, col).isEmpty()) << r << "," << col;
                for (int col = 2; col <= 8; ++col) EXPECT_FALSE(trend->CellBackground(r, col).isValid()) << r << "," << col;
            }
        }
        for (const char* name : planGrids) {
            SCOPED_TRACE(name);
            auto* grid = Control<EGrid>(name);
            // Forecasts need four draws (custom: six) and the views at least ten.
            const int judged = h.size() < 10 ? 0 : h.size() - (std::string(name) == "高级表格5" ? 6 : 4);
            // The coming period and its forecast belong to the history before when none is made.
            if (h.size() < 10) {
                for (int col = 0; col <= 6; ++col) EXPECT_TRUE(grid->CellText(1, col).isEmpty()) << "row 1," << col;
            } else {
                EXPECT_EQ(grid->CellText(1, 0).toLongLong(), IntegerValue(h.newest().period) + 1);
                EXPECT_FALSE(QString(grid->CellText(1, 3) + grid->CellText(1, 4) + grid->CellText(1, 5)).isEmpty());
            }
            for (int row = 2; row <= 100; ++row) {
                const int k = row - 1;
                EXPECT_EQ(grid->CellText(row, 0), k <= h.size() ? ToQString(h.at(k).period) : QString()) << row;
                if (k > h.size()) {
                    for (int col = 1; col <= 2; ++col) EXPECT_TRUE(grid->CellText(row, col).isEmpty()) << row << "," << col;
                }
                if (k <= judged) {
                    EXPECT_FALSE(grid->CellText(row, 6).isEmpty()) << row;
                } else {
                    for (int col = 3; col <= 6; ++col) {
                        EXPECT_TRUE(grid->CellText(row, col).isEmpty()) << row << "," << col;
                        EXPECT_EQ(grid->CellTextColour(row, col), black) << row << "," << col;
                    }
                }
            }
        }
    }
    // A long history fills every row again, past whatever the views remembered.
    program_->FinishRefresh(1, service_->FeedText(1));
    for (const char* name : planGrids) {
        auto* grid = Control<EGrid>(name);
        EXPECT_EQ(grid->CellText(100, 0).toStdString(), program_->State().history.at(99).period) << name;
        EXPECT_FALSE(grid->CellText(100, 3).isEmpty()) << name;
        EXPECT_FALSE(grid->CellText(100, 6).isEmpty()) << name;
    }
    EXPECT_TRUE(trend->CellBackground(100, 2).isValid());
}

}  // namespace
}  // namespace qivra::testing
