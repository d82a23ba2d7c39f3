#include "core/classify.hpp"

#include <cmath>

namespace qivra {

std::string SizeText(int32_t n) { return n > 13 ? "大" : "小"; }

std::string ParityText(int32_t n) {
    // The parity test is made on a floating remainder, with a small tolerance for zero.
    double r = std::fmod(static_cast<double>(n), 2.0);
    return std::fabs(r) <= 0.0000001 ? "双" : "单";
}

std::string CombinationText(int32_t n) { return SizeText(n) + ParityText(n); }

std::string MiddleEdgeText(int32_t n) { return (n >= 10 && n <= 17) ? "中" : "边"; }

int32_t Mod3(int32_t n) { return n % 3; }
int32_t Mod4(int32_t n) { return n % 4; }
int32_t Mod5(int32_t n) { return n % 5; }

std::string ExtremeText(int32_t n) {
    if (n < 6) return "极小";
    if (n > 21) return "极大";
    return {};
}

bool IsTriple(int32_t a, int32_t b, int32_t c) { return a == b && b == c; }
bool IsPair(int32_t a, int32_t b, int32_t c) { return !IsTriple(a, b, c) && (a == b || b == c || a == c); }

std::string PairKind(int32_t a, int32_t b, int32_t c) {
    if (IsTriple(a, b, c)) return "豹子";
    if (IsPair(a, b, c)) return "对子";
    return {};
}

std::string OppositeCombination(std::string_view t) {
    if (t == "大单") return "小双";
    if (t == "大双") return "小单";
    if (t == "小单") return "大双";
    if (t == "小双") return "大单";
    return {};
}

std::string KillCombinationText(std::string_view t, bool spaced) {
    const char* plus = spaced ? " + " : "+";
    if (t == "大单") return std::string("双") + plus + "小单";
    if (t == "小单") return std::string("双") + plus + "大单";
    if (t == "大双") return std::string("单") + plus + "小双";
    if (t == "小双") return std::string("单") + plus + "大双";
    return {};
}

int32_t LastDigit(int32_t n) {
    int64_t v = n;  // widen so INT32_MIN has a magnitude
    if (v < 0) v = -v;
    return static_cast<int32_t>(v % 10);
}

std::string TwoDigitText(int32_t n) { return n < 10 ? "0" + std::to_string(n) : std::to_string(n); }

std::string FormatDrawContent(int32_t a, int32_t b, int32_t c, std::vector<int32_t>* sums, bool append) {
    int32_t s = a + b + c;
    if (append && sums) sums->push_back(s);
    return std::to_string(a) + " + " + std::to_string(b) + " + " + std::to_string(c) + " = " + TwoDigitText(s);
}

}  // namespace qivra
