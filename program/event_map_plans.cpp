#include <QPushButton>

#include "app/plan_views.hpp"
#include "app/program.hpp"
#include "program/event_map.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/main_window.hpp"

namespace qivra {
namespace {

// Links numbered first..last pass their number.
void ConnectLinks(Program& program, int first, int last, void (PlanViews::*operation)(int)) {
    Program* p = &program;
    const MainWindowView& v = program.Window()->View();
    for (int number = first; number <= last; ++number) {
        HyperLinker* link = v.Link(number);
        if (!link) continue;
        // 15 and 16 answer the press itself, so a release elsewhere cannot undo their choice.
        const bool onPress = number == 15 || number == 16;
        auto run = [p, operation, number] { (p->Plans().*operation)(number); };
        if (onPress)
            QObject::connect(link, &HyperLinker::leftPressed, p, run);
        else
            QObject::connect(link, &HyperLinker::leftReleased, p, run);
    }
}

}  // namespace

void ConnectPlanEvents(Program& program) {
    const MainWindowView& v = program.Window()->View();
    Program* p = &program;
    ConnectLinks(program, 1, 16, &PlanViews::SelectFreePlan);
    ConnectLinks(program, 90, 94, &PlanViews::SelectFreeKind);
    ConnectLinks(program, 17, 72, &PlanViews::SelectNamedPlan);
    ConnectLinks(program, 95, 102, &PlanViews::SelectNamedKind);
    QObject::connect(v.Link(88), &HyperLinker::leftReleased, p, [p] { p->Plans().SelectNamedKind(103); });
    QObject::connect(v.mark, &QPushButton::clicked, p, [p] { p->Plans().MarkNamedPlans(); });
}

}  // namespace qivra
