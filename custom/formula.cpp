#include "custom/formula.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

#include "core/classify.hpp"
#include "core/text.hpp"

namespace qivra {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Operator-stack entries of the shunting-yard pass; '(' is a marker, not an operator.
enum class Pending : uint8_t { Open, Negate, Plus, Add, Subtract, Multiply, Divide };

int Precedence(Pending p) {
    switch (p) {
        case Pending::Negate:
        case Pending::Plus: return 3;
        case Pending::Multiply:
        case Pending::Divide: return 2;
        case Pending::Add:
        case Pending::Subtract: return 1;
        case Pending::Open: break;
    }
    return 0;
}

// Writes the JavaScript text of a finite or special number into buf (at least 32 bytes) and
// returns its length.
size_t JsNumberChars(double value, char* buf) {
    if (std::isnan(value)) {
        std::memcpy(buf, "NaN", 3);
        return 3;
    }
    if (std::isinf(value)) {
        if (value < 0) {
            std::memcpy(buf, "-Infinity", 9);
            return 9;
        }
        std::memcpy(buf, "Infinity", 8);
        return 8;
    }
    if (value == 0) {  // also -0
        buf[0] = '0';
        return 1;
    }
    // Shortest round-trip digits in scientific form, "d.ddde+XX", then laid out as the
    // engine does.
    char sci[40];
    auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    const char* p = sci;
    const char* end = res.ptr;
    size_t out = 0;
    if (*p == '-') {
        buf[out++] = '-';
        ++p;
    }
    char digits[20];
    int k = 0;
    for (; p < end && *p != 'e'; ++p)
        if (IsDigit(*p)) digits[k++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    const int n = exponent + 1;  // value = 0.digits × 10^n
    if (k <= n && n <= 21) {
        for (int i = 0; i < k; ++i) buf[out++] = digits[i];
        for (int i = k; i < n; ++i) buf[out++] = '0';
    } else if (0 < n && n <= 21) {
        for (int i = 0; i < n; ++i) buf[out++] = digits[i];
        buf[out++] = '.';
        for (int i = n; i < k; ++i) buf[out++] = digits[i];
    } else if (-6 < n && n <= 0) {
        buf[out++] = '0';
        buf[out++] = '.';
        for (int i = 0; i < -n; ++i) buf[out++] = '0';
        for (int i = 0; i < k; ++i) buf[out++] = digits[i];
    } else {
        buf[out++] = digits[0];
        if (k > 1) {
            buf[out++] = '.';
            for (int i = 1; i < k; ++i) buf[out++] = digits[i];
        }
        buf[out++] = 'e';
        buf[out++] = n - 1 < 0 ? '-' : '+';
        auto r = std::to_chars(buf + out, buf + out + 8, n - 1 < 0 ? 1 - n : n - 1);
        out = static_cast<size_t>(r.ptr - buf);
    }
    return out;
}

}  // namespace

Formula Formula::Compile(std::string_view text) {
    Formula f;
    f.text_ = std::string(text);
    if (text.empty() || text.size() > kMaxFormulaLength) return f;

    std::vector<Instruction> code;
    std::vector<Pending> pending;
    code.reserve(text.size() / 2 + 1);
    int nesting = 0;
    bool expectOperand = true;

    auto emit = [&code](Op op, uint8_t position = 0, double constant = 0) {
        code.push_back(Instruction{op, position, constant});
    };
    auto emitPending = [&emit](Pending p) {
        switch (p) {
            case Pending::Negate: emit(Op::Negate); break;
            case Pending::Add: emit(Op::Add); break;
            case Pending::Subtract: emit(Op::Subtract); break;
            case Pending::Multiply: emit(Op::Multiply); break;
            case Pending::Divide: emit(Op::Divide); break;
            case Pending::Plus:
            case Pending::Open: break;  // unary plus leaves a number as it is
        }
    };

    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const char c = text[i];
        if (IsSpace(c)) {
            ++i;
            continue;
        }
        if ((c == '+' || c == '-') && i + 1 < size && text[i + 1] == c) return f;  // "++", "--"
        if (expectOperand) {
            if (c == '+' || c == '-') {
                pending.push_back(c == '-' ? Pending::Negate : Pending::Plus);
                ++i;
            } else if (c == '(') {
                if (++nesting > kMaxFormulaNesting) return f;
                pending.push_back(Pending::Open);
                ++i;
            } else if (c == '[') {
                size_t j = i + 1;
                int value = 0;
                int count = 0;
                while (j < size && IsDigit(text[j]) && count < 3) {
                    value = value * 10 + (text[j] - '0');
                    ++j;
                    ++count;
                }
                if (count == 0 || j >= size || text[j] != ']' || text[i + 1] == '0' || value < 1 || value > 18)
                    return f;
                emit(Op::Position, static_cast<uint8_t>(value - 1));
                i = j + 1;
                expectOperand = false;
            } else if (IsDigit(c) || c == '.') {
                size_t j = i;
                while (j < size && IsDigit(text[j])) ++j;
                const size_t integerDigits = j - i;
                if (integerDigits > 1 && text[i] == '0') return f;
                if (j < size && text[j] == '.') {
                    ++j;
                    const size_t fractionStart = j;
                    while (j < size && IsDigit(text[j])) ++j;
                    if (integerDigits == 0 && j == fractionStart) return f;  // a lone "."
                }
                double value = 0;
                auto r = std::from_chars(text.data() + i, text.data() + j, value, std::chars_format::fixed);
                if (r.ec == std::errc::result_out_of_range)
                    value = integerDigits > 0 && text[i] != '0' ? HUGE_VAL : 0.0;  // overflow or underflow
                else if (r.ec != std::errc() || r.ptr != text.data() + j)
                    return f;
                emit(Op::Constant, 0, value);
                i = j;
                expectOperand = false;
            } else {
                return f;
            }
        } else {
            Pending op;
            if (c == '+') op = Pending::Add;
            else if (c == '-') op = Pending::Subtract;
            else if (c == '*') op = Pending::Multiply;
            else if (c == '/') op = Pending::Divide;
            else if (c == ')') {
                while (!pending.empty() && pending.back() != Pending::Open) {
                    emitPending(pending.back());
                    pending.pop_back();
                }
                if (pending.empty()) return f;  // unbalanced
                pending.pop_back();
                --nesting;
                ++i;
                continue;
            } else {
                return f;  // an operand after an operand, or an unknown character
            }
            const int prec = Precedence(op);
            while (!pending.empty() && pending.back() != Pending::Open && Precedence(pending.back()) >= prec) {
                emitPending(pending.back());
                pending.pop_back();
            }
            pending.push_back(op);
            ++i;
            expectOperand = true;
        }
    }
    if (expectOperand) return f;  // empty, blank or ending in an operator
    while (!pending.empty()) {
        if (pending.back() == Pending::Open) return f;
        emitPending(pending.back());
        pending.pop_back();
    }

