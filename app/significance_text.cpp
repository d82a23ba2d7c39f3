#include "app/significance_text.hpp"

#include <cmath>
#include <cstdio>

namespace qivra {
namespace {

std::string Format(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

std::string PercentText(double fraction) {
    const double tenths = std::round(fraction * 1000.0);
    if (std::fmod(tenths, 10.0) == 0) return Format("%.0f%%", tenths / 10.0);
    return Format("%.1f%%", tenths / 10.0);
}

std::string PValueText(double p) {
    if (std::isnan(p)) return "1.000";
    if (p < 0.001) return "<0.001";
    return Format("%.3f", p);
}

int AccuracyOf(const RunSignificance& run) {
    return run.periods > 0 ? static_cast<int>(int64_t{run.hits} * 100 / run.periods) : 0;
}

std::string FiguresHint(const RunSignificance& run, double adjusted) {
    if (run.periods <= 0) return "暂无可统计的期数";
    std::string text = "准确率 " + std::to_string(AccuracyOf(run)) + "%（机会 " + PercentText(run.ChanceRate()) +
                       "）p=" + PValueText(run.pValue) + "，校正后 " + PValueText(adjusted);
    if (BetterThanChance(adjusted)) text += "，优于机会";
    return text;
}

std::string SearchFiguresText(const OutOfSampleCheck& check, double byChance) {
    return InSampleText(check) + "，" + OutOfSampleText(check) + "，" + ByChanceText(byChance);
}

std::string ByChanceHint(double byChance, uint64_t tried) {
    return "随机达到阈值的期望个数：约" + Format("%.1f", byChance) + "个（共试" + std::to_string(tried) + "个）";
}

}  // namespace qivra
