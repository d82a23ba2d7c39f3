#pragma once
// The arithmetic language of custom algorithms: a formula over the positions [1]..[18] of six
// draws, compiled once and evaluated for many position sets.
//
// Grammar (anything else makes the formula invalid, and an invalid formula gives digit 0):
//   expr    := term (('+' | '-') term)*
//   term    := unary (('*' | '/') unary)*
//   unary   := ('+' | '-') unary | operand
//   operand := number | '[' position ']' | '(' expr ')'
//   number  := digits ['.' digits*] | '.' digits      (no leading zero before more digits)
//   position:= 1..18 written without spaces or leading zeros
// White space (space, tab, CR, LF) may stand between tokens.
//
// Choices where a script engine would read the substituted text its own way:
// - Two operands side by side ("[1][2]", "2[1]", "(1)(2)") are invalid: after substitution an
//   engine would glue the digits into one literal, which no user means.
// - "++" and "--" written without a space between are invalid (an engine reads them as
//   increment/decrement, a syntax error on a literal); "- -1" and "+-1" are fine.
// - Integer literals with a leading zero ("07", "010") are invalid: engines disagree on
//   whether they are octal.
// - Exponent literals ("1e3") and every other character are invalid.
// - A position stands for its value, not for its text: a negative value is one operand.
// Division is IEEE: x/0 is ±Infinity or NaN, which read as digit 0.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/draw.hpp"

namespace qivra {

// Limits that keep a hostile formula from costing memory or stack.
inline constexpr size_t kMaxFormulaLength = 4096;
inline constexpr int kMaxFormulaNesting = 64;

class Formula {
public:
    Formula() = default;  // invalid: evaluates to "no value"
    static Formula Compile(std::string_view text);

    // Rebuilds this formula, in place and without parsing, as "[p0] o0 [p1] o1 …" for count
    // positions (1-based) and count-1 operators from "+-*/": the code Compile gives for that
    // text. The text stays empty; the search makes it only for the algorithm it keeps.
    void AssignChain(const uint8_t* positions, const char* operators, int count);

    bool valid() const { return valid_; }
    const std::string& text() const { return text_; }

    // The value of the formula; false for an invalid formula.
    bool Evaluate(const FormulaPositions& positions, double& value) const;

    // Digits of many position sets at once, as EvaluateFormula gives them one by one:
    // columns[p][i] is position p+1 of set i, for i < count. An invalid formula gives zeros.
    // Each instruction runs over a block of sets, so dispatch is paid once per block.
    void EvaluateDigits(const std::array<const double*, 18>& columns, int count, int32_t* digits) const;

private:
    // Position and constant operands that a binary operator takes at once are folded into it
    // ("…[8]+" becomes one AddPosition): the same operations in the same order, fewer steps.
    enum class Op : uint8_t {
        Constant, Position, Negate, Add, Subtract, Multiply, Divide,
        AddPosition, SubtractPosition, MultiplyPosition, DividePosition,
        AddConstant, SubtractConstant, MultiplyConstant, DivideConstant,
        // Push position op second: "[a]*[b]" in one step.
        AddPair, SubtractPair, MultiplyPair, DividePair,
    };
    struct Instruction {
        Op op;
        uint8_t position;  // 0-based, for the position operations
        double constant;   // for the constant operations
        uint8_t second = 0;  // 0-based, the right operand of the pair operations
    };
    // Deep enough for kMaxFormulaNesting: each open level holds at most two pending operands.
    static constexpr int kStackLimit = 2 * kMaxFormulaNesting + 8;

    // Folds operands into the binary operators after them, appending to out.
    static void Fold(const Instruction* code, size_t size, std::vector<Instruction>& out);

    std::string text_;
    std::vector<Instruction> code_;  // postfix order
    int depth_ = 0;                  // the most values the code holds at once
    // A formula made by AssignChain of 3 or 4 positions is kept as its chain, without code:
    // it runs as one loop made for its operators instead of stepping through instructions.
    int chainCount_ = 0;
    std::array<uint8_t, 4> chainPositions_{};  // 0-based
    std::array<uint8_t, 3> chainOperators_{};  // 0 + 1 - 2 * 3 /
    bool valid_ = false;
};

// The text a JavaScript engine writes for a number ("10", "19.75", "1e+21", "1.5e-7",
// "Infinity", "NaN"; -0 gives "0").
std::string JsNumberText(double value);

// The digit a formula's value reads as: the leading integer of its JsNumberText, then the last
// decimal digit of that integer, sign ignored. Never allocates.
int32_t DigitOfValue(double value);

// Digit 0-9 of a formula for one set of positions; an invalid formula gives 0. Whether custom
// algorithms are switched on is the caller's business (off means 0 without evaluating).
int32_t EvaluateFormula(const Formula& formula, const FormulaPositions& positions);
int32_t EvaluateFormulaText(std::string_view text, const FormulaPositions& positions);

}  // namespace qivra
