#include "app/plan_views.hpp"

#include "app/program.hpp"

namespace qivra {

void PlanViews::ShowFreePlan() {}
void PlanViews::ShowNamedPlan() {}
void PlanViews::SelectFreePlan(int) {}
void PlanViews::SelectFreeKind(int) {}
void PlanViews::SelectNamedPlan(int) {}
void PlanViews::SelectNamedKind(int) {}
void PlanViews::HighlightLink(int, int, int) {}
void PlanViews::MarkNamedPlans() {}

}  // namespace qivra
