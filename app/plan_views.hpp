#pragma once
// The free-plan and named-plan pages: views, selections, link highlighting and marking.

namespace qivra {

class Program;

class PlanViews {
public:
    explicit PlanViews(Program& program) : program_(program) {}

    void ShowFreePlan();
    void ShowNamedPlan();
    void SelectFreePlan(int n);        // 1..16
    void SelectFreeKind(int link);     // 90..94
    void SelectNamedPlan(int link);    // 17..72
    void SelectNamedKind(int slot);    // 95..103 (103 is 超级链接框88)
    void HighlightLink(int first, int count, int chosen);
    void MarkNamedPlans();

private:
    Program& program_;
};

}  // namespace qivra
