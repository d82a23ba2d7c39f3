#include "app/stats_page.hpp"

#include <QComboBox>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <cstdio>

#include "app/page_host.hpp"
#include "app/significance_text.hpp"
#include "core/text.hpp"
#include "stats/judged_runs.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_support.hpp"
#include "ui/sort_table.hpp"
#include "ui/window_views.hpp"

namespace qivra {
namespace {

constexpr Rgb kBetterThanChance{198, 239, 206};
const char kNoFigure[] = "—";

std::string Format(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

// The table shows p-values to four places; the tooltips' three would hide what sorting shows.
std::string TablePValue(double p) { return p < 0.0001 ? "<0.0001" : Format("%.4f", p); }

SortTableCell Text(const std::string& text) { return {ToQString(text), std::nullopt}; }
SortTableCell Number(const std::string& text, double key) { return {ToQString(text), key}; }
SortTableCell None() { return {ToQString(kNoFigure), std::nullopt}; }

SortTableRow TableRow(const StatsRow& row) {
    SortTableRow out;
    out.cells = {Text(row.name), Text(StatsGroupName(row.group))};
    if (row.run) {
        const RunSignificance& r = *row.run;
        const int accuracy = AccuracyOf(r);
        out.cells.insert(out.cells.end(), {Number(std::to_string(r.hits), r.hits),
                                           Number(Format("%.1f", r.expectedHits), r.expectedHits),
                                           Number(std::to_string(accuracy) + "%", accuracy),
                                           Number(PercentText(r.ChanceRate()), r.ChanceRate()),
                                           Number(TablePValue(r.pValue), r.pValue),
                                           Number(TablePValue(row.adjusted), row.adjusted)});
    } else {
        out.cells.insert(out.cells.end(), 6, None());
    }
    if (row.outOfSample && row.outOfSample->periods > 0) {
        const RunSignificance& o = *row.outOfSample;
        out.cells.insert(out.cells.end(),
                         {Number(std::to_string(o.hits) + "/" + std::to_string(o.periods), o.HitRate()),
                          Number(Format("%.1f", o.expectedHits), o.expectedHits),
                          Number(TablePValue(o.pValue), o.pValue)});
    } else {
        out.cells.insert(out.cells.end(), 3, None());
    }
    out.cells.push_back(Text(row.BetterThanChance() ? "是" : ""));
    if (row.BetterThanChance()) out.background = ToQColor(kBetterThanChance);
    return out;
}

void Adjust(std::vector<StatsRow>& rows) {
    std::vector<double> p;
    p.reserve(rows.size());
    for (const StatsRow& r : rows) p.push_back(r.run ? r.run->pValue : 1.0);
    const std::vector<double> adjusted = AdjustBenjaminiHochberg(p);
    for (size_t i = 0; i < rows.size(); ++i) rows[i].adjusted = adjusted[i];
}

std::string WindowPrefix(int window, PredictionKind kind) {
    return "近" + std::to_string(window) + "期 " + KindCaption(kind) + "：";
}

}  // namespace

std::string StatsGroupName(StatsGroup group) {
    switch (group) {
        case StatsGroup::FreePlans: return "免费计划";
        case StatsGroup::NamedPlans: return "会员计划";
        case StatsGroup::Algorithms: return "自定义算法";
    }
    return {};
}

std::optional<PredictionKind> SignificanceKindFromIndex(int index) { return NamedKindFromCode(index + 1); }

std::vector<StatsRow> PlanGroupRows(const DrawHistory& history, const std::vector<PlanDefinition>& plans,
                                    StatsGroup group, PredictionKind kind, int window) {
    std::vector<StatsRow> rows;
    rows.reserve(plans.size());
    for (const PlanDefinition& plan : plans) {
        StatsRow row;
        row.name = plan.label;
        row.group = group;
        row.run = PlanSignificance(history, plan, kind, window);
        rows.push_back(std::move(row));
    }
    Adjust(rows);
    return rows;
}

std::vector<StatsRow> AlgorithmRows(const DrawHistory& history, const std::vector<CustomAlgorithm>& algorithms,
                                    PredictionKind kind, int window, int depth) {
    std::vector<StatsRow> rows;
    rows.reserve(algorithms.size());
    for (const CustomAlgorithm& algorithm : algorithms) {
        StatsRow row;
        row.name = algorithm.name;
        row.group = StatsGroup::Algorithms;
        if (auto check = CheckOutOfSample(history, CompileAlgorithmText(algorithm.algorithmText), kind, window, depth)) {
            row.run = std::move(check->inSample);
            row.outOfSample = std::move(check->outOfSample);
        }
        rows.push_back(std::move(row));
    }
    Adjust(rows);
    return rows;
}

// Works out a widget's tooltip just before Qt shows it.
class StatsPage::HoverWatch final : public QObject {
public:
    explicit HoverWatch(StatsPage& page) : page_(page) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            if (watched == page_.view_.algorithms->viewport())
                page_.ShowAlgorithmHints();
            else
                page_.ShowLinkHints();
        }
        return false;  // the widget shows what it now holds
    }

private:
    StatsPage& page_;
};

