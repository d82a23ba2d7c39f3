#include "alerts/streak_alarm.hpp"

#include "core/classify.hpp"
#include "core/text.hpp"

#include <algorithm>

namespace qivra {

std::string StreakValueText(AlarmCategory family, const DrawRecord& draw) {
    const int s = draw.sum;
    switch (family) {
        case AlarmCategory::Size: return SizeText(s);
        case AlarmCategory::Parity: return ParityText(s);
        case AlarmCategory::Combination: return CombinationText(s);
        case AlarmCategory::MiddleEdge: return MiddleEdgeText(s);
        case AlarmCategory::Mod3: return "3N" + std::to_string(Mod3(s));
        case AlarmCategory::Mod4: return "4N" + std::to_string(Mod4(s));
        case AlarmCategory::Mod5: return "5N" + std::to_string(Mod5(s));
        case AlarmCategory::Pair: return IsPair(draw.digit1, draw.digit2, draw.digit3) ? "对子" : "";
    }
    return {};
}

namespace {

int OutcomeRun(const DrawHistory& history, AlarmCategory family, const std::string& value, int depth) {
    int run = 1;
    for (int i = 2; i <= depth; ++i) {
        if (StreakValueText(family, history.at(i)) != value) break;
        ++run;
    }
    return run;
}

// A triple is transparent to a run of pairs: it neither extends nor ends it.
int PairRun(const DrawHistory& history, int depth) {
    int run = 1;
    for (int i = 2; i <= depth; ++i) {
        const DrawRecord& d = history.at(i);
        if (IsTriple(d.digit1, d.digit2, d.digit3)) continue;
        if (!IsPair(d.digit1, d.digit2, d.digit3)) break;
        ++run;
    }
    return run;
}

}  // namespace

std::string ScanStreaks(const DrawHistory& history, const StreakOptions& options) {
    if (history.empty()) return {};
    const int depth = std::min(history.size(), kStreakScanDepth);
    const DrawRecord& newest = history.newest();

    std::string text;
    auto report = [&](const std::string& value, int run) {
        if (run >= options.threshold) text += "【" + value + "】 已连开：【" + std::to_string(run) + "】期 \r\n\r\n";
    };
    for (size_t f = 0; f < options.families.size(); ++f) {
        if (!options.families[f]) continue;
        const auto family = static_cast<AlarmCategory>(f);
        const std::string value = StreakValueText(family, newest);
        report(value, OutcomeRun(history, family, value, depth));
    }
    if (options.pairs && IsPair(newest.digit1, newest.digit2, newest.digit3)) report("对子", PairRun(history, depth));
    return text;
}

std::string AlarmCaption(const std::string& alarmText) { return "Qivra火车报警：\r\n\r\n" + alarmText; }

std::string BalloonText(const std::string& alarmText) { return ReplaceAll(alarmText, "\r\n", ""); }

}  // namespace qivra
