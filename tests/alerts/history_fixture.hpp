#pragma once
// Small histories for the alert tests, newest draw first.

#include "core/draw.hpp"

#include <array>
#include <string>
#include <vector>

namespace qivra::test {

using Digits = std::array<int, 3>;

inline DrawHistory HistoryOf(const std::vector<Digits>& newestFirst) {
    DrawHistory h;
    int period = 1000 + static_cast<int>(newestFirst.size());
    for (const Digits& d : newestFirst) h.push_back(DrawRecord::Make(std::to_string(period--), "12:00", d[0], d[1], d[2]));
    return h;
}

// Digits with the given sum that form neither a pair nor a triple where possible.
inline Digits DigitsForSum(int sum) {
    for (int a = 0; a <= 9; ++a)
        for (int b = a + 1; b <= 9; ++b) {
            const int c = sum - a - b;
            if (c > b && c <= 9) return {a, b, c};
        }
    for (int a = 0; a <= 9; ++a)
        for (int b = 0; b <= 9; ++b) {
            const int c = sum - a - b;
            if (c >= 0 && c <= 9) return {a, b, c};
        }
    return {0, 0, 0};
}

inline DrawHistory HistoryOfSums(const std::vector<int>& newestFirst) {
    std::vector<Digits> digits;
    for (int s : newestFirst) digits.push_back(DigitsForSum(s));
    return HistoryOf(digits);
}

}  // namespace qivra::test
