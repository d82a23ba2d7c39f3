#include "alerts/outcome_stats.hpp"

#include "core/classify.hpp"
#include "core/text.hpp"

#include <algorithm>

namespace qivra {

const std::array<std::string, kOutcomeRowCount>& OutcomeRowCaptions() {
    static const std::array<std::string, kOutcomeRowCount> captions = {
        "大",  "小",  "单",  "双",  "中",  "边",  "小单", "小双", "大双", "大单", "极大", "极小", "豹子",
        "3N0", "3N1", "3N2", "4N0", "4N1", "4N2", "4N3",  "5N0",  "5N1",  "5N2",  "5N3",  "5N4"};
    return captions;
}

std::array<OutcomeRow, kOutcomeRowCount> UpdateOutcomeStats(const DrawHistory& history, int n) {
    const int counted = std::clamp(n, 0, history.size());
    std::array<int, kOutcomeRowCount> counts{};
    for (int i = 1; i <= counted; ++i) {
        const DrawRecord& d = history.at(i);
        const int s = d.sum;
        const std::string combination = CombinationText(s);
        const std::string extreme = ExtremeText(s);
        ++counts[SizeText(s) == "大" ? 0 : 1];
        ++counts[ParityText(s) == "单" ? 2 : 3];
        ++counts[MiddleEdgeText(s) == "中" ? 4 : 5];
        if (combination == "小单") ++counts[6];
        if (combination == "小双") ++counts[7];
        if (combination == "大双") ++counts[8];
        if (combination == "大单") ++counts[9];
        if (extreme == "极大") ++counts[10];
        if (extreme == "极小") ++counts[11];
        if (IsTriple(d.digit1, d.digit2, d.digit3)) ++counts[12];
        // Sums are never negative, but a corrupt record must not index outside the table.
        const int m3 = Mod3(s), m4 = Mod4(s), m5 = Mod5(s);
        if (m3 >= 0) ++counts[13 + m3];
        if (m4 >= 0) ++counts[16 + m4];
        if (m5 >= 0) ++counts[20 + m5];
    }

    std::array<OutcomeRow, kOutcomeRowCount> rows;
    for (int r = 0; r < kOutcomeRowCount; ++r) {
        rows[r].count = std::to_string(counts[r]);
        const double share = counted > 0 ? static_cast<double>(counts[r]) / counted * 100.0 : 0.0;
        rows[r].share = NumberText(share) + "%";
    }
    return rows;
}

}  // namespace qivra
