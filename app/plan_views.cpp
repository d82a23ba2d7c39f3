#include "app/plan_views.hpp"

#include <optional>
#include <string>

#include "app/page_host.hpp"
#include "core/text.hpp"
#include "ui/egrid.hpp"
#include "plans/hit_stats.hpp"
#include "plans/plan_definition.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/qt_support.hpp"
#include "ui/window_views.hpp"

namespace qivra {
namespace {

// Plan number n (1-based) of a list, or null when the list has no such line.
const PlanDefinition* PlanAt(const std::vector<PlanDefinition>* plans, int n) {
    if (!plans || n < 1 || static_cast<size_t>(n) > plans->size()) return nullptr;
    return &(*plans)[static_cast<size_t>(n) - 1];
}

}  // namespace

PlanViews::PlanViews(const MainWindowView& view, PageHost& host, const PlanLinkTable& links, PlanGrids& grids)
    : view_(view), host_(host), links_(links), grids_(grids), free_(grids.free), named_(grids.named) {}

void PlanViews::SetPlanLists(const std::vector<PlanDefinition>& freePlans, const std::vector<PlanDefinition>& namedPlans) {
    freePlans_ = &freePlans;
    namedPlans_ = &namedPlans;
}

CellSink& PlanViews::Writer(FilteredGrid& grid, EGrid* bound) {
    // A refresh pass rewrites the history columns and may resize the grids before the views
    // run, so what the filter remembers no longer describes the grid.
    if (host_.RefreshInFlight() || grid.lastGrid.data() != bound) grid.filter.Forget();
    grid.lastGrid = bound;
    return grid.filter;
}

void PlanViews::ShowFreePlan() {
    const UserChoices& c = host_.Choices();
    const PlanDefinition* plan = PlanAt(freePlans_, c.freePlan);
    const std::optional<PredictionKind> kind = FreeKindFromCode(c.freeKind);
    if (!plan || !kind || !grids_.free.IsBound()) return;
    const DrawHistory& history = host_.History();
    const std::vector<PlanForecast> forecasts = PlanForecasts(history, *plan, *kind, host_.HistoryDepth());
    if (forecasts.empty()) return;  // too short a history: every grid keeps what it shows
    CellSink& grid = Writer(free_, grids_.free.Grid());
    // Rows past what this history fills would keep an earlier history's verdicts.
    ClearPlanRows(grid, history, WritePlanView(grid, history, forecasts, *kind, host_.HistoryDepth()) + 2,
                  grids_.free.Grid()->RowCount() - 1);
    // Three cells each, and other pages write these grids: not worth filtering.
    WriteComingPeriodCells(grids_.namedComing, history, forecasts.front(), 3);
    WriteComingPeriodCells(grids_.custom, history, forecasts.front(), 3);
}

void PlanViews::ShowNamedPlan() {
    const UserChoices& c = host_.Choices();
    const PlanDefinition* plan = PlanAt(namedPlans_, c.namedPlan);
    const std::optional<PredictionKind> kind = NamedKindFromCode(c.namedKind);
    if (!plan || !kind || !grids_.named.IsBound()) return;
    const DrawHistory& history = host_.History();
    const std::vector<PlanForecast> forecasts = PlanForecasts(history, *plan, *kind, host_.HistoryDepth());
    if (forecasts.empty()) return;
    CellSink& grid = Writer(named_, grids_.named.Grid());
    ClearPlanRows(grid, history, WritePlanView(grid, history, forecasts, *kind, host_.HistoryDepth()) + 2,
                  grids_.named.Grid()->RowCount() - 1);
}

void PlanViews::SelectFreePlan(int n) {
    if (n < 1 || n > kFreePlanCount) return;
    HighlightLink(1, kFreePlanCount, n);
    host_.Choose([n](UserChoices& c) { c.freePlan = n; });
    ShowFreePlan();
}

void PlanViews::SelectFreeKind(int link) {
    if (!FreeKindFromCode(link - 89)) return;
    HighlightLink(90, 5, link);
    host_.Choose([link](UserChoices& c) { c.freeKind = link - 89; });
    ShowFreePlan();
}

void PlanViews::SelectNamedPlan(int link) {
    if (link < 17 || link > 16 + kNamedPlanCount) return;
    HighlightLink(17, kNamedPlanCount, link);
    host_.Choose([link](UserChoices& c) { c.namedPlan = link - 16; });
    ShowNamedPlan();
    if (host_.Choices().autoMark) MarkNamedPlans();
}

void PlanViews::SelectNamedKind(int slot) {
    if (!NamedKindFromCode(slot - 94)) return;
    HighlightLink(95, 9, slot);
    host_.Choose([slot](UserChoices& c) { c.namedKind = slot - 94; });
    ShowNamedPlan();
    if (host_.Choices().autoMark) MarkNamedPlans();
}

void PlanViews::HighlightLink(int first, int count, int chosen) {
    for (int i = 0; i < count; ++i) {
        const int64_t slot = int64_t{first} + i;
        if (slot < 1 || slot > static_cast<int64_t>(links_.size())) continue;
        if (HyperLinker* link = view_.Link(links_[static_cast<size_t>(slot) - 1]))
            link->SetBackground(ToQColor(slot == chosen ? colours::kLightBlue : colours::kLightGrey));
    }
}

void PlanViews::MarkNamedPlans() {
    const UserChoices& c = host_.Choices();
    const std::optional<PredictionKind> kind = NamedKindFromCode(c.namedKind);
    if (!kind || !namedPlans_) return;
    const MarkResult result =
        qivra::MarkNamedPlans(host_.History(), *namedPlans_, *kind, IntegerValue(c.markWindow), c.markWindow,
                              c.namedPlan, c.markMetric, c.markComparison, IntegerValue(c.markThreshold));
    for (int p = 1; p <= kNamedPlanCount; ++p) {
        const bool marked = static_cast<size_t>(p) <= result.marked.size() && result.marked[static_cast<size_t>(p) - 1];
        if (HyperLinker* link = view_.Link(links_[static_cast<size_t>(p) + 15]))
            link->SetTextColour(ToQColor(marked ? c.markColour : colours::kBlack));
    }
    if (!result.statsLine.empty()) view_.namedStats->setText(ToQString(result.statsLine));
    if (onMarked) onMarked();
}

}  // namespace qivra
