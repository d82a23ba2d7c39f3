#include "custom/formula.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

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
    int deepest = 0;
    for (const Instruction& in : code) {
        if (in.op == Op::Constant || in.op == Op::Position) {
            if (++depth > kStackLimit) return f;
            deepest = std::max(deepest, depth);
        } else if (in.op != Op::Negate) {
            --depth;
        }
    }
    if (depth != 1) return f;

    std::vector<Instruction> folded;
    folded.reserve(code.size());
    Fold(code.data(), code.size(), folded);

    f.code_ = std::move(folded);
    f.depth_ = deepest;
    f.valid_ = true;
    return f;
}

namespace {

template <int O>
inline double Apply(double x, double y) {
    if constexpr (O == 0) return x + y;
    else if constexpr (O == 1) return x - y;
    else if constexpr (O == 2) return x * y;
    else return x / y;
}

// One chain "[a] o1 [b] o2 [c] (o3 [d])" over a block, in the order the postfix code runs it:
// runs of '*' and '/' left to right into a term, terms joined by '+' and '-' left to right,
// each as soon as the term after it is complete.
template <int... Ops>
void ChainBlock(const double* const* operands, int n, double* out) {
    constexpr int kOps[] = {Ops...};
    constexpr int kCount = sizeof...(Ops);
    for (int i = 0; i < n; ++i) {
        double term = operands[0][i];
        double sum = 0;
        int pendingLow = -1;
        for (int j = 0; j < kCount; ++j) {  // unrolled, the operators known
            const double x = operands[j + 1][i];
            const int op = kOps[j];
            if (op >= 2) {
                term = op == 2 ? Apply<2>(term, x) : Apply<3>(term, x);
            } else {
                if (pendingLow < 0) sum = term;
                else sum = pendingLow == 0 ? Apply<0>(sum, term) : Apply<1>(sum, term);
                pendingLow = op;
                term = x;
            }
        }
        out[i] = pendingLow < 0 ? term : pendingLow == 0 ? Apply<0>(sum, term) : Apply<1>(sum, term);
    }
}

using ChainKernel = void (*)(const double* const*, int, double*);

template <size_t... I>
constexpr std::array<ChainKernel, sizeof...(I)> ThreeKernels(std::index_sequence<I...>) {
    return {&ChainBlock<static_cast<int>(I / 4), static_cast<int>(I % 4)>...};
}
template <size_t... I>
constexpr std::array<ChainKernel, sizeof...(I)> FourKernels(std::index_sequence<I...>) {
    return {&ChainBlock<static_cast<int>(I / 16), static_cast<int>(I / 4 % 4), static_cast<int>(I % 4)>...};
}
constexpr auto kThreeKernels = ThreeKernels(std::make_index_sequence<16>());
constexpr auto kFourKernels = FourKernels(std::make_index_sequence<64>());

ChainKernel ChainKernelFor(int count, const std::array<uint8_t, 3>& ops) {
    return count == 3 ? kThreeKernels[ops[0] * 4u + ops[1]] : kFourKernels[ops[0] * 16u + ops[1] * 4u + ops[2]];
}

}  // namespace

void Formula::Fold(const Instruction* code, size_t size, std::vector<Instruction>& out) {
    // The second operand of a binary operator is always the value pushed last.
    for (size_t k = 0; k < size; ++k) {
        const Instruction& in = code[k];
        const bool operand = in.op == Op::Constant || in.op == Op::Position;
        const Op next = k + 1 < size ? code[k + 1].op : Op::Negate;
        if (operand && (next == Op::Add || next == Op::Subtract || next == Op::Multiply || next == Op::Divide)) {
            const int offset = static_cast<int>(next) - static_cast<int>(Op::Add);
            if (in.op == Op::Position && !out.empty() && out.back().op == Op::Position) {
                // A position pushed and at once combined with another: one step.
                out.back().op = static_cast<Op>(static_cast<int>(Op::AddPair) + offset);
                out.back().second = in.position;
            } else {
                const Op base = in.op == Op::Position ? Op::AddPosition : Op::AddConstant;
                out.push_back(Instruction{static_cast<Op>(static_cast<int>(base) + offset), in.position, in.constant});
            }
            ++k;
        } else {
            out.push_back(in);
        }
    }
}

