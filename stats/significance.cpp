#include "stats/significance.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "plans/hit_stats.hpp"

namespace qivra {
namespace {

constexpr double kInvSqrt2 = 0.70710678118654752440;
constexpr double kInvSqrt2Pi = 0.39894228040143267794;

double Clamp01(double p) { return std::isnan(p) ? 1.0 : std::clamp(p, 0.0, 1.0); }

// The distribution of a figure over its values 0..n (正确率 0..100).
std::vector<double> FigureDistribution(std::span<const double> chances, int metricIndex) {
    const size_t n = chances.size();
    switch (metricIndex) {
        case 0: return PoissonBinomialDistribution(chances);
        case 1: {
            std::vector<double> d = PoissonBinomialDistribution(chances);
            std::reverse(d.begin(), d.end());
            return d;
        }
        case 2: {
            std::vector<double> out(101, 0.0);
            if (n == 0) {
                out[0] = 1;
                return out;
            }
            const std::vector<double> d = PoissonBinomialDistribution(chances);
            for (size_t x = 0; x <= n; ++x) out[static_cast<size_t>(x * 100 / n)] += d[x];
            return out;
        }
        case 3:
        case 4: {
            // A run of r: the newest r periods go the run's way and period r + 1 (if any) does not.
            std::vector<double> out(n + 1, 0.0);
            double all = 1;
            for (size_t r = 0; r < n; ++r) {
                const double c = metricIndex == 3 ? chances[r] : 1 - chances[r];
                out[r] = all * (1 - c);
                all *= c;
            }
            out[n] = all;
            return out;
        }
        default: return {1.0};  // the figure reads 0
    }
}

// Binomial(n, p) probabilities, worked outward from the mode so that nothing underflows
// before it is negligible.
void BinomialDistribution(int n, double p, std::vector<double>& d) {
    d.assign(static_cast<size_t>(n) + 1, 0.0);
    if (p <= 0 || p >= 1) {
        d[p <= 0 ? 0 : static_cast<size_t>(n)] = 1;
        return;
    }
    const double q = 1 - p;
    const int mode = std::min(n, static_cast<int>(std::floor((n + 1) * p)));
    d[static_cast<size_t>(mode)] = std::exp(std::lgamma(n + 1.0) - std::lgamma(mode + 1.0) - std::lgamma(n - mode + 1.0) +
                                            mode * std::log(p) + (n - mode) * std::log(q));
    const double odds = p / q;
    for (int j = mode; j < n; ++j)
        d[static_cast<size_t>(j) + 1] = d[static_cast<size_t>(j)] * (n - j) / (j + 1.0) * odds;
    for (int j = mode; j > 0; --j)
        d[static_cast<size_t>(j) - 1] = d[static_cast<size_t>(j)] * j / (n - j + 1.0) / odds;
}

// A view's forecasts have a few distinct chances (a kind has two to four), so the count of hits
// is a sum of a few binomials: their convolution, and the tail of the last one, cost far less
// than adding the periods one by one. nullopt when there are too many distinct chances.
std::optional<double> GroupedTail(std::span<const double> chances, int k) {
    constexpr size_t kMaxGroups = 6;
    std::array<double, kMaxGroups> value{};
    std::array<int, kMaxGroups> count{};
    size_t groups = 0;
    for (const double raw : chances) {
        const double c = Clamp01(raw);
        size_t g = 0;
        while (g < groups && value[g] != c) ++g;
        if (g == groups) {
            if (groups == kMaxGroups) return std::nullopt;
            value[groups++] = c;
        }
        ++count[g];
    }
    // Scratch kept per thread: a page of figures asks for hundreds of tails.
    thread_local std::vector<double> head, sum, b, lastTail;
    head.assign(1, 1.0);
    for (size_t g = 0; g + 1 < groups; ++g) {
        BinomialDistribution(count[g], value[g], b);
        sum.assign(head.size() + b.size() - 1, 0.0);
        for (size_t i = 0; i < head.size(); ++i)
            for (size_t j = 0; j < b.size(); ++j) sum[i + j] += head[i] * b[j];
        head.swap(sum);
    }
    // P(head + last >= k) = sum over a of P(head = a) P(last >= k - a).
    BinomialDistribution(count[groups - 1], value[groups - 1], b);
    lastTail.assign(b.size() + 1, 0.0);
    for (size_t j = b.size(); j-- > 0;) lastTail[j] = lastTail[j + 1] + b[j];
    double tail = 0;
    for (size_t a = head.size(); a-- > 0;) {
        const int64_t need = int64_t{k} - static_cast<int64_t>(a);
        if (need >= static_cast<int64_t>(lastTail.size())) break;
        tail += head[a] * lastTail[static_cast<size_t>(std::max<int64_t>(need, 0))];
    }
    return std::min(tail, 1.0);
}

}  // namespace

std::vector<double> PoissonBinomialDistribution(std::span<const double> chances) {
    // Two buffers, so that each step is a plain loop over independent elements.
    std::vector<double> d(chances.size() + 1, 0.0);
    std::vector<double> next(chances.size() + 1, 0.0);
    d[0] = 1;
    size_t top = 0;
    for (const double raw : chances) {
        const double c = Clamp01(raw);
        const double q = 1 - c;
        const double* __restrict from = d.data();
        double* __restrict to = next.data();
        to[0] = from[0] * q;
        for (size_t j = 1; j <= top; ++j) to[j] = from[j] * q + from[j - 1] * c;
        ++top;
        to[top] = from[top - 1] * c;
        d.swap(next);
    }
    return d;
}

double PoissonBinomialTailExact(std::span<const double> chances, int k) {
    if (k <= 0) return 1;
    if (static_cast<size_t>(k) > chances.size()) return 0;
    if (const auto grouped = GroupedTail(chances, k)) return *grouped;
    const std::vector<double> d = PoissonBinomialDistribution(chances);
    // From the far end: the small terms are added first.
    double tail = 0;
    for (size_t j = d.size() - 1; j >= static_cast<size_t>(k); --j) tail += d[j];
    return std::min(tail, 1.0);
}

double PoissonBinomialTailApprox(std::span<const double> chances, int k) {
    if (k <= 0) return 1;
    if (static_cast<size_t>(k) > chances.size()) return 0;
    double mu = 0, variance = 0, third = 0;
    for (const double raw : chances) {
        const double c = Clamp01(raw);
        mu += c;
        variance += c * (1 - c);
        third += c * (1 - c) * (1 - 2 * c);
    }
    if (variance <= 0) return k <= std::lround(mu) ? 1.0 : 0.0;
    const double sigma = std::sqrt(variance);
    const double gamma = third / (variance * sigma);
    // P(X >= k) = 1 - P(X <= k - 1), written with the upper normal tail to keep small values exact.
    const double x = (k - 0.5 - mu) / sigma;
    const double upper = 0.5 * std::erfc(x * kInvSqrt2);
    const double density = kInvSqrt2Pi * std::exp(-0.5 * x * x);
    return Clamp01(upper - gamma * (1 - x * x) * density / 6);
}

double PoissonBinomialTail(std::span<const double> chances, int k) {
    return chances.size() <= static_cast<size_t>(kExactTailLimit) ? PoissonBinomialTailExact(chances, k)
                                                                   : PoissonBinomialTailApprox(chances, k);
}

RateInterval WilsonInterval(int hits, int periods, double z) {
    if (periods <= 0) return {};
    const double n = periods;
    const double p = std::clamp(static_cast<double>(hits) / n, 0.0, 1.0);
    const double z2 = z * z;
    const double denominator = 1 + z2 / n;
    const double centre = (p + z2 / (2 * n)) / denominator;
    const double half = z * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / denominator;
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

RunSignificance AssessRun(std::span<const JudgedPeriod> newestFirst) {
    RunSignificance s;
    s.periods = static_cast<int>(newestFirst.size());
    std::vector<double>& chances = s.chances;
    chances.reserve(newestFirst.size());
    for (const JudgedPeriod& p : newestFirst) {
        chances.push_back(Clamp01(p.chance));
        s.hits += p.hit ? 1 : 0;
        s.expectedHits += chances.back();
    }
    s.pValue = PoissonBinomialTail(chances, s.hits);
    s.rate = WilsonInterval(s.hits, s.periods);
    for (size_t i = 0; i < newestFirst.size() && newestFirst[i].hit; ++i) {
        ++s.hitRun;
        s.hitRunChance *= chances[i];
    }
    for (size_t i = 0; i < newestFirst.size() && !newestFirst[i].hit; ++i) {
        ++s.missRun;
        s.missRunChance *= 1 - chances[i];
    }
    return s;
}

std::vector<double> AdjustBenjaminiHochberg(std::span<const double> pValues) {
    const size_t m = pValues.size();
    std::vector<double> p(m);
    for (size_t i = 0; i < m; ++i) p[i] = Clamp01(pValues[i]);
    std::vector<size_t> order(m);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(m, 1.0);
    double running = 1;
    for (size_t r = m; r-- > 0;) {
        running = std::min(running, p[order[r]] * static_cast<double>(m) / static_cast<double>(r + 1));
        adjusted[order[r]] = running;
    }
    return adjusted;
}

double ThresholdChance(std::span<const double> chancesNewestFirst, int metricIndex, int comparisonIndex,
                       int threshold) {
    const std::vector<double> d = FigureDistribution(chancesNewestFirst, metricIndex);
    double total = 0;
    for (size_t v = 0; v < d.size(); ++v)
        if (MeetsThreshold(static_cast<int32_t>(v), comparisonIndex, threshold)) total += d[v];
    return std::min(total, 1.0);
}

}  // namespace qivra
