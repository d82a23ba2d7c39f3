#pragma once
// The texts, position and countdown of the new-draw popup.

#include "core/draw.hpp"

#include <string>

namespace qivra {

struct PopupTexts {
    std::string title;        // 透明标签1: the main window's period caption
    std::string drawLine;     // 标签2: "a + b + c = ss 大双"
    std::string historyLine;  // 透明标签2: "历史：" and the last ten sums, oldest first
};

// With fewer than ten draws the history line holds the sums there are; an empty history
// gives an empty draw line and "历史：".
PopupTexts FillDrawPopupTexts(const DrawHistory& history, const std::string& mainCaption);

inline constexpr int kPopupWidth = 325;
inline constexpr int kPopupHeight = 159;
inline constexpr int kPopupCloseTick = 11;

// The 标签1 caption after a tick: counts down from 9 at tick 1 to 0 at tick 10.
std::string PopupCountdownCaption(int ticks);
bool PopupShouldClose(int ticks);

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// Top-left corner 20 px from the right edge and 80 px above the bottom edge.
Point PopupPosition(int screenW, int screenH, int winW = kPopupWidth, int winH = kPopupHeight);
// Where the streak balloon points.
Point StreakBalloonPoint(int screenW, int screenH);

// True when the newest period differs from the one in the caption the main panel showed
// before the refresh ("… 第<period>期"). An empty newest period (no history) is never new.
bool IsNewPeriod(const std::string& previousCaption, const std::string& newestPeriod);

}  // namespace qivra
