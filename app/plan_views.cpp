#include "app/plan_views.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <optional>
#include <string>

#include "app/program.hpp"
#include "core/text.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_definition.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/plan_grid_helper.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

const QColor kChosenBackground(158, 201, 251);
const QColor kPlainBackground(236, 236, 236);
const QColor kUnmarkedText(0, 0, 0);

// Plan number n (1-based) of a list, or null when the list has no such line.
const PlanDefinition* PlanAt(const std::vector<PlanDefinition>& plans, int n) {
    if (n < 1 || static_cast<size_t>(n) > plans.size()) return nullptr;
    return &plans[static_cast<size_t>(n) - 1];
}

template <class T>
T* Control(Program& program, const char* name) {
    MainWindow* w = program.mainWindow();
    return w ? w->control<T>(QString::fromUtf8(name)) : nullptr;
}

}  // namespace

PlanViews::PlanViews(Program& program)
    : program_(program), free_(program.freeGrid()), named_(program.namedGrid()) {}

CellSink& PlanViews::Writer(FilteredGrid& grid, EGrid* bound) {
    // A refresh pass rewrites the history columns and may resize the grids before the views
    // run, so what the filter remembers no longer describes the grid.
    if (program_.RefreshInFlight() || grid.lastGrid.data() != bound) grid.filter.Forget();
    grid.lastGrid = bound;
    return grid.filter;
}

void PlanViews::ShowFreePlan() {
    const ProgramState& st = program_.state();
    const PlanDefinition* plan = PlanAt(st.freePlans, st.freePlanNumber);
    const std::optional<PredictionKind> kind = FreeKindFromCode(st.freePlanKind);
    if (!plan || !kind || !program_.freeGrid().IsBound()) return;
    const std::vector<PlanForecast> forecasts =
        PlanForecasts(st.history, *plan, *kind, program_.HistoryDepthValue());
    if (forecasts.empty()) return;  // too short a history: every grid keeps what it shows
    CellSink& grid = Writer(free_, program_.freeGrid().Grid());
    WritePlanView(grid, st.history, forecasts, *kind, program_.HistoryDepthValue());
    // Three cells each, and other pages write these grids: not worth filtering.
    WriteComingPeriodCells(program_.namedComingGrid(), st.history, forecasts.front(), 3);
    WriteComingPeriodCells(program_.customGrid(), st.history, forecasts.front(), 3);
}

void PlanViews::ShowNamedPlan() {
    const ProgramState& st = program_.state();
    const PlanDefinition* plan = PlanAt(st.namedPlans, st.namedPlanNumber);
    const std::optional<PredictionKind> kind = NamedKindFromCode(st.namedPlanKind);
    if (!plan || !kind || !program_.namedGrid().IsBound()) return;
    const std::vector<PlanForecast> forecasts =
        PlanForecasts(st.history, *plan, *kind, program_.HistoryDepthValue());
    if (forecasts.empty()) return;
    CellSink& grid = Writer(named_, program_.namedGrid().Grid());
    WritePlanView(grid, st.history, forecasts, *kind, program_.HistoryDepthValue());
}

void PlanViews::SelectFreePlan(int n) {
    if (n < 1 || n > kFreePlanCount) return;
    HighlightLink(1, kFreePlanCount, n);
    program_.state().freePlanNumber = n;
    ShowFreePlan();
}

void PlanViews::SelectFreeKind(int link) {
    if (!FreeKindFromCode(link - 89)) return;
    HighlightLink(90, 5, link);
    program_.state().freePlanKind = link - 89;
    ShowFreePlan();
}

void PlanViews::SelectNamedPlan(int link) {
    if (link < 17 || link > 16 + kNamedPlanCount) return;
    HighlightLink(17, kNamedPlanCount, link);
    program_.state().namedPlanNumber = link - 16;
    ShowNamedPlan();
    auto* autoMark = Control<QCheckBox>(program_, "选择框5");
    if (autoMark && autoMark->isChecked()) MarkNamedPlans();
}

void PlanViews::SelectNamedKind(int slot) {
    if (!NamedKindFromCode(slot - 94)) return;
    HighlightLink(95, 9, slot);
    program_.state().namedPlanKind = slot - 94;
    ShowNamedPlan();
    auto* autoMark = Control<QCheckBox>(program_, "选择框5");
    if (autoMark && autoMark->isChecked()) MarkNamedPlans();
}

HyperLinker* PlanViews::Link(int number) {
    if (number < 1) return nullptr;
    const auto index = static_cast<size_t>(number);
    if (links_.size() <= index) links_.resize(index + 1);
    QPointer<HyperLinker>& link = links_[index];
    if (!link) link = Control<HyperLinker>(program_, ("超级链接框" + std::to_string(number)).c_str());
    return link.data();
}

void PlanViews::HighlightLink(int first, int count, int chosen) {
    const PlanLinkTable& table = program_.state().planLinks;
    for (int i = 0; i < count; ++i) {
        const int64_t slot = int64_t{first} + i;
        if (slot < 1 || slot > static_cast<int64_t>(table.size())) continue;
        if (HyperLinker* link = Link(table[static_cast<size_t>(slot) - 1]))
            link->SetBackground(slot == chosen ? kChosenBackground : kPlainBackground);
    }
}

void PlanViews::MarkNamedPlans() {
    const ProgramState& st = program_.state();
    const std::optional<PredictionKind> kind = NamedKindFromCode(st.namedPlanKind);
    auto* windowBox = Control<QComboBox>(program_, "组合框4");
    auto* metric = Control<QComboBox>(program_, "组合框2");
    auto* comparison = Control<QComboBox>(program_, "组合框3");
    auto* threshold = Control<QLineEdit>(program_, "编辑框3");
    auto* colour = Control<ColourPicker>(program_, "颜色选择器1");
    auto* statsLabel = Control<QLabel>(program_, "标签13");
    if (!kind || !windowBox || !metric || !comparison || !threshold || !colour || !statsLabel) return;

    const std::string windowText = windowBox->currentText().toStdString();
    const MarkResult result = qivra::MarkNamedPlans(
        st.history, st.namedPlans, *kind, IntegerValue(windowText), windowText, st.namedPlanNumber,
        metric->currentIndex(), comparison->currentIndex(), IntegerValue(threshold->text().toStdString()));

    const QColor markColour = colour->colour();
    for (int p = 1; p <= kNamedPlanCount; ++p) {
        const bool marked = static_cast<size_t>(p) <= result.marked.size() && result.marked[static_cast<size_t>(p) - 1];
        if (HyperLinker* link = Link(st.planLinks[static_cast<size_t>(p) + 15]))
            link->SetTextColour(marked ? markColour : kUnmarkedText);
    }
    if (!result.statsLine.empty()) statsLabel->setText(ToQString(result.statsLine));
}

}  // namespace qivra
