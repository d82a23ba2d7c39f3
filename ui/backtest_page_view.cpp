#include "ui/backtest_page_view.hpp"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QValueAxis>

#include <algorithm>
#include <string>

#include "ui/controls.hpp"
#include "ui/layout_table.hpp"
#include "ui/qt_support.hpp"
#include "ui/window_views.hpp"

namespace qivra {
namespace {

using enum ControlKind;
using namespace colours;

std::vector<ControlRow> PageRows(const std::string& p) {
    return {
        // name, kind, parent, left, top, width, height, text, flags, text colour, background, items, selected
        {"回测透明标签1", TransLabel, p, 8, 40, 64, 24, "开奖："},
        {"回测组合框1", ComboBox, p, 72, 40, 144, 25, "", 0, {}, {}, "PC蛋蛋幸运28|加拿大夜场28", 1},
        {"回测透明标签2", TransLabel, p, 8, 72, 64, 24, "对象："},
        {"回测组合框2", ComboBox, p, 72, 72, 232, 25},
        {"回测透明标签3", TransLabel, p, 8, 104, 64, 24, "玩法："},
        {"回测组合框3", ComboBox, p, 72, 104, 144, 25, "", 0, {}, {}, "组合|大小|单双|杀组|杀3N|杀4N|双组|双项|杀双组", 0},
        {"回测单选框1", RadioBox, p, 8, 136, 56, 24, "最近", kTicked},
        {"回测编辑框1", EditBox, p, 72, 136, 72, 24, "1000", kIntegerOnly},
        {"回测透明标签4", TransLabel, p, 152, 136, 24, 24, "期"},
        {"回测单选框2", RadioBox, p, 8, 168, 56, 24, "日期"},
        {"回测编辑框2", EditBox, p, 72, 168, 136, 24, ""},
        {"回测透明标签5", TransLabel, p, 212, 168, 16, 24, "至"},
        {"回测编辑框3", EditBox, p, 232, 168, 136, 24, ""},
        {"回测单选框3", RadioBox, p, 8, 200, 96, 24, "全部存档"},
        {"回测透明标签6", TransLabel, p, 8, 232, 72, 24, "滚动窗口："},
        {"回测编辑框4", EditBox, p, 80, 232, 56, 24, "100", kIntegerOnly},
        {"回测透明标签7", TransLabel, p, 144, 232, 24, 24, "期"},
        {"回测按钮1", Button, p, 8, 264, 96, 28, "开始回测"},
        {"回测按钮2", Button, p, 112, 264, 64, 28, "取消", kDisabled},
        {"回测标签1", Label, p, 8, 328, 400, 120, "", kMultiLine | kLeftAligned, kNavy},
        {"回测标签2", Label, p, 8, 456, 400, 88, "", kMultiLine | kLeftAligned, kMaroon},
        {"回测按钮3", Button, p, 8, 552, 88, 28, "导入CSV"},
        {"回测按钮4", Button, p, 104, 552, 88, 28, "导出CSV"},
    };
}

template <class T>
T* Require(const QWidget& page, const char* name) {
    QWidget* found = page.findChild<QWidget*>(QString::fromUtf8(name));
    if (!found) throw LayoutError(std::string("layout row ") + name + " is missing");
    T* typed = dynamic_cast<T*>(found);
    if (!typed)
        throw LayoutError(std::string("layout row ") + name + " is a " + found->metaObject()->className() +
                          ", not the kind the program works with");
    return typed;
}

void Name(QWidget* w, const char* name, const char* spoken) {
    w->setObjectName(QString::fromUtf8(name));
    w->setAccessibleDescription(w->objectName());
    w->setAccessibleName(QString::fromUtf8(spoken));
}

QChartView* MakeChartView(QWidget* page, const char* name, const char* spoken, int left, int top, int width,
                          int height) {
    auto* chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(2, 2, 2, 2));
    auto* view = new QChartView(chart, page);  // the view owns its chart
    Name(view, name, spoken);
    view->setRenderHint(QPainter::Antialiasing, false);
    view->setGeometry(left, top - TabBox::kHeaderHeight, width, height);
    return view;
}

QLineSeries* Line(const char* name, const QColor& colour, Qt::PenStyle style = Qt::SolidLine) {
    auto* series = new QLineSeries();
    series->setName(QString::fromUtf8(name));
    QPen pen(colour);
    pen.setStyle(style);
    pen.setWidth(1);
    series->setPen(pen);
    return series;
}

void Replace(QLineSeries* series, const std::vector<QPointF>& points) {
    series->replace(QList<QPointF>(points.begin(), points.end()));
}

}  // namespace

