#pragma once
// The chance that a forecast is judged right when the three digits of a draw are independent
// and uniform 0-9: the baseline every hit count is read against.

#include <array>
#include <string_view>

#include "plans/prediction.hpp"

namespace qivra {

inline constexpr int kDigitTriples = 1000;
inline constexpr int kSumCount = 28;

// How many of the 1,000 digit triples give each sum 0..27.
const std::array<int, kSumCount>& SumTripleCounts();

// P(IsHit) for a forecast judged against a drawn period: IsHit itself, asked about every sum
// and weighted by the sum's triple count. Only the parity of the period counts (双项 asks for
// size or parity by it), and not the sum text (IsHit leaves the 特码 rule out). Each distinct
// (kind, items, parity) is worked out once per thread, so any thread, a search worker
// included, may call it without locking.
double HitChance(PredictionKind kind, const PlanForecast& forecast, std::string_view drawnPeriod);
// Whether IsHit reads a period number as even: IntegerValue(period) % 2 == 0.
bool PeriodIsEven(std::string_view period);

// The same by the period's parity. (Not an overload: a period literal would convert to bool.)
double HitChanceForParity(PredictionKind kind, const PlanForecast& forecast, bool evenPeriod);

// The chance of a forecast that knows nothing: the forecast DeriveForecast makes from a
// predicted sum distributed as a draw's sum (the sum of three uniform digits), for a drawn period
// one after its base period, averaged over both parities of that period. A random formula's
// digit sums come close to that distribution, so this is the per-period chance a random search
// candidate has.
double AverageHitChance(PredictionKind kind);

}  // namespace qivra
