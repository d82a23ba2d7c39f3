#pragma once
// A results service that draws unfairly on purpose, for demonstrations and tests of the
// significance figures: one game's draws come out with a high sum more often than chance.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qivra {

struct DrawBias {
    int game = -1;            // the biased game, 0 or 1; any other value: every game is fair
    int fromSum = 14;         // sums fromSum..27 count as high
    double probability = 0;   // the chance a draw of that game has a high sum

    bool Active() const { return (game == 0 || game == 1) && fromSum >= 1 && fromSum <= 27; }
};

// "GAME:P" or "GAME:P:FROM", e.g. "0:0.6" (sums of 14 and more with probability 0.6 in game 0)
// or "1:0.3:20"; nullopt for anything else (P must lie in 0..1, FROM in 1..27).
std::optional<DrawBias> ParseDrawBias(std::string_view text);

// "game 0: sums of 14 and more drawn with probability 0.6"; "off" when inactive.
std::string DrawBiasText(const DrawBias& bias);

// The digits of a draw. A fair game (or an inactive bias) gives DrawDigits' digits unchanged.
// A biased game first decides high or low with the bias's probability, then takes a triple
// uniformly among those of that side, both from a hash of (seed, game, period): the same
// period always gives the same digits, and a probability equal to the fair share of high sums
// gives the fair distribution.
void BiasedDrawDigits(uint64_t seed, int game, int64_t period, const DrawBias& bias, int& a, int& b, int& c);

}  // namespace qivra
