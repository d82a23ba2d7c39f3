#include "ui/window_views.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <string>

#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/sort_table.hpp"

namespace qivra {
namespace {

// The one place a control is looked up by its layout name.
template <class T>
T* Require(const QWidget& window, const std::string& name) {
    QWidget* found = window.findChild<QWidget*>(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    if (!found) throw LayoutError("layout row " + name + " is missing");
    T* typed = dynamic_cast<T*>(found);
    if (!typed)
        throw LayoutError("layout row " + name + " is a " + found->metaObject()->className() +
                          ", not the kind the program works with");
    return typed;
}

std::string Numbered(const char* stem, int n) { return stem + std::to_string(n); }

}  // namespace

MainWindowView ResolveMainWindowView(const QWidget& w) {
    MainWindowView v;
    v.caption = Require<ClickLabel>(w, "标签1");
    for (int i = 0; i < 3; ++i) v.digits[static_cast<size_t>(i)] = Require<ClickLabel>(w, Numbered("标签", 2 + i));
    v.sum = Require<ClickLabel>(w, "标签5");
    v.countdown = Require<ClickLabel>(w, "标签7");
    v.notice = Require<ClickLabel>(w, "标签8");
    v.announceDraws = Require<QCheckBox>(w, "选择框1");
    v.promptSounds = Require<QCheckBox>(w, "选择框4");
    v.streakAlarm = Require<QCheckBox>(w, "选择框3");
    v.updateNotes = Require<QPlainTextEdit>(w, "编辑框2");
    v.enableCustom = Require<QPushButton>(w, "按钮4");
    v.game = Require<QComboBox>(w, "组合框1");
    v.summaryGrid = Require<EGrid>(w, "高级表格1");
    v.historyDepth = Require<IntegerEdit>(w, "编辑框1");
    v.refresh = Require<QPushButton>(w, "按钮1");
    v.tabs = Require<TabBox>(w, "选择夹1");
    v.status = Require<StatusStrip>(w, "状态条1");

    v.freeGrid = Require<EGrid>(w, "高级表格2");
    v.namedGrid = Require<EGrid>(w, "高级表格4");
    v.namedStats = Require<ClickLabel>(w, "标签13");
    v.markMetric = Require<QComboBox>(w, "组合框2");
    v.markComparison = Require<QComboBox>(w, "组合框3");
    v.markThreshold = Require<QLineEdit>(w, "编辑框3");
    v.markColour = Require<ColourPicker>(w, "颜色选择器1");
    v.mark = Require<QPushButton>(w, "按钮3");
    v.autoMark = Require<QCheckBox>(w, "选择框5");
    v.markWindow = Require<QComboBox>(w, "组合框4");

    v.trendGrid = Require<EGrid>(w, "高级表格3");
    v.outcomeTable = Require<ReportListView>(w, "超级列表框1");

    v.streakThreshold = Require<QLineEdit>(w, "编辑框4");
    v.streakSound = Require<QCheckBox>(w, "选择框6");
    v.streakBalloon = Require<QCheckBox>(w, "选择框8");
    v.streakByFamily = Require<QRadioButton>(w, "单选框1");
    for (int i = 0; i < 7; ++i) v.streakFamilies[static_cast<size_t>(i)] = Require<QCheckBox>(w, Numbered("选择框", 9 + i));
    v.streakPairs = Require<QCheckBox>(w, "选择框16");

    v.statsWindow = Require<QComboBox>(w, "组合框5");
    v.generatorMode = Require<QComboBox>(w, "组合框6");
    v.searchCriterion = Require<QComboBox>(w, "组合框7");
    v.searchThreshold = Require<QLineEdit>(w, "编辑框9");
    for (int i = 0; i < 3; ++i) v.formulas[static_cast<size_t>(i)] = Require<QLineEdit>(w, Numbered("编辑框", 5 + i));
    v.algorithmName = Require<QLineEdit>(w, "编辑框8");
    v.algorithms = Require<ReportListView>(w, "超级列表框2");
    v.customGrid = Require<EGrid>(w, "高级表格5");

    v.significanceKind = Require<QComboBox>(w, "组合框20");
    v.significanceWindow = Require<QComboBox>(w, "组合框21");
    v.significanceSummary = Require<ClickLabel>(w, "标签20");
    v.significanceTable = Require<SortTable>(w, "统计表格1");

    for (int n = 1; n < MainWindowView::kLinkCount; ++n)
        if (n != 83) v.links[static_cast<size_t>(n)] = Require<HyperLinker>(w, Numbered("超级链接框", n));
    return v;
}

DrawPopupView ResolveDrawPopupView(const QWidget& w) {
    DrawPopupView v;
    v.title = Require<ClickLabel>(w, "标签1");
    v.heading = Require<ClickLabel>(w, "透明标签1");
    v.drawLine = Require<ClickLabel>(w, "标签2");
    v.historyLine = Require<ClickLabel>(w, "透明标签2");
    return v;
}

StreakAlarmView ResolveStreakAlarmView(const QWidget& w) {
    StreakAlarmView v;
    v.text = Require<ClickLabel>(w, "透明标签1");
    v.blink = Require<QCheckBox>(w, "选择框34");
    v.topmost = Require<QCheckBox>(w, "选择框1");
    v.close = Require<QPushButton>(w, "按钮1");
    return v;
}

}  // namespace qivra
