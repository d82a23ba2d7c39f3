#pragma once
// The 25-row outcome table of the trend-statistics page: how often each outcome came up
// over the shown draws, and what share of them that is.

#include "core/draw.hpp"

#include <array>
#include <string>

namespace qivra {

inline constexpr int kOutcomeRowCount = 25;

struct OutcomeRow {
    std::string count;  // decimal text
    std::string share;  // "%.13g" of count / n * 100, then "%"
    friend bool operator==(const OutcomeRow&, const OutcomeRow&) = default;
};

// The 类型 captions, in row order.
const std::array<std::string, kOutcomeRowCount>& OutcomeRowCaptions();

// Counts draws 1..n (n capped at the history size). The share divides by the draws actually
// counted; with none counted every row reads "0" and "0%".
std::array<OutcomeRow, kOutcomeRowCount> UpdateOutcomeStats(const DrawHistory& history, int n);

}  // namespace qivra