BacktestCharts::BacktestCharts(QChartView* rolling, QChartView* sums, QObject* parent)
    : QObject(parent), rollingView_(rolling), sumsView_(sums) {
    QChart* r = rolling->chart();
    accuracy_ = Line("正确率", ToQColor(kBlue));
    baseline_ = Line("随机基准", ToQColor(kRed), Qt::DashLine);
    bandLow_ = Line("", Qt::transparent);
    bandHigh_ = Line("", Qt::transparent);
    band_ = new QAreaSeries(bandHigh_, bandLow_);
    // The area series draws its two edges but does not own them.
    bandLow_->setParent(band_);
    bandHigh_->setParent(band_);
    band_->setName(QString::fromUtf8("95%随机区间"));
    band_->setColor(QColor(255, 160, 160, 90));
    band_->setBorderColor(Qt::transparent);
    r->addSeries(band_);
    r->addSeries(baseline_);
    r->addSeries(accuracy_);
    auto* x = new QValueAxis();
    x->setLabelFormat(QStringLiteral("%.0f"));
    x->setTitleText(QString::fromUtf8("期号"));
    auto* y = new QValueAxis();
    y->setRange(0, 1);
    y->setLabelFormat(QStringLiteral("%.2f"));
    r->addAxis(x, Qt::AlignBottom);
    r->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : r->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }

    QChart* c = sums->chart();
    observed_ = new QBarSet(QString::fromUtf8("出现频率"));
    observed_->setColor(ToQColor(kTeal));
    auto* bars = new QBarSeries();
    bars->append(observed_);
    bars->setBarWidth(0.8);
    chance_ = Line("理论概率", ToQColor(kRed));
    c->addSeries(bars);
    c->addSeries(chance_);
    // Sums on a value axis, bars at 0..27: a category axis cuts 28 labels this narrow to "…".
    auto* sumAxis = new QValueAxis();
    sumAxis->setRange(-0.5, 27.5);
    sumAxis->setTickType(QValueAxis::TicksDynamic);
    sumAxis->setTickAnchor(0);
    sumAxis->setTickInterval(3);
    sumAxis->setLabelFormat(QStringLiteral("%.0f"));
    sumAxis->setTitleText(QString::fromUtf8("和值"));
    auto* share = new QValueAxis();
    share->setLabelFormat(QStringLiteral("%.3f"));
    c->addAxis(sumAxis, Qt::AlignBottom);
    c->addAxis(share, Qt::AlignLeft);
    for (QAbstractSeries* s : c->series()) {
        s->attachAxis(sumAxis);
        s->attachAxis(share);
    }
    c->setTitle(QString::fromUtf8("和值出现频率"));
    Clear();
}

void BacktestCharts::ShowRolling(const RollingSeries& series, const QString& title) {
    Replace(accuracy_, series.accuracy);
    Replace(baseline_, series.baseline);
    Replace(bandLow_, series.bandLow);
    Replace(bandHigh_, series.bandHigh);
    QChart* chart = rollingView_->chart();
    chart->setTitle(title);
    const auto axes = chart->axes(Qt::Horizontal);
    if (!axes.isEmpty() && !series.accuracy.empty())
        axes.first()->setRange(series.accuracy.front().x(), std::max(series.accuracy.back().x(), series.accuracy.front().x() + 1));
}