void Formula::AssignChain(const uint8_t* positions, const char* operators, int count) {
    text_.clear();
    code_.clear();
    valid_ = false;
    chainCount_ = 0;
    if (count < 1 || count > 8) return;
    if (count == 3 || count == 4) {  // the chain's own loops evaluate it; no code needed
        for (int i = 0; i < count; ++i) {
            if (positions[i] < 1 || positions[i] > 18) return;
            chainPositions_[static_cast<size_t>(i)] = static_cast<uint8_t>(positions[i] - 1);
            if (i > 0) {
                const char o = operators[i - 1];
                if (o != '+' && o != '-' && o != '*' && o != '/') return;
                chainOperators_[static_cast<size_t>(i - 1)] = o == '+' ? 0 : o == '-' ? 1 : o == '*' ? 2 : 3;
            }
        }
        chainCount_ = count;
        depth_ = 1;
        valid_ = true;
        return;
    }
    // The shunting-yard pass of Compile, for operands and binary operators only.
    Instruction raw[16];
    size_t size = 0;
    Op pending[8];
    int open = 0;
    int depth = 0, deepest = 0;
    auto push = [&](uint8_t position) {
        if (position < 1 || position > 18) return false;
        raw[size++] = Instruction{Op::Position, static_cast<uint8_t>(position - 1), 0};
        deepest = std::max(deepest, ++depth);
        return true;
    };
    auto precedence = [](Op op) { return op == Op::Multiply || op == Op::Divide ? 2 : 1; };
    if (!push(positions[0])) return;
    for (int i = 1; i < count; ++i) {
        Op op;
        switch (operators[i - 1]) {
            case '+': op = Op::Add; break;
            case '-': op = Op::Subtract; break;
            case '*': op = Op::Multiply; break;
            case '/': op = Op::Divide; break;
            default: return;
        }
        while (open > 0 && precedence(pending[open - 1]) >= precedence(op)) {
            raw[size++] = Instruction{pending[--open], 0, 0};
            --depth;
        }
        pending[open++] = op;
        if (!push(positions[i])) return;
    }
    while (open > 0) raw[size++] = Instruction{pending[--open], 0, 0};
    Fold(raw, size, code_);
    depth_ = deepest;
    valid_ = true;
}

bool Formula::Evaluate(const FormulaPositions& positions, double& value) const {
    if (!valid_) return false;
    if (chainCount_ != 0) {
        double operands[4];
        const double* columns[4];
        for (int i = 0; i < chainCount_; ++i) {
            operands[i] = static_cast<double>(positions[chainPositions_[static_cast<size_t>(i)]]);
            columns[i] = &operands[i];
        }
        ChainKernelFor(chainCount_, chainOperators_)(columns, 1, &value);
        return true;
    }
    // The top of the stack lives in acc; below it, stack[0..sp).
    double stack[kStackLimit + 1];
    int sp = 0;
    double acc = 0;
    for (const Instruction& in : code_) {
        switch (in.op) {
            case Op::Constant: stack[sp++] = acc; acc = in.constant; break;
            case Op::Position: stack[sp++] = acc; acc = static_cast<double>(positions[in.position]); break;
            case Op::Negate: acc = -acc; break;
            case Op::Add: acc = stack[--sp] + acc; break;
            case Op::Subtract: acc = stack[--sp] - acc; break;
            case Op::Multiply: acc = stack[--sp] * acc; break;
            case Op::Divide: acc = stack[--sp] / acc; break;
            case Op::AddPosition: acc = acc + static_cast<double>(positions[in.position]); break;
            case Op::SubtractPosition: acc = acc - static_cast<double>(positions[in.position]); break;
            case Op::MultiplyPosition: acc = acc * static_cast<double>(positions[in.position]); break;
            case Op::DividePosition: acc = acc / static_cast<double>(positions[in.position]); break;
            case Op::AddConstant: acc = acc + in.constant; break;
            case Op::SubtractConstant: acc = acc - in.constant; break;
            case Op::MultiplyConstant: acc = acc * in.constant; break;
            case Op::DivideConstant: acc = acc / in.constant; break;
            case Op::AddPair: stack[sp++] = acc; acc = static_cast<double>(positions[in.position]) + static_cast<double>(positions[in.second]); break;
            case Op::SubtractPair: stack[sp++] = acc; acc = static_cast<double>(positions[in.position]) - static_cast<double>(positions[in.second]); break;
            case Op::MultiplyPair: stack[sp++] = acc; acc = static_cast<double>(positions[in.position]) * static_cast<double>(positions[in.second]); break;
            case Op::DividePair: stack[sp++] = acc; acc = static_cast<double>(positions[in.position]) / static_cast<double>(positions[in.second]); break;
        }
    }
    value = acc;
    return true;
}