StatsPage::StatsPage(const MainWindowView& view, PageHost& host, const PlanLinkTable& links)
    : view_(view), host_(host), links_(links), hover_(std::make_unique<HoverWatch>(*this)) {
    view_.significanceSummary->setTextFormat(Qt::PlainText);
    for (int n = 1; n <= 16 + kNamedPlanCount; ++n)
        if (HyperLinker* link = view_.Link(n)) link->installEventFilter(hover_.get());
    view_.algorithms->viewport()->installEventFilter(hover_.get());
}

// Qt drops a destroyed filter from the widgets it watched.
StatsPage::~StatsPage() = default;

void StatsPage::SetSources(const std::vector<PlanDefinition>& freePlans, const std::vector<PlanDefinition>& namedPlans,
                           const std::vector<CustomAlgorithm>& algorithms) {
    freePlans_ = &freePlans;
    namedPlans_ = &namedPlans;
    algorithms_ = &algorithms;
}

void StatsPage::Refresh() {
    if (view_.tabs->CurrentIndex() == kPageIndex) RecomputeTable();
}

void StatsPage::RecomputeTable() {
    const UserChoices& c = host_.Choices();
    const std::optional<PredictionKind> kind = SignificanceKindFromIndex(c.significanceKind);
    if (!kind || !freePlans_ || !namedPlans_ || !algorithms_) return;
    const DrawHistory& history = host_.History();
    const int window = IntegerValue(c.significanceWindow);
    rows_ = PlanGroupRows(history, *freePlans_, StatsGroup::FreePlans, *kind, window);
    for (std::vector<StatsRow> more : {PlanGroupRows(history, *namedPlans_, StatsGroup::NamedPlans, *kind, window),
                                       AlgorithmRows(history, *algorithms_, *kind, window, host_.HistoryDepth())})
        rows_.insert(rows_.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));

    std::vector<SortTableRow> shown;
    shown.reserve(rows_.size());
    int better = 0;
    for (const StatsRow& row : rows_) {
        shown.push_back(TableRow(row));
        better += row.BetterThanChance() ? 1 : 0;
    }
    view_.significanceTable->SetRows(shown);
    view_.significanceSummary->setText(
        ToQString(WindowPrefix(window, *kind) + "免费计划" + std::to_string(freePlans_->size()) + "个，会员计划" +
                  std::to_string(namedPlans_->size()) + "个，自定义算法" + std::to_string(algorithms_->size()) +
                  "个；优于机会" + std::to_string(better) + "个（校正后p值＜0.05，三类分别校正）"));
}