void BacktestCharts::ShowSums(const std::array<double, 28>& observed, const std::array<double, 28>& chance) {
    QList<qreal> values(observed.begin(), observed.end());
    observed_->remove(0, observed_->count());
    observed_->append(values);
    std::vector<QPointF> points;
    double top = 0;
    for (size_t s = 0; s < chance.size(); ++s) {
        points.emplace_back(static_cast<double>(s), chance[s]);
        top = std::max({top, chance[s], observed[s]});
    }
    Replace(chance_, points);
    const auto axes = sumsView_->chart()->axes(Qt::Vertical);
    if (!axes.isEmpty()) axes.first()->setRange(0, top > 0 ? top * 1.1 : 0.1);
}

void BacktestCharts::Clear() {
    ShowRolling({}, QString::fromUtf8("滚动正确率"));
    observed_->remove(0, observed_->count());
    chance_->clear();
}

int BacktestCharts::RollingPoints() const { return static_cast<int>(accuracy_->count()); }
int BacktestCharts::SumBars() const { return static_cast<int>(observed_->count()); }

BacktestPageView BuildBacktestPage(QWidget& window, TabBox& tabs) {
    BacktestPageView v;
    v.page = tabs.AddPage(QString::fromUtf8(kBacktestPageCaption));
    v.pageIndex = tabs.PageCount() - 1;
    v.page->setObjectName(QStringLiteral("历史回测页"));
    BuildControls(&window, PageRows(tabs.objectName().toStdString() + "/" + std::to_string(v.pageIndex)));
    const QWidget& p = *v.page;
    v.game = Require<QComboBox>(p, "回测组合框1");
    v.subject = Require<QComboBox>(p, "回测组合框2");
    v.kind = Require<QComboBox>(p, "回测组合框3");
    v.rangeLast = Require<QRadioButton>(p, "回测单选框1");
    v.lastCount = Require<QLineEdit>(p, "回测编辑框1");
    v.rangeBetween = Require<QRadioButton>(p, "回测单选框2");
    v.from = Require<QLineEdit>(p, "回测编辑框2");
    v.to = Require<QLineEdit>(p, "回测编辑框3");
    v.rangeAll = Require<QRadioButton>(p, "回测单选框3");
    v.window = Require<QLineEdit>(p, "回测编辑框4");
    v.start = Require<QPushButton>(p, "回测按钮1");
    v.cancel = Require<QPushButton>(p, "回测按钮2");
    v.results = Require<ClickLabel>(p, "回测标签1");
    v.archiveInfo = Require<ClickLabel>(p, "回测标签2");
    v.importCsv = Require<QPushButton>(p, "回测按钮3");
    v.exportCsv = Require<QPushButton>(p, "回测按钮4");
    v.from->setPlaceholderText(QStringLiteral("2026-12-01"));
    v.to->setPlaceholderText(QStringLiteral("2026-12-31"));
    // Outside text (plan and algorithm names, archive dates) is never read as markup.
    v.results->setTextFormat(Qt::PlainText);
    v.archiveInfo->setTextFormat(Qt::PlainText);

    v.progress = new QProgressBar(v.page);
    Name(v.progress, "回测进度条1", "回测进度");
    v.progress->setGeometry(8, 300 - TabBox::kHeaderHeight, 400, 20);
    v.progress->setRange(0, 1000);
    v.progress->setValue(0);
    v.progress->setFont(LayoutFont());

    QChartView* rolling = MakeChartView(v.page, "回测图表1", "滚动准确率图", 416, 32, 472, 272);
    QChartView* sums = MakeChartView(v.page, "回测图表2", "和值频率图", 416, 312, 472, 272);
    v.charts = new BacktestCharts(rolling, sums, v.page);
    return v;
}

}  // namespace qivra
