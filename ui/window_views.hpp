#pragma once
// The typed view of each window: every control the program works with, resolved once when the
// window is created. A layout row that is missing, or of another kind than the view expects,
// fails the window's creation with a LayoutError, so a renamed row breaks a test rather than a
// click. Outside these resolvers no code looks a control up by its layout name.

#include <QWidget>

#include <array>
#include <stdexcept>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace qivra {

class ClickLabel;
class ColourPicker;
class EGrid;
class HyperLinker;
class IntegerEdit;
class ReportListView;
class SortTable;
class StatusStrip;
class TabBox;

class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct MainWindowView {
    // Draw panel, notice and option strips.
    ClickLabel* caption = nullptr;                // 标签1 "幸运28 第…期"
    std::array<ClickLabel*, 3> digits{};          // 标签2..标签4
    ClickLabel* sum = nullptr;                    // 标签5
    ClickLabel* countdown = nullptr;              // 标签7
    ClickLabel* notice = nullptr;                 // 标签8
    QCheckBox* announceDraws = nullptr;           // 选择框1 开奖提示
    QCheckBox* promptSounds = nullptr;            // 选择框4 提示音
    QCheckBox* streakAlarm = nullptr;             // 选择框3 火车报警: ticked and disabled while its window is open
    QPlainTextEdit* updateNotes = nullptr;        // 编辑框2
    QPushButton* enableCustom = nullptr;          // 按钮4 开启自定义算法
    QComboBox* game = nullptr;                    // 组合框1 选择开奖
    EGrid* summaryGrid = nullptr;                 // 高级表格1
    IntegerEdit* historyDepth = nullptr;          // 编辑框1 期数
    QPushButton* refresh = nullptr;               // 按钮1 刷新
    TabBox* tabs = nullptr;                       // 选择夹1
    StatusStrip* status = nullptr;                // 状态条1

    // 【预测显示】 and 【会员计划】
    EGrid* freeGrid = nullptr;                    // 高级表格2
    EGrid* namedGrid = nullptr;                   // 高级表格4
    ClickLabel* namedStats = nullptr;             // 标签13
    QComboBox* markMetric = nullptr;              // 组合框2
    QComboBox* markComparison = nullptr;          // 组合框3
    QLineEdit* markThreshold = nullptr;           // 编辑框3
    ColourPicker* markColour = nullptr;           // 颜色选择器1
    QPushButton* mark = nullptr;                  // 按钮3 标记
    QCheckBox* autoMark = nullptr;                // 选择框5 开启自动标记
    QComboBox* markWindow = nullptr;              // 组合框4 统计

    // 【走势统计】
    EGrid* trendGrid = nullptr;                   // 高级表格3
    ReportListView* outcomeTable = nullptr;       // 超级列表框1

    // 【火车报警】
    QLineEdit* streakThreshold = nullptr;         // 编辑框4
    QCheckBox* streakSound = nullptr;             // 选择框6
    QCheckBox* streakBalloon = nullptr;           // 选择框8
    QRadioButton* streakByFamily = nullptr;       // 单选框1 统计类型①
    std::array<QCheckBox*, 7> streakFamilies{};   // 选择框9..选择框15
    QCheckBox* streakPairs = nullptr;             // 选择框16 对子

    // 【自定义算法】
    QComboBox* statsWindow = nullptr;             // 组合框5 (hidden; 超级链接框89 drops it down)
    QComboBox* generatorMode = nullptr;           // 组合框6
    QComboBox* searchCriterion = nullptr;         // 组合框7
    QLineEdit* searchThreshold = nullptr;         // 编辑框9
    std::array<QLineEdit*, 3> formulas{};         // 编辑框5..编辑框7
    QLineEdit* algorithmName = nullptr;           // 编辑框8
    ReportListView* algorithms = nullptr;         // 超级列表框2
    EGrid* customGrid = nullptr;                  // 高级表格5

    // 【统计检验】
    QComboBox* significanceKind = nullptr;        // 组合框20 玩法
    QComboBox* significanceWindow = nullptr;      // 组合框21 统计
    ClickLabel* significanceSummary = nullptr;    // 标签20
    SortTable* significanceTable = nullptr;       // 统计表格1

    // 超级链接框n at index n; the layout has no 超级链接框83.
    static constexpr int kLinkCount = 103;
    std::array<HyperLinker*, kLinkCount> links{};
    HyperLinker* Link(int number) const {
        return number > 0 && number < kLinkCount ? links[static_cast<size_t>(number)] : nullptr;
    }
};

struct DrawPopupView {
    ClickLabel* title = nullptr;        // 标签1, the countdown caption
    ClickLabel* heading = nullptr;      // 透明标签1 "幸运28 第…期"
    ClickLabel* drawLine = nullptr;     // 标签2
    ClickLabel* historyLine = nullptr;  // 透明标签2
};

struct StreakAlarmView {
    ClickLabel* text = nullptr;  // 透明标签1
    QCheckBox* blink = nullptr;  // 选择框34
    QCheckBox* topmost = nullptr;  // 选择框1
    QPushButton* close = nullptr;  // 按钮1
};

// Each throws LayoutError naming the first row that is missing or of another kind.
MainWindowView ResolveMainWindowView(const QWidget& window);
DrawPopupView ResolveDrawPopupView(const QWidget& window);
StreakAlarmView ResolveStreakAlarmView(const QWidget& window);

}  // namespace qivra
