#pragma once
// The slow way a formula can be evaluated: its positions substituted into the text and the text
// handed to a script engine, one evaluation per formula and base draw. The benchmarks measure
// the compiled formulas against it, and the check holds the compiled results to it.

#include <QJSEngine>
#include <QJSValue>
#include <QString>

#include <array>
#include <optional>
#include <string>

#include "core/classify.hpp"
#include "core/draw.hpp"
#include "core/text.hpp"
#include "plans/hit_stats.hpp"
#include "plans/prediction.hpp"

namespace qivra::bench {

class ScriptFormulaEvaluator {
public:
    // The substituted text: every "[k]" replaced by entry k, for k = 1..18 in that order.
    static std::string Substitute(std::string text, const FormulaPositions& positions) {
        for (int k = 1; k <= 18; ++k) {
            const std::string token = "[" + std::to_string(k) + "]";
            const std::string value = std::to_string(positions[static_cast<size_t>(k - 1)]);
            for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
                text.replace(at, token.size(), value);
        }
        return text;
    }

    // The engine's text of the value; empty when the text is not an expression it can evaluate.
    std::string Evaluate(const std::string& expression) {
        const QJSValue v = engine_.evaluate(QString::fromStdString(expression));
        if (v.isError() || v.isUndefined()) return {};
        return v.toString().toStdString();
    }

    int32_t Digit(const std::string& formula, const FormulaPositions& positions) {
        return LastDigit(IntegerValue(Evaluate(Substitute(formula, positions))));
    }

    // Statistics of three formula texts over drawn periods 1..window, oldest first, every
    // formula evaluated by the engine for every base draw.
    std::optional<HitStats> Score(const DrawHistory& history, const std::array<std::string, 3>& formulas,
                                  PredictionKind kind, int window) {
        if (history.size() < 10 || window < 1 || window + 6 > history.size()) return std::nullopt;
        HitWalk walk;
        FormulaPositions positions{};
        for (int k = window; k >= 1; --k) {
            LoadFormulaPositions(history, k + 1, 6, positions);
            const int32_t sum =
                Digit(formulas[0], positions) + Digit(formulas[1], positions) + Digit(formulas[2], positions);
            const PlanForecast forecast = DeriveForecast(sum, kind, history.at(k + 1).period);
            const DrawRecord& drawn = history.at(k);
            walk.Add(IsHit(kind, forecast, drawn.sum, drawn.period));
        }
        return walk.Result(window);
    }

private:
    QJSEngine engine_;
};

}  // namespace qivra::bench