    // The evaluation stack is a fixed array; prove the code fits it.
    int depth = 0;
    for (const Instruction& in : code) {
        if (in.op == Op::Constant || in.op == Op::Position) {
            if (++depth > kStackLimit) return f;
        } else if (in.op != Op::Negate) {
            --depth;
        }
    }
    if (depth != 1) return f;

    f.code_ = std::move(code);
    f.valid_ = true;
    return f;
}

bool Formula::Evaluate(const FormulaPositions& positions, double& value) const {
    if (!valid_) return false;
    double stack[kStackLimit];
    int top = -1;
    for (const Instruction& in : code_) {
        switch (in.op) {
            case Op::Constant: stack[++top] = in.constant; break;
            case Op::Position: stack[++top] = static_cast<double>(positions[in.position]); break;
            case Op::Negate: stack[top] = -stack[top]; break;
            case Op::Add: --top; stack[top] = stack[top] + stack[top + 1]; break;
            case Op::Subtract: --top; stack[top] = stack[top] - stack[top + 1]; break;
            case Op::Multiply: --top; stack[top] = stack[top] * stack[top + 1]; break;
            case Op::Divide: --top; stack[top] = stack[top] / stack[top + 1]; break;
        }
    }
    value = stack[0];
    return true;
}

std::string JsNumberText(double value) {
    char buf[48];
    return std::string(buf, JsNumberChars(value, buf));
}

int32_t DigitOfValue(double value) {
    // Within this range the engine's text starts with the integer part of the value itself
    // (shortest round-trip digits never cross an integer below 2^53), so skip the text.
    const double magnitude = std::fabs(value);
    if (magnitude < 2147483648.0 && (magnitude >= 1e-6 || value == 0))
        return static_cast<int32_t>(static_cast<int64_t>(magnitude) % 10);
    char buf[48];
    const size_t length = JsNumberChars(value, buf);
    return LastDigit(IntegerValue(std::string_view(buf, length)));
}

int32_t EvaluateFormula(const Formula& formula, const FormulaPositions& positions) {
    double value = 0;
    if (!formula.Evaluate(positions, value)) return 0;
    return DigitOfValue(value);
}

int32_t EvaluateFormulaText(std::string_view text, const FormulaPositions& positions) {
    return EvaluateFormula(Formula::Compile(text), positions);
}

}  // namespace qivra