namespace {

constexpr int kBlock = 64;  // position sets per pass of the code

// The digit of every value of a block; the text is only written for values outside the range
// where the integer part alone decides it.
inline void BlockDigits(const double* values, int n, int32_t* digits) {
    int rare = 0;
    for (int i = 0; i < n; ++i) {
        const double magnitude = std::fabs(values[i]);
        const bool plain = magnitude < 2147483648.0 && (magnitude >= 1e-6 || values[i] == 0);
        rare |= !plain;
        // Below 2^31 the integer part fits 32 bits, which keeps the loop in vector registers.
        const uint32_t whole = static_cast<uint32_t>(static_cast<int32_t>(plain ? magnitude : 0.0));
        digits[i] = static_cast<int32_t>(whole % 10u);
    }
    if (rare)  // a division by zero is common enough in searches: redo only those values
        for (int i = 0; i < n; ++i) {
            const double magnitude = std::fabs(values[i]);
            if (!(magnitude < 2147483648.0 && (magnitude >= 1e-6 || values[i] == 0))) digits[i] = DigitOfValue(values[i]);
        }
}

}  // namespace

// Built twice, for AVX2 and for any x86-64, and picked when the program loads: the blocks are
// plain element-wise loops, twice as wide in AVX2 registers. No FMA, so every value is the
// same as the scalar evaluation's.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void Formula::EvaluateDigits(const std::array<const double*, 18>& columns, int count, int32_t* digits) const {
    if (!valid_) {
        std::fill(digits, digits + std::max(count, 0), 0);
        return;
    }
    // One block per stack level, reused by every formula this thread evaluates.
    thread_local std::vector<double> scratch;
    const size_t need = static_cast<size_t>(depth_ + 1) * kBlock;  // block 0 stays unused
    if (scratch.size() < need) scratch.resize(need);
    if (chainCount_ != 0) {
        const ChainKernel kernel = ChainKernelFor(chainCount_, chainOperators_);
        for (int start = 0; start < count; start += kBlock) {
            const int n = std::min(kBlock, count - start);
            const double* operands[4];
            for (int i = 0; i < chainCount_; ++i)
                operands[i] = columns[chainPositions_[static_cast<size_t>(i)]] + start;
            kernel(operands, n, scratch.data());
            BlockDigits(scratch.data(), n, digits + start);
        }
        return;
    }
    for (int start = 0; start < count; start += kBlock) {
        const int n = std::min(kBlock, count - start);
        double* top = scratch.data();  // the block of the value on top
        for (const Instruction& in : code_) {
            const double* __restrict column = columns[in.position] + start;
            const double* __restrict right = columns[in.second] + start;
            const double c = in.constant;
            switch (in.op) {
                case Op::Constant: top += kBlock; for (int i = 0; i < n; ++i) top[i] = c; break;
                case Op::Position: top += kBlock; for (int i = 0; i < n; ++i) top[i] = column[i]; break;
                case Op::Negate: for (int i = 0; i < n; ++i) top[i] = -top[i]; break;
                case Op::Add: top -= kBlock; for (int i = 0; i < n; ++i) top[i] = top[i] + top[i + kBlock]; break;
                case Op::Subtract: top -= kBlock; for (int i = 0; i < n; ++i) top[i] = top[i] - top[i + kBlock]; break;
                case Op::Multiply: top -= kBlock; for (int i = 0; i < n; ++i) top[i] = top[i] * top[i + kBlock]; break;
                case Op::Divide: top -= kBlock; for (int i = 0; i < n; ++i) top[i] = top[i] / top[i + kBlock]; break;
                case Op::AddPosition: for (int i = 0; i < n; ++i) top[i] = top[i] + column[i]; break;
                case Op::SubtractPosition: for (int i = 0; i < n; ++i) top[i] = top[i] - column[i]; break;
                case Op::MultiplyPosition: for (int i = 0; i < n; ++i) top[i] = top[i] * column[i]; break;
                case Op::DividePosition: for (int i = 0; i < n; ++i) top[i] = top[i] / column[i]; break;
                case Op::AddConstant: for (int i = 0; i < n; ++i) top[i] = top[i] + c; break;
                case Op::SubtractConstant: for (int i = 0; i < n; ++i) top[i] = top[i] - c; break;
                case Op::MultiplyConstant: for (int i = 0; i < n; ++i) top[i] = top[i] * c; break;
                case Op::DivideConstant: for (int i = 0; i < n; ++i) top[i] = top[i] / c; break;
                case Op::AddPair: top += kBlock; for (int i = 0; i < n; ++i) top[i] = column[i] + right[i]; break;
                case Op::SubtractPair: top += kBlock; for (int i = 0; i < n; ++i) top[i] = column[i] - right[i]; break;
                case Op::MultiplyPair: top += kBlock; for (int i = 0; i < n; ++i) top[i] = column[i] * right[i]; break;
                case Op::DividePair: top += kBlock; for (int i = 0; i < n; ++i) top[i] = column[i] / right[i]; break;
            }
        }
        BlockDigits(top, n, digits + start);
    }
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
    // "Infinity", "-Infinity" and "NaN" have no leading digits.
    if (!std::isfinite(value)) return 0;
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
