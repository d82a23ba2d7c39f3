#pragma once
// The short texts that put a figure beside its chance: plan-link and list tooltips, the search's
// final status line and the cells of 【统计检验】.

#include <cstdint>
#include <string>

#include "stats/judged_runs.hpp"
#include "stats/significance.hpp"

namespace qivra {

// A share as a percentage: "50%", "72.5%" (one decimal when it is not whole).
std::string PercentText(double fraction);
// "0.012"; "<0.001" below a thousandth.
std::string PValueText(double p);
// The truncated percentage the views call 正确率: hits x 100 / periods.
int AccuracyOf(const RunSignificance& run);

// "准确率 75%（机会 50%）p=0.012，校正后 0.090", and "，优于机会" when the adjusted value is
// below the false-discovery rate; "暂无可统计的期数" without periods.
std::string FiguresHint(const RunSignificance& run, double adjusted);

// What a found search candidate reads with: its hits in and out of the periods it was found on
// and how many of the tried candidates chance alone would have brought to the threshold.
// "样本内：15/20（随机期望10.0），样本外：45/80（随机期望40.0），随机可达：约12.3个"
std::string SearchFiguresText(const OutOfSampleCheck& check, double byChance);
// "随机达到阈值的期望个数：约12.3个（共试2000000个）"
std::string ByChanceHint(double byChance, uint64_t tried);

}  // namespace qivra
