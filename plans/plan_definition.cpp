#include "plans/plan_definition.hpp"

#include "core/classify.hpp"
#include "core/text.hpp"

namespace qivra {

namespace {

// A position token: digits only (blanks around them allowed), value 1..kPlanPositionCount.
bool ParsePosition(std::string_view token, int& position, std::string& error) {
    const std::string t = Trim(token);
    if (t.empty()) {
        error = "empty position";
        return false;
    }
    bool digits = t.size() <= 4;
    for (char c : t) digits = digits && c >= '0' && c <= '9';
    const int value = digits ? IntegerValue(t) : 0;
    if (!digits || value < 1 || value > kPlanPositionCount) {
        error = "\"" + t + "\" is not a position 1-" + std::to_string(kPlanPositionCount);
        return false;
    }
    position = value;
    return true;
}

}  // namespace

bool ParsePlanDefinition(std::string_view line, PlanDefinition& out, std::string& error) {
    const std::vector<std::string> halves = SplitText(line, "----");
    if (halves.size() < 2) {
        error = line.find("----") == std::string_view::npos ? "no \"----\" between label and formulas"
                                                            : "no formulas after \"----\"";
        return false;
    }
    const std::vector<std::string> formulas = SplitText(halves[1], "|");
    if (formulas.size() < 3) {
        error = "fewer than three formulas";
        return false;
    }
    PlanDefinition plan;
    plan.label = halves[0];
    for (size_t f = 0; f < plan.positions.size(); ++f) {
        const std::vector<std::string> tokens = SplitText(formulas[f], "+");
        // SplitText drops a trailing empty piece, so "1+2+" would pass as "1+2".
        if (tokens.empty() || formulas[f].ends_with('+')) {
            error = "formula " + std::to_string(f + 1) + ": empty position";
            return false;
        }
        for (const std::string& token : tokens) {
            int position = 0;
            if (!ParsePosition(token, position, error)) {
                error = "formula " + std::to_string(f + 1) + ": " + error;
                return false;
            }
            plan.positions[f].push_back(position);
        }
    }
    out = std::move(plan);
    return true;
}

PlanListResult ParsePlanList(std::string_view text) {
    PlanListResult result;
    const std::vector<std::string> lines = SplitText(text, "\r\n");
    for (size_t n = 0; n < lines.size(); ++n) {
        PlanDefinition plan;
        std::string error;
        if (!ParsePlanDefinition(lines[n], plan, error)) {
            result.plans.clear();
            result.error = "line " + std::to_string(n + 1) + ": " + error;
            return result;
        }
        result.plans.push_back(std::move(plan));
    }
    return result;
}

int32_t PlanValue(const PlanDefinition& plan, const FormulaPositions& positions) {
    int32_t value = 0;
    for (const std::vector<int>& formula : plan.positions) {
        int32_t total = 0;
        for (int p : formula) {
            // A hand-built definition may hold anything; read only the plan positions.
            if (p >= 1 && p <= kPlanPositionCount) total += positions[static_cast<size_t>(p - 1)];
        }
        value += LastDigit(total);
    }
    return value;
}

}  // namespace qivra
