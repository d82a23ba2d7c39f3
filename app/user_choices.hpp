#pragma once
// What the user chose in the main window. The program holds the one copy: widgets show it and
// report edits (the event map turns their change signals into Program::ReportChoice), and the
// pages read it from here, never from a widget.

#include <array>
#include <string>

#include "core/colour.hpp"
#include "core/draw_clock.hpp"

namespace qivra {

struct UserChoices {
    int game = kGameCanada28;            // 组合框1 选择开奖
    std::string historyDepth = "100";    // 编辑框1 期数, as typed (only 100 is accepted)
    bool announceDraws = false;          // 选择框1 开奖提示
    bool promptSounds = false;           // 选择框4 提示音

    // 【预测显示】 and 【会员计划】: the chosen plan and play type of each page (1-based).
    int freePlan = 1;
    int freeKind = 1;
    int namedPlan = 1;
    int namedKind = 1;
    int markMetric = 2;                  // 组合框2: 正确 错误 正确率 当前连中 当前连挂
    int markComparison = 0;              // 组合框3: ≥ ≤ ＞ ＜
    std::string markThreshold = "80";    // 编辑框3
    Rgb markColour = colours::kRed;      // 颜色选择器1
    bool autoMark = true;                // 选择框5
    std::string markWindow = "20";       // 组合框4, the periods counted

    // 【火车报警】
    std::string streakThreshold = "3";   // 编辑框4
    bool streakSound = true;             // 选择框6
    bool streakBalloon = true;           // 选择框8
    bool streakByFamily = true;          // 单选框1 统计类型①
    std::array<bool, 7> streakFamilies{true, true, true, true, true, true, true};  // 选择框9..15
    bool streakPairs = true;             // 选择框16

    // 【自定义算法】
    int customKind = 0;                  // 超级链接框74..81; 0 until the page is switched on
    int startCustomKind = 1;             // the kind the page takes when switched on: the last one chosen
    std::string statsWindow = "20";      // 组合框5
    int generatorMode = 1;               // 组合框6: 混合算法 简易算法
    int searchCriterion = 0;             // 组合框7
    std::string searchThreshold = "15";  // 编辑框9
    std::array<std::string, 3> formulas{"[1]+[8]+[9]+[12]/[8]*[6]", "[9]+[5]+2+[2]", "[1]*[9]+[5]/[2]+[10]"};  // 编辑框5..7
    std::string algorithmName = "Qivra超神算法";  // 编辑框8

    // 【统计检验】
    int significanceKind = 1;                   // 组合框20, index 0..8 in the named-view order: 大小
    std::string significanceWindow = "100";     // 组合框21, the periods counted

    friend bool operator==(const UserChoices&, const UserChoices&) = default;
};

}  // namespace qivra