void StatsPage::ShowLinkHints() {
    if (!freePlans_ || !namedPlans_) return;
    const UserChoices& c = host_.Choices();
    const DrawHistory& history = host_.History();
    auto show = [&](const std::vector<StatsRow>& rows, int firstSlot, int window, PredictionKind kind) {
        for (size_t i = 0; i < rows.size(); ++i) {
            const size_t slot = static_cast<size_t>(firstSlot) + i;
            if (slot < 1 || slot > links_.size()) continue;
            const StatsRow& row = rows[i];
            const std::string hint =
                row.run ? WindowPrefix(window, kind) + FiguresHint(*row.run, row.adjusted) : std::string();
            HyperLinker* link = view_.Link(links_[slot - 1]);
            if (const QString text = ToQString(hint); link && link->toolTip() != text) link->setToolTip(text);
        }
    };
    if (const std::optional<PredictionKind> kind = FreeKindFromCode(c.freeKind)) {
        const int window = host_.HistoryDepth();
        show(PlanGroupRows(history, *freePlans_, StatsGroup::FreePlans, *kind, window), 1, window, *kind);
    }
    if (const std::optional<PredictionKind> kind = NamedKindFromCode(c.namedKind)) {
        const int window = IntegerValue(c.markWindow);
        show(PlanGroupRows(history, *namedPlans_, StatsGroup::NamedPlans, *kind, window), 17, window, *kind);
    }
}

void StatsPage::ShowAlgorithmHints() {
    if (!algorithms_) return;
    const UserChoices& c = host_.Choices();
    ReportListView* list = view_.algorithms;
    const std::optional<PredictionKind> kind = CustomKindFromCode(c.customKind);
    const int rows = std::min(list->RowCount(), static_cast<int>(algorithms_->size()));
    std::vector<std::optional<OutOfSampleCheck>> checks(static_cast<size_t>(rows));
    std::vector<double> pValues(static_cast<size_t>(rows), 1.0);
    for (size_t r = 0; kind && r < checks.size(); ++r) {
        checks[r] = CheckOutOfSample(host_.History(), CompileAlgorithmText((*algorithms_)[r].algorithmText), *kind,
                                     IntegerValue(c.statsWindow), host_.HistoryDepth());
        if (checks[r]) pValues[r] = checks[r]->inSample.pValue;
    }
    const std::vector<double> adjusted = AdjustBenjaminiHochberg(pValues);
    constexpr int kShownColumns = 4;  // 算法名称 正确率 当前连中 当前连挂
    for (int r = 0; r < rows; ++r) {
        const auto& check = checks[static_cast<size_t>(r)];
        const QString hint =
            check ? ToQString(FiguresHint(check->inSample, adjusted[static_cast<size_t>(r)]) + "；" + OutOfSampleText(*check))
                  : QString();
        if (QTreeWidgetItem* item = list->topLevelItem(r))
            for (int column = 0; column < kShownColumns; ++column) item->setToolTip(column, hint);
    }
}

void StatsPage::ShowMarkHint() {
    const UserChoices& c = host_.Choices();
    const std::optional<PredictionKind> kind = NamedKindFromCode(c.namedKind);
    if (!kind || !namedPlans_) return;
    const int window = IntegerValue(c.markWindow);
    const std::vector<StatsRow> rows = PlanGroupRows(host_.History(), *namedPlans_, StatsGroup::NamedPlans, *kind, window);
    std::string hint;
    if (c.namedPlan >= 1 && static_cast<size_t>(c.namedPlan) <= rows.size()) {
        const StatsRow& row = rows[static_cast<size_t>(c.namedPlan) - 1];
        if (row.run) hint = WindowPrefix(window, *kind) + FiguresHint(*row.run, row.adjusted);
    }
    view_.namedStats->setToolTip(ToQString(hint));
}

void StatsPage::ChooseKind(int index) {
    if (!SignificanceKindFromIndex(index)) return;
    host_.Choose([index](UserChoices& c) { c.significanceKind = index; });
    RecomputeTable();
}

void StatsPage::ChooseWindow(int index) {
    QComboBox* combo = view_.significanceWindow;
    if (index < 0 || index >= combo->count()) return;
    const std::string text = ToUtf8(combo->itemText(index));
    host_.Choose([&](UserChoices& c) { c.significanceWindow = text; });
    RecomputeTable();
}

}  // namespace qivra
