#include "ui/grid_layouts.hpp"

#include "ui/egrid.hpp"
#include "ui/plan_grid_helper.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

namespace {
const QColor kBlue = ToQColor(colours::kBlue);
const QColor kGrey = ToQColor(colours::kGrey);
const QColor kWhite = ToQColor(colours::kWhite);

void SetHeaderTexts(EGrid& grid, std::initializer_list<const char*> texts) {
    int column = 0;
    for (const char* t : texts) grid.SetCellText(0, column++, ToQString(t));
}
}  // namespace

void ApplyPlanGridLayout(PlanGridHelper& helper) {
    EGrid* grid = helper.Grid();
    if (!grid) return;
    SetHeaderTexts(*grid, {"期号", "时间", "开奖内容", "特码", "预测", "预测", "结果"});
    helper.SetColumnWidths({70, 45, 110, 40, 60, 65, 55});
    helper.SetRangeTextColour(1, 0, 1, 7, kBlue);
    grid->SetRangeBackground(0, 0, 0, 9, kGrey);
    grid->SetRangeTextColour(0, 0, 0, 9, kWhite);
    helper.SetRangeTextColour(2, 0, 9999, 2, kBlue);
    helper.CentreRange(0, 0, 102, 9);
    grid->SetRangeBold(1, 0, 9102, 9, true);
    grid->SetRangeFontHeight(1, 0, 9102, 9, 17);
}

void SetUpHistoryGrid(EGrid& grid) {
    grid.SetRangeBackground(0, 0, 0, 2, kGrey);
    SetHeaderTexts(grid, {"期号", "开奖号码"});
    grid.CentreRange(0, 0, 9999, 2);
    grid.SetRangeTextColour(0, 0, 0, 2, kWhite);
    grid.SetRowHeight(0, 28);
    grid.SetColumnWidth(0, 80);
    grid.SetColumnWidth(1, 120);
}

void SetUpHistoryGridRows(EGrid& grid) {
    grid.SetRangeBold(1, 0, 9102, 9, true);
    grid.SetRangeFontHeight(1, 0, 9102, 9, 17);
    grid.SetRangeTextColour(1, 0, 9109, 2, kBlue);
}

void SetUpTrendGrid(EGrid& grid) {
    grid.SetRangeTextColour(0, 0, 0, 9, kWhite);
    grid.SetRangeBackground(0, 0, 0, 9, kGrey);
    SetHeaderTexts(grid, {"期号", "开奖号码", "大小", "单双", "组合", "中边", "三余", "四余", "五余"});
    grid.SetColumnWidth(1, 105);
    grid.CentreRange(0, 0, 9109, 11);
}

}  // namespace qivra
