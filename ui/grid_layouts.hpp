#pragma once
// The fixed styles the main window's grids get while it is created. The steps run over ranges
// longer than the grids; the grid clips them, so the styles cover the rows the grid has then.

namespace qivra {

class EGrid;
class PlanGridHelper;

// 高级表格2, 高级表格4, 高级表格5: header, column widths, coming-period row, drawn rows.
void ApplyPlanGridLayout(PlanGridHelper& grid);

// 高级表格1, first part: header row, centring, header height and the two column widths.
void SetUpHistoryGrid(EGrid& grid);
// 高级表格1, second part (run after the plan grids): bold 17 px data rows, blue text.
void SetUpHistoryGridRows(EGrid& grid);

// 高级表格3: header row, the content column's width, centring.
void SetUpTrendGrid(EGrid& grid);

}  // namespace qivra
