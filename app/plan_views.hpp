#pragma once
// The free-plan and named-plan pages: views, selections, link highlighting and marking.

#include <QPointer>

#include <vector>

#include "plans/plan_view.hpp"

namespace qivra {

class EGrid;
class HyperLinker;
class Program;

class PlanViews {
public:
    explicit PlanViews(Program& program);

    void ShowFreePlan();
    void ShowNamedPlan();
    void SelectFreePlan(int n);        // 1..16
    void SelectFreeKind(int link);     // 90..94
    void SelectNamedPlan(int link);    // 17..72
    void SelectNamedKind(int slot);    // 95..103 (103 is 超级链接框88)
    // Slot s is the link of state().planLinks[s - 1]; slots without a link are skipped.
    void HighlightLink(int first, int count, int chosen);
    void MarkNamedPlans();

private:
    // The filter remembers what it wrote; anything else that may have written the grid since
    // (a refresh pass, a rebinding) makes it start afresh.
    struct FilteredGrid {
        explicit FilteredGrid(CellSink& sink) : filter(sink) {}
        ChangedCellsFilter filter;
        QPointer<EGrid> lastGrid;
    };
    CellSink& Writer(FilteredGrid& grid, EGrid* bound);
    HyperLinker* Link(int number);

    Program& program_;
    FilteredGrid free_;
    FilteredGrid named_;
    std::vector<QPointer<HyperLinker>> links_;  // by link-box number, found on first use
};

}  // namespace qivra
