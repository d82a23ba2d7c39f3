#include "plans/plan_view.hpp"

#include <algorithm>
#include <cstdint>

#include "core/text.hpp"

namespace qivra {

std::vector<PlanForecast> PlanForecasts(const DrawHistory& history, const PlanDefinition& plan,
                                        PredictionKind kind, int n) {
    std::vector<PlanForecast> forecasts;
    if (history.size() < kMinimumPlanHistory) return forecasts;
    // Each forecast needs its base draw and the three before it.
    const int64_t last = std::min<int64_t>(int64_t{n} + 1, history.size() - 3);
    if (last < 1) return forecasts;
    forecasts.reserve(static_cast<size_t>(last));
    FormulaPositions positions{};
    for (int i = 1; i <= last; ++i) {
        LoadFormulaPositions(history, i, 4, positions);
        forecasts.push_back(DeriveForecast(PlanValue(plan, positions), kind, history.at(i).period));
    }
    return forecasts;
}

std::string FirstCharacters(std::string_view text, int count) {
    size_t end = 0;
    for (int c = 0; c < count && end < text.size(); ++c) {
        ++end;
        // Step over UTF-8 continuation bytes so a character is never cut.
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return std::string(text.substr(0, end));
}

std::array<std::string, 4> ComingPeriodTexts(const DrawHistory& history, const PlanForecast& coming) {
    const int64_t next = history.empty() ? 1 : int64_t{IntegerValue(history.newest().period)} + 1;
    return {std::to_string(next), "00:00", "  ?", coming.sumText};
}

void WriteComingPeriodCells(CellSink& grid, const DrawHistory& history, const PlanForecast& coming, int columns) {
    if (history.empty()) return;
    const std::array<std::string, 4> texts = ComingPeriodTexts(history, coming);
    const int count = std::clamp(columns, 0, static_cast<int>(texts.size()));
    for (int c = 0; c < count; ++c) grid.SetCellText(1, c, texts[static_cast<size_t>(c)]);
}

int WritePlanView(CellSink& grid, const DrawHistory& history, const std::vector<PlanForecast>& forecasts,
                  PredictionKind kind, int m) {
    if (forecasts.empty() || history.empty()) return 0;
    WriteComingPeriodCells(grid, history, forecasts.front(), 3);
    RenderForecastCells(grid, 1, kind, forecasts.front());
    const int64_t rows = std::min<int64_t>({int64_t{m}, static_cast<int64_t>(forecasts.size()) - 1, history.size()});
    for (int k = 1; k <= rows; ++k) {
        const DrawRecord& d = history.at(k);
        const PlanForecast& f = forecasts[static_cast<size_t>(k)];
        const int row = k + 1;
        grid.SetCellText(row, 0, d.period);
        grid.SetCellText(row, 1, FirstCharacters(d.time, 5));
        grid.SetCellText(row, 2, d.content);
        RenderForecastCells(grid, row, kind, f);
        grid.SetCellText(row, 6, JudgeRow(grid, row, kind, f, d.sum, d.period));
    }
    return static_cast<int>(std::max<int64_t>(rows, 0));
}

void ClearPlanRows(CellSink& grid, const DrawHistory& history, int firstRow, int lastRow) {
    for (int row = std::max(firstRow, 2); row <= lastRow; ++row) {
        if (row - 1 > history.size())
            for (int c = 0; c <= 2; ++c) grid.SetCellText(row, c, "");
        for (int c = 3; c <= 6; ++c) {
            grid.SetCellText(row, c, "");
            grid.SetCellTextColour(row, c, colours::kBlack);
        }
    }
}

ChangedCellsFilter::Cell* ChangedCellsFilter::Find(int row, int column) {
    // Rows and columns of a plan grid are small; anything else passes through uncached.
    if (row < 0 || column < 0 || row > 100000 || column > 64) return nullptr;
    const auto r = static_cast<size_t>(row);
    const auto c = static_cast<size_t>(column);
    if (cells_.size() <= r) cells_.resize(r + 1);
    if (cells_[r].size() <= c) cells_[r].resize(c + 1);
    return &cells_[r][c];
}

void ChangedCellsFilter::SetCellText(int row, int column, const std::string& text) {
    Cell* cell = Find(row, column);
    if (cell) {
        if (cell->hasText && cell->text == text) return;
        cell->hasText = true;
        cell->text = text;
    }
    target_.SetCellText(row, column, text);
}

void ChangedCellsFilter::SetCellTextColour(int row, int column, Rgb colour) {
    Cell* cell = Find(row, column);
    if (cell) {
        if (cell->hasColour && cell->colour == colour) return;
        cell->hasColour = true;
        cell->colour = colour;
    }
    target_.SetCellTextColour(row, column, colour);
}

}  // namespace qivra
