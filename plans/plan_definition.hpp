#pragma once
// The rule of a free or named plan: three position formulas over the digits of four draws.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/draw.hpp"

namespace qivra {

inline constexpr int kFreePlanCount = 16;
inline constexpr int kNamedPlanCount = 56;
// Plans read positions [1]..[12] only, the digits of their four base draws; the positions
// after them belong to the custom formulas.
inline constexpr int kPlanPositionCount = 12;

struct PlanDefinition {
    std::string label;
    std::array<std::vector<int>, 3> positions;  // 1-based, each formula's positions in order
};

struct PlanListResult {
    std::vector<PlanDefinition> plans;
    std::string error;  // empty when every line parsed; otherwise names the 1-based line
};

// One line "label----a+b|c+d+e|f+g"; only the first three "|"-parts count. On failure returns
// false and sets error (without a line number).
bool ParsePlanDefinition(std::string_view line, PlanDefinition& out, std::string& error);

// Lines split at CR LF; the first bad line stops the parse and leaves plans empty.
PlanListResult ParsePlanList(std::string_view text);

// The predicted sum 0..27: the last digit of each formula's total, added up.
int32_t PlanValue(const PlanDefinition& plan, const FormulaPositions& positions);

}  // namespace qivra
