#pragma once
// The outcome vocabulary every plan, formula, statistic and alarm speaks in.
// Texts are UTF-8 here; GBK exists only at the store and configuration edges.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qivra {

std::string SizeText(int32_t n);         // "大" if n > 13, else "小"
std::string ParityText(int32_t n);       // "单" when the truncating remainder by 2 is non-zero
std::string CombinationText(int32_t n);  // size then parity
std::string MiddleEdgeText(int32_t n);   // "中" for 10..17
int32_t Mod3(int32_t n);                 // truncating remainder: sign of n
int32_t Mod4(int32_t n);
int32_t Mod5(int32_t n);
std::string ExtremeText(int32_t n);      // "极小" below 6, "极大" above 21, else empty
std::string PairKind(int32_t a, int32_t b, int32_t c);  // "豹子", "对子" or empty
bool IsPair(int32_t a, int32_t b, int32_t c);
bool IsTriple(int32_t a, int32_t b, int32_t c);
std::string OppositeCombination(std::string_view t);
std::string KillCombinationText(std::string_view t, bool spaced);
int32_t LastDigit(int32_t n);            // last character of the decimal text: -15 gives 5
std::string TwoDigitText(int32_t n);     // "0" + text below 10
// "a + b + c = ss"; appends the sum to sums when append is set and sums is given.
std::string FormatDrawContent(int32_t a, int32_t b, int32_t c, std::vector<int32_t>* sums, bool append);

}  // namespace qivra
