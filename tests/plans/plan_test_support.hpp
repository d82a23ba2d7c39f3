#pragma once
// A grid that remembers the last text and colour written to each cell, and small histories.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/draw.hpp"
#include "plans/prediction.hpp"

namespace qivra::testing {

class RecordingSink : public CellSink {
public:
    void SetCellText(int row, int column, const std::string& text) override {
        texts[{row, column}] = text;
        ++writes;
    }
    void SetCellTextColour(int row, int column, Rgb colour) override {
        colours[{row, column}] = colour;
        ++writes;
    }
    std::optional<std::string> Text(int row, int column) const {
        auto it = texts.find({row, column});
        return it == texts.end() ? std::nullopt : std::optional(it->second);
    }
    std::optional<Rgb> Colour(int row, int column) const {
        auto it = colours.find({row, column});
        return it == colours.end() ? std::nullopt : std::optional(it->second);
    }
    int MaxRow() const {
        int r = -1;
        for (const auto& [cell, text] : texts) r = std::max(r, cell.first);
        for (const auto& [cell, colour] : colours) r = std::max(r, cell.first);
        return r;
    }

    std::map<std::pair<int, int>, std::string> texts;
    std::map<std::pair<int, int>, Rgb> colours;
    int writes = 0;
};

struct Digits {
    int a, b, c;
};

// Newest first; the newest draw gets period newestPeriod, each older one a period less.
inline DrawHistory MakeHistory(const std::vector<Digits>& digits, int newestPeriod = 3000000) {
    DrawHistory h;
    for (size_t i = 0; i < digits.size(); ++i) {
        const int period = newestPeriod - static_cast<int>(i);
        const int minute = static_cast<int>(59 - i % 60);
        std::string time = "12:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute) + ":30";
        h.push_back(DrawRecord::Make(std::to_string(period), time, digits[i].a, digits[i].b, digits[i].c));
    }
    return h;
}

// A varied, repeatable history of `count` draws.
inline DrawHistory MixedHistory(int count, int newestPeriod = 3000000) {
    std::vector<Digits> digits;
    unsigned x = 12345;
    for (int i = 0; i < count; ++i) {
        x = x * 1103515245u + 12345u;
        const unsigned v = x >> 8;
        digits.push_back({static_cast<int>(v % 10), static_cast<int>(v / 10 % 10), static_cast<int>(v / 100 % 10)});
    }
    return MakeHistory(digits, newestPeriod);
}

// A file of the source tree, by its path from the top; empty when it cannot be read.
inline std::string ReadSourceFile(const std::string& relative) {
    // The test data folder is tests/data; its parent's parent is the top of the tree.
    const std::filesystem::path top = std::filesystem::path(QIVRA_TEST_DATA_DIR).parent_path().parent_path();
    std::ifstream in(top / relative, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace qivra::testing
