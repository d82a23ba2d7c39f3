#include "service/draw_bias.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "service/draw_schedule.hpp"

namespace qivra {
namespace {


// The 1,000 triples a*100 + b*10 + c, split into those below fromSum and the rest.
struct Sides {
    std::vector<int> low, high;
};

const Sides& SidesFrom(int fromSum) {
    static const std::array<Sides, 28> all = [] {
        std::array<Sides, 28> out;
        for (int from = 0; from < 28; ++from)
            for (int t = 0; t < 1000; ++t) {
                const int sum = t / 100 + t / 10 % 10 + t % 10;
                (sum >= from ? out[static_cast<size_t>(from)].high : out[static_cast<size_t>(from)].low).push_back(t);
            }
        return out;
    }();
    return all[static_cast<size_t>(fromSum)];
}

std::optional<double> ParseNumber(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

std::optional<DrawBias> ParseDrawBias(std::string_view text) {
    const size_t first = text.find(':');
    if (first == std::string_view::npos) return std::nullopt;
    const size_t second = text.find(':', first + 1);
    const auto game = ParseNumber(text.substr(0, first));
    const auto probability =
        ParseNumber(text.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
    std::optional<double> from = 14.0;
    if (second != std::string_view::npos) from = ParseNumber(text.substr(second + 1));
    if (!game || !probability || !from) return std::nullopt;
    if ((*game != 0 && *game != 1) || *probability < 0 || *probability > 1) return std::nullopt;
    if (*from != std::floor(*from) || *from < 1 || *from > 27) return std::nullopt;
    DrawBias bias;
    bias.game = static_cast<int>(*game);
    bias.probability = *probability;
    bias.fromSum = static_cast<int>(*from);
    return bias;
}

std::string DrawBiasText(const DrawBias& bias) {
    if (!bias.Active()) return "off";
    char buf[128];
    std::snprintf(buf, sizeof buf, "game %d: sums of %d and more drawn with probability %g", bias.game, bias.fromSum,
                  bias.probability);
    return buf;
}

void BiasedDrawDigits(uint64_t seed, int game, int64_t period, const DrawBias& bias, int& a, int& b, int& c) {
    if (!bias.Active() || game != bias.game) {
        DrawDigits(seed, game, period, a, b, c);
        return;
    }
    const uint64_t h = SplitMix64(SplitMix64(seed ^ 0xB1A5ull ^ (static_cast<uint64_t>(game) << 56)) ^ static_cast<uint64_t>(period));
    // 53 bits for the side, the rest of a second hash for the triple.
    const double u = static_cast<double>(h >> 11) * 0x1.0p-53;
    const Sides& sides = SidesFrom(bias.fromSum);
    const std::vector<int>& side = u < bias.probability ? sides.high : sides.low;
    const int t = side[static_cast<size_t>(SplitMix64(h) % side.size())];
    a = t / 100;
    b = t / 10 % 10;
    c = t % 10;
}

}  // namespace qivra
