#include <QPushButton>

#include "app/plan_views.hpp"
#include "app/program.hpp"
#include "program/event_map.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/main_window.hpp"

namespace qivra {
namespace {

HyperLinker* LinkBox(MainWindow* w, int number) {
    return w->control<HyperLinker>(QString::fromUtf8("超级链接框") + QString::number(number));
}

// Links numbered first..last pass their slot; every link is looked up by its layout name.
void ConnectLinks(Program& program, int first, int last, void (PlanViews::*operation)(int)) {
    Program* p = &program;
    for (int number = first; number <= last; ++number) {
        HyperLinker* link = LinkBox(program.mainWindow(), number);
        if (!link) continue;
        // 15 and 16 answer the press itself, so a release elsewhere cannot undo their choice.
        const bool onPress = number == 15 || number == 16;
        auto run = [p, operation, number] { (p->plans().*operation)(number); };
        if (onPress)
            QObject::connect(link, &HyperLinker::leftPressed, p, run);
        else
            QObject::connect(link, &HyperLinker::leftReleased, p, run);
    }
}

}  // namespace

void ConnectPlanEvents(Program& program) {
    MainWindow* w = program.mainWindow();
    if (!w) return;
    Program* p = &program;
    ConnectLinks(program, 1, 16, &PlanViews::SelectFreePlan);
    ConnectLinks(program, 90, 94, &PlanViews::SelectFreeKind);
    ConnectLinks(program, 17, 72, &PlanViews::SelectNamedPlan);
    ConnectLinks(program, 95, 102, &PlanViews::SelectNamedKind);
    if (HyperLinker* killDouble = LinkBox(w, 88))
        QObject::connect(killDouble, &HyperLinker::leftReleased, p, [p] { p->plans().SelectNamedKind(103); });
    if (auto* mark = w->control<QPushButton>(QStringLiteral("按钮3")))
        QObject::connect(mark, &QPushButton::clicked, p, [p] { p->plans().MarkNamedPlans(); });
}

}  // namespace qivra
