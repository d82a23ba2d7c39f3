#pragma once
// The 【历史回测】 page: its controls, built from a layout table onto a page appended to the main
// window's tab control, and the two charts (rolling accuracy against its chance band; each
// sum's frequency against its exact chance).

#include <QObject>
#include <QPointF>
#include <QString>

#include <array>
#include <vector>

class QAreaSeries;
class QBarSet;
class QChartView;
class QComboBox;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace qivra {

class ClickLabel;
class TabBox;

inline constexpr char kBacktestPageCaption[] = " 【 历史回测 】 ";

// Rolling accuracy with its chance baseline and the band the baseline leaves by chance 95 % of
// the time, each as (period, rate) points.
struct RollingSeries {
    std::vector<QPointF> accuracy;
    std::vector<QPointF> baseline;
    std::vector<QPointF> bandLow;
    std::vector<QPointF> bandHigh;
};

// Lives as long as the page it draws on (its parent).
class BacktestCharts : public QObject {
public:
    BacktestCharts(QChartView* rolling, QChartView* sums, QObject* parent);

    // Each series handed over whole (one replace per series).
    void ShowRolling(const RollingSeries& series, const QString& title);
    void ShowSums(const std::array<double, 28>& observed, const std::array<double, 28>& chance);
    void Clear();

    QChartView* Rolling() const { return rollingView_; }
    QChartView* Sums() const { return sumsView_; }
    int RollingPoints() const;  // points of the accuracy series
    int SumBars() const;

private:
    QChartView* rollingView_;
    QChartView* sumsView_;
    QLineSeries* accuracy_;
    QLineSeries* baseline_;
    QLineSeries* bandLow_;
    QLineSeries* bandHigh_;
    QAreaSeries* band_;
    QBarSet* observed_;
    QLineSeries* chance_;
};

struct BacktestPageView {
    int pageIndex = -1;              // the page's index in 选择夹1
    QWidget* page = nullptr;
    QComboBox* game = nullptr;       // 回测组合框1 开奖
    QComboBox* subject = nullptr;    // 回测组合框2 计划或算法
    QComboBox* kind = nullptr;       // 回测组合框3 玩法
    QRadioButton* rangeLast = nullptr;     // 回测单选框1 最近…期
    QLineEdit* lastCount = nullptr;        // 回测编辑框1
    QRadioButton* rangeBetween = nullptr;  // 回测单选框2 日期…至…
    QLineEdit* from = nullptr;             // 回测编辑框2
    QLineEdit* to = nullptr;               // 回测编辑框3
    QRadioButton* rangeAll = nullptr;      // 回测单选框3 全部
    QLineEdit* window = nullptr;           // 回测编辑框4 滚动窗口
    QPushButton* start = nullptr;          // 回测按钮1 开始回测
    QPushButton* cancel = nullptr;         // 回测按钮2 取消
    QProgressBar* progress = nullptr;      // 回测进度条1
    ClickLabel* results = nullptr;         // 回测标签1
    ClickLabel* archiveInfo = nullptr;     // 回测标签2
    QPushButton* importCsv = nullptr;      // 回测按钮3 导入CSV
    QPushButton* exportCsv = nullptr;      // 回测按钮4 导出CSV
    BacktestCharts* charts = nullptr;      // 回测图表1, 回测图表2 (owned by the page widget)
};

// Appends the page to the tab control (after whatever pages it has) and builds its controls.
// Throws LayoutError when a row is missing or of another kind.
BacktestPageView BuildBacktestPage(QWidget& window, TabBox& tabs);

}  // namespace qivra
