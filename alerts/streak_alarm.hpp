#pragma once
// The streak alarm: runs of one outcome among the newest draws, reported as the alarm text.

#include "core/draw.hpp"

#include <array>
#include <string>

namespace qivra {

// Families in report order; the first seven follow the trend grid's columns.
enum class AlarmCategory { Size, Parity, Combination, MiddleEdge, Mod3, Mod4, Mod5, Pair };

inline constexpr int kStreakScanDepth = 21;  // the newest draw and the 20 before it

struct StreakOptions {
    int threshold = 3;  // IntegerValue of the threshold box; a non-number is 0
    // 大小 单双 组合 中边 三余 四余 五余, ticked
    std::array<bool, 7> families{};
    // 对子: an unticked box silences the pair family.
    bool pairs = true;
};

// The value text a family shows for one draw ("大", "小双", "3N1", "对子" ...); empty for a draw
// that is not a pair in the pair family.
std::string StreakValueText(AlarmCategory family, const DrawRecord& draw);

// The report lines, "【value】 已连开：【run】期 \r\n\r\n" per family whose run from the newest
// draw reaches the threshold; empty when none does or the history is empty.
std::string ScanStreaks(const DrawHistory& history, const StreakOptions& options);

// The alarm window's caption for a report.
std::string AlarmCaption(const std::string& alarmText);
// The balloon text: the report with its line breaks removed.
std::string BalloonText(const std::string& alarmText);

}  // namespace qivra
