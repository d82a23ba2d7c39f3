#include "stats/hit_chance.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qivra {
namespace {

// Period texts IsHit reads as even and odd.
constexpr std::string_view kEvenPeriod = "0";
constexpr std::string_view kOddPeriod = "1";

// IsHit reads the kind's rule alone, never the sum text, so a forecast's chance is keyed by its
// two items. A view's forecasts carry a handful of distinct item pairs per kind, so a short
// list per (kind, parity) is searched faster than a hash of the texts is computed.
// Items of up to seven bytes (every item the rules make: "大单" is six) are compared as one
// number each: the bytes and the length.
struct ChanceEntry {
    uint64_t first;
    uint64_t second;
    double chance;
};

std::optional<uint64_t> Packed(const std::string& item) {
    if (item.size() > 7) return std::nullopt;
    uint64_t v = static_cast<uint64_t>(item.size()) << 56;
    for (size_t i = 0; i < item.size(); ++i) v |= uint64_t{static_cast<unsigned char>(item[i])} << (8 * i);
    return v;
}

constexpr size_t kKinds = 9;
// Forecasts come from DeriveForecast, a few per kind; the bound only keeps odd callers from
// growing a list without end.
constexpr size_t kListLimit = 64;

// How many of the 1,000 triples IsHit judges right.
int64_t RightTriples(PredictionKind kind, const PlanForecast& forecast, bool evenPeriod) {
    const std::string_view period = evenPeriod ? kEvenPeriod : kOddPeriod;
    const std::array<int, kSumCount>& counts = SumTripleCounts();
    int64_t hits = 0;
    for (int s = 0; s < kSumCount; ++s)
        if (IsHit(kind, forecast, s, period)) hits += counts[static_cast<size_t>(s)];
    return hits;
}

}  // namespace

const std::array<int, kSumCount>& SumTripleCounts() {
    static const std::array<int, kSumCount> counts = [] {
        std::array<int, kSumCount> c{};
        for (int a = 0; a < 10; ++a)
            for (int b = 0; b < 10; ++b)
                for (int d = 0; d < 10; ++d) ++c[static_cast<size_t>(a + b + d)];
        return c;
    }();
    return counts;
}

double HitChanceForParity(PredictionKind kind, const PlanForecast& forecast, bool evenPeriod) {
    thread_local std::array<std::vector<ChanceEntry>, kKinds * 2> lists;
    const auto k = static_cast<size_t>(kind);
    if (k >= kKinds) return 0;
    const std::optional<uint64_t> first = Packed(forecast.first);
    const std::optional<uint64_t> second = Packed(forecast.second);
    if (!first || !second)  // no rule makes such items; worked out afresh
        return static_cast<double>(RightTriples(kind, forecast, evenPeriod)) / kDigitTriples;
    std::vector<ChanceEntry>& list = lists[k * 2 + (evenPeriod ? 1 : 0)];
    for (const ChanceEntry& e : list)
        if (e.first == *first && e.second == *second) return e.chance;
    const double chance = static_cast<double>(RightTriples(kind, forecast, evenPeriod)) / kDigitTriples;
    if (list.size() >= kListLimit) list.clear();
    list.push_back({*first, *second, chance});
    return chance;
}

bool PeriodIsEven(std::string_view period) {
    // IsHit's test, IntegerValue(period) % 2 == 0, read off the last digit of the leading
    // integer: neither the sign nor the 32-bit wrap changes a parity.
    size_t i = 0;
    while (i < period.size() && (period[i] == ' ' || period[i] == '\t' || period[i] == '\r' || period[i] == '\n')) ++i;
    if (i < period.size() && (period[i] == '+' || period[i] == '-')) ++i;
    char last = '0';
    for (; i < period.size() && period[i] >= '0' && period[i] <= '9'; ++i) last = period[i];
    return (last - '0') % 2 == 0;
}

double HitChance(PredictionKind kind, const PlanForecast& forecast, std::string_view drawnPeriod) {
    return HitChanceForParity(kind, forecast, PeriodIsEven(drawnPeriod));
}

double AverageHitChance(PredictionKind kind) {
    static const std::array<double, kKinds> averages = [] {
        std::array<double, kKinds> out{};
        const std::array<int, kSumCount>& counts = SumTripleCounts();
        for (size_t k = 0; k < out.size(); ++k) {
            const auto kd = static_cast<PredictionKind>(k);
            // Counted in whole triples, so 1/2 comes out as exactly 1/2.
            int64_t total = 0;
            for (int v = 0; v < kSumCount; ++v) {
                // Base period even: the drawn period after it is odd, and the other way round.
                total += counts[static_cast<size_t>(v)] *
                         (RightTriples(kd, DeriveForecast(v, kd, kEvenPeriod), false) +
                          RightTriples(kd, DeriveForecast(v, kd, kOddPeriod), true));
            }
            out[k] = static_cast<double>(total) / (2.0 * kDigitTriples * kDigitTriples);
        }
        return out;
    }();
    const auto k = static_cast<size_t>(kind);
    return k < averages.size() ? averages[k] : 0.0;
}

}  // namespace qivra
