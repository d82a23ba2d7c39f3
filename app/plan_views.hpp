#pragma once
// The free-plan and named-plan pages: views, selections, link highlighting and marking.

#include <QPointer>

#include <functional>
#include <vector>

#include "app/program_state.hpp"
#include "plans/plan_view.hpp"
#include "ui/plan_grid_helper.hpp"

namespace qivra {

class EGrid;
class PageHost;
struct MainWindowView;

// The handles the plan views write through: the free, named and custom grids, and the named
// grid's coming-period row, which the free plan fills.
struct PlanGrids {
    PlanGridHelper free;         // 高级表格2
    PlanGridHelper namedComing;  // 高级表格4, coming-period cells
    PlanGridHelper named;        // 高级表格4
    PlanGridHelper custom;       // 高级表格5
};

class PlanViews {
public:
    PlanViews(const MainWindowView& view, PageHost& host, const PlanLinkTable& links, PlanGrids& grids);

    // The plan lists the two pages choose from; kept by the program, read here.
    void SetPlanLists(const std::vector<PlanDefinition>& freePlans, const std::vector<PlanDefinition>& namedPlans);

    void ShowFreePlan();
    void ShowNamedPlan();
    void SelectFreePlan(int n);        // 1..16
    void SelectFreeKind(int link);     // 90..94
    void SelectNamedPlan(int link);    // 17..72
    void SelectNamedKind(int slot);    // 95..103 (103 is 超级链接框88)
    // Slot s is the link of links[s - 1]; slots without a link are skipped.
    void HighlightLink(int first, int count, int chosen);
    void MarkNamedPlans();

    // Called after every marking, once 标签13 shows its line.
    std::function<void()> onMarked;

private:
    // The filter remembers what it wrote; anything else that may have written the grid since
    // (a refresh pass, a rebinding) makes it start afresh.
    struct FilteredGrid {
        explicit FilteredGrid(CellSink& sink) : filter(sink) {}
        ChangedCellsFilter filter;
        QPointer<EGrid> lastGrid;
    };
    CellSink& Writer(FilteredGrid& grid, EGrid* bound);

    const MainWindowView& view_;
    PageHost& host_;
    const PlanLinkTable& links_;
    PlanGrids& grids_;
    const std::vector<PlanDefinition>* freePlans_ = nullptr;
    const std::vector<PlanDefinition>* namedPlans_ = nullptr;
    FilteredGrid free_;
    FilteredGrid named_;
};

}  // namespace qivra
