#include "alerts/draw_popup_text.hpp"

#include "core/classify.hpp"
#include "core/text.hpp"

#include <algorithm>

namespace qivra {

PopupTexts FillDrawPopupTexts(const DrawHistory& history, const std::string& mainCaption) {
    PopupTexts texts;
    texts.title = mainCaption;
    texts.historyLine = "历史：";
    if (history.empty()) return texts;

    const DrawRecord& newest = history.newest();
    texts.drawLine = newest.content + " " + CombinationText(newest.sum);
    for (int k = std::min(history.size(), 10); k >= 1; --k) texts.historyLine += TwoDigitText(history.at(k).sum) + " ";
    return texts;
}

std::string PopupCountdownCaption(int ticks) {
    return "  Qivra28开奖提示:  双击关闭 " + std::to_string(10 - ticks) + "s后自动关闭";
}

bool PopupShouldClose(int ticks) { return ticks >= kPopupCloseTick; }

Point PopupPosition(int screenW, int screenH, int winW, int winH) {
    return {screenW - winW - 20, screenH - winH - 80};
}

Point StreakBalloonPoint(int screenW, int screenH) { return {screenW, screenH - 80}; }

bool IsNewPeriod(const std::string& previousCaption, const std::string& newestPeriod) {
    if (newestPeriod.empty()) return false;
    return TextBetween(previousCaption, "第", "期") != newestPeriod;
}

}  // namespace qivra
