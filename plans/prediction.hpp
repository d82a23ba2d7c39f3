#pragma once
// Play types, forecasts and the judging rule shared by every forecast view.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/colour.hpp"

namespace qivra {

enum class PredictionKind {
    Combination,            // 组合
    Size,                   // 大小
    Parity,                 // 单双
    KillCombination,        // 杀组
    Kill3N,                 // 杀3N
    Kill4N,                 // 杀4N
    DoubleCombination,      // 双组
    AlternateItem,          // 双项
    KillDoubleCombination,  // 杀双组
};

std::string KindCaption(PredictionKind kind);  // the kind link's caption, e.g. "杀3N"

// Each view numbers its kinds its own way (selection codes, 1-based); nullopt outside the table.
std::optional<PredictionKind> FreeKindFromCode(int code);    // 1..5
std::optional<PredictionKind> NamedKindFromCode(int code);   // 1..9
std::optional<PredictionKind> CustomKindFromCode(int code);  // 1..8

struct PlanForecast {
    std::string sumText;  // TwoDigitText of the predicted sum
    std::string first;
    std::string second;  // empty for the one-item kinds
    friend bool operator==(const PlanForecast&, const PlanForecast&) = default;
};

// The cells a view writes; PlanGridHelper implements it over a grid, tests fake it.
class CellSink {
public:
    virtual ~CellSink() = default;
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    virtual void SetCellTextColour(int row, int column, Rgb colour) = 0;
};

// basePeriod: the period of the newest draw that fed the prediction (only 双项 reads it).
PlanForecast DeriveForecast(int32_t predictedSum, PredictionKind kind, std::string_view basePeriod);

// Columns 3, 4 and 5 of one row.
void RenderForecastCells(CellSink& grid, int row, PredictionKind kind, const PlanForecast& forecast);

// Colours columns 3..6 of a drawn row and returns its result word; the caller writes column 6.
std::string JudgeRow(CellSink& grid, int row, PredictionKind kind, const PlanForecast& forecast, int32_t drawnSum,
                     std::string_view drawnPeriod);

// Right or wrong for the statistics: the kind's rule alone, without the 特码 rule.
bool IsHit(PredictionKind kind, const PlanForecast& forecast, int32_t drawnSum, std::string_view drawnPeriod);

struct HitStats {
    int32_t right = 0;
    int32_t wrong = 0;
    int32_t accuracy = 0;  // integer part of right * 100 / window
    int32_t hitRun = 0;    // run of rights ending at the newest period
    int32_t missRun = 0;   // run of wrongs ending at the newest period
    // Field by the 0-based index of the metric lists (正确, 错误, 正确率, 当前连中, 当前连挂).
    int32_t Field(int index) const;
    friend bool operator==(const HitStats&, const HitStats&) = default;
};

}  // namespace qivra
