// 【统计检验】's choices, and the plan pages' events after which the plan links' tooltips follow.
#include <QComboBox>

#include "app/program.hpp"
#include "app/stats_page.hpp"
#include "program/event_map.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/main_window.hpp"

namespace qivra {

void ConnectStatsEvents(Program& program) {
    const MainWindowView& v = program.Window()->View();
    Program* p = &program;
    QObject::connect(v.significanceKind, &QComboBox::activated, p, [p](int index) { p->Stats().ChooseKind(index); });
    QObject::connect(v.significanceWindow, &QComboBox::activated, p, [p](int index) { p->Stats().ChooseWindow(index); });
    // The stored algorithms change on another page; the table catches up when it is shown.
    QObject::connect(v.tabs, &TabBox::currentChanged, p, [p](int index) {
        if (index == StatsPage::kPageIndex) p->Stats().RecomputeTable();
    });

    // Connected after the plan pages' own handlers, so these run once the new choice is in.
    auto hints = [p] { p->Stats().ShowLinkHints(); };
    for (int n = 90; n <= 94; ++n) QObject::connect(v.Link(n), &HyperLinker::leftReleased, p, hints);
    for (int n = 95; n <= 102; ++n) QObject::connect(v.Link(n), &HyperLinker::leftReleased, p, hints);
    QObject::connect(v.Link(88), &HyperLinker::leftReleased, p, hints);
    QObject::connect(v.markWindow, &QComboBox::currentTextChanged, p, hints);
}

}  // namespace qivra
