#include "stats/hit_chance.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "core/text.hpp"

namespace qivra {
namespace {

// Period texts IsHit reads as even and odd.
constexpr std::string_view kEvenPeriod = "0";
constexpr std::string_view kOddPeriod = "1";

struct ChanceKey {
    PredictionKind kind;
    bool evenPeriod;
    PlanForecast forecast;
    friend bool operator==(const ChanceKey&, const ChanceKey&) = default;
};

struct ChanceKeyHash {
    size_t operator()(const ChanceKey& k) const {
        const std::hash<std::string> h;
        size_t seed = static_cast<size_t>(k.kind) * 2 + (k.evenPeriod ? 1 : 0);
        for (const std::string* s : {&k.forecast.sumText, &k.forecast.first, &k.forecast.second})
            seed ^= h(*s) + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
        return seed;
    }
};

// Forecasts come from DeriveForecast, so a thread sees a few hundred at most; the bound only
// keeps odd callers from growing it without end.
constexpr size_t kCacheLimit = 4096;

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
    thread_local std::unordered_map<ChanceKey, double, ChanceKeyHash> cache;
    ChanceKey key{kind, evenPeriod, forecast};
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    const double chance = static_cast<double>(RightTriples(kind, forecast, evenPeriod)) / kDigitTriples;
    if (cache.size() >= kCacheLimit) cache.clear();
    cache.emplace(std::move(key), chance);
    return chance;
}

double HitChance(PredictionKind kind, const PlanForecast& forecast, std::string_view drawnPeriod) {
    // The parity test of IsHit's 双项 rule.
    return HitChanceForParity(kind, forecast, IntegerValue(drawnPeriod) % 2 == 0);
}

double AverageHitChance(PredictionKind kind) {
    static const std::array<double, 9> averages = [] {
        std::array<double, 9> out{};
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
