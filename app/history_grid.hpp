#pragma once
// The history display: the summary grid, the coloured trend grid and the first three columns
// of the plan grids, one row per draw.

#include <string>

#include "core/draw.hpp"

namespace qivra {

class EGrid;

struct HistoryGrids {
    EGrid* summary = nullptr;  // 高级表格1
    EGrid* freePlan = nullptr;  // 高级表格2
    EGrid* trend = nullptr;    // 高级表格3
    EGrid* namedPlan = nullptr;  // 高级表格4
    EGrid* customPlan = nullptr;  // 高级表格5
};

// Draw r of the history into every grid; attribute cells are coloured for r <= depth.
void ShowHistoryRow(const HistoryGrids& grids, const DrawHistory& history, int r, int depth);

// Blanks what an earlier, longer history left (texts empty, the grids' plain colours): the rows
// of draws firstDraw and later in every grid, and in the plan grids the forecast and result
// cells of draws firstForecast and later, which no view of this history rewrites. A firstForecast
// of 0 also blanks the coming-period row, for a history too short for any forecast.
void ClearHistoryRows(const HistoryGrids& grids, int firstDraw, int firstForecast);

}  // namespace qivra
