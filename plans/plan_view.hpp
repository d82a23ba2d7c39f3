#pragma once
// The forecast view shared by the free-plan and named-plan pages: one plan's forecasts for the
// coming period and the drawn periods, written into a plan grid and judged.

#include <array>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "plans/plan_definition.hpp"
#include "plans/prediction.hpp"

namespace qivra {

// Below this many draws the plan views, statistics and marking compute nothing.
inline constexpr int kMinimumPlanHistory = 10;

// Element 0 is the forecast for the coming period, element k for drawn period k. Forecast i
// (1-based) is made from draws i..i+3, for i = 1..n+1 while those draws exist, so a short
// history gives fewer forecasts. Empty with fewer than kMinimumPlanHistory draws.
std::vector<PlanForecast> PlanForecasts(const DrawHistory& history, const PlanDefinition& plan,
                                        PredictionKind kind, int n);

// The first `count` characters of a UTF-8 text (the grids show the time as HH:MM).
std::string FirstCharacters(std::string_view text, int count);

// Columns 0..3 of the coming-period row: newest period + 1, "00:00", "  ?", the sum text.
std::array<std::string, 4> ComingPeriodTexts(const DrawHistory& history, const PlanForecast& coming);

// Writes columns 0..columns-1 (at most 4) of row 1 from ComingPeriodTexts; nothing for an empty
// history. The free view also puts columns 0..2 into the other two plan grids.
void WriteComingPeriodCells(CellSink& grid, const DrawHistory& history, const PlanForecast& coming,
                            int columns = 4);

// Row 1 for the coming period and rows k+1 for drawn periods k = 1..m that have a forecast:
// period, time, content, forecast cells, judging colours and the result word. Writes nothing
// when there are no forecasts, so the grid keeps what it showed. Returns the number of drawn
// periods written.
int WritePlanView(CellSink& grid, const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                   PredictionKind kind, int m);

// Blanks rows firstRow..lastRow (never row 1) below what a view wrote for this history, so
// nothing of an earlier, longer history stays: the forecast and result cells (columns 3-6) go
// empty in the grid's plain text colour, and the draw cells (columns 0-2) go empty where the
// history has no draw for the row.
void ClearPlanRows(CellSink& grid, const DrawHistory& history, int firstRow, int lastRow);

// Forwards a write to its target only when it differs from the last write this filter passed
// to the same cell, so a view recomputed on every selection repaints only what changed.
// Call Forget() whenever the grid was written, cleared or resized by anything else.
class ChangedCellsFilter : public CellSink {
public:
    explicit ChangedCellsFilter(CellSink& target) : target_(target) {}
    void SetCellText(int row, int column, const std::string& text) override;
    void SetCellTextColour(int row, int column, Rgb colour) override;
    void Forget() { cells_.clear(); }

private:
    struct Cell {
        bool hasText = false;
        bool hasColour = false;
        std::string text;
        Rgb colour;
    };
    Cell* Find(int row, int column);

    CellSink& target_;
    std::vector<std::vector<Cell>> cells_;  // [row][column], grown on demand
};

}  // namespace qivra
