#pragma once
// One draw of a "28" game and the history of recent draws.

#include <cstdint>
#include <string>
#include <vector>

namespace qivra {

struct DrawRecord {
    std::string period;   // digits as the feed gives them
    std::string time;     // HH:MM for game 0, the feed's whole time text for game 1
    int32_t digit1 = 0;
    int32_t digit2 = 0;
    int32_t digit3 = 0;
    int32_t sum = 0;      // computed from the digits, never taken from the feed
    std::string content;  // FormatDrawContent of the digits

    // Builds a record with its sum and content computed from the digits.
    static DrawRecord Make(std::string period, std::string time, int32_t a, int32_t b, int32_t c);
};

// Element 1 is the newest draw; each following element is one period older.
class DrawHistory {
public:
    DrawHistory() = default;
    explicit DrawHistory(std::vector<DrawRecord> newestFirst) : draws_(std::move(newestFirst)) {}

    int size() const { return static_cast<int>(draws_.size()); }
    bool empty() const { return draws_.empty(); }
    // 1-based; i must lie in 1..size().
    const DrawRecord& at(int i) const { return draws_.at(static_cast<size_t>(i - 1)); }
    const DrawRecord& newest() const { return at(1); }
    void push_back(DrawRecord d) { draws_.push_back(std::move(d)); }
    const std::vector<DrawRecord>& records() const { return draws_; }

private:
    std::vector<DrawRecord> draws_;
};

// The history holds this many draws beyond the shown depth, for plans that look back.
inline constexpr int kHistoryLookback = 10;
inline constexpr int kDefaultHistoryDepth = 100;

}  // namespace qivra

#include <array>

namespace qivra {

// The values [1]..[18] that plan definitions and formulas read: the digits of base draw i
// and the draws after it (older), three per draw, newest first.
using FormulaPositions = std::array<int32_t, 18>;

// Fills positions from draws i .. i + count - 1 (count 4 for plans, 6 for formulas); entries
// beyond them keep their value. Returns false, changing nothing, when the history lacks a draw.
bool LoadFormulaPositions(const DrawHistory& history, int i, int count, FormulaPositions& positions);

}  // namespace qivra
