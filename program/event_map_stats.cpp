// 【统计检验】's choices and the showing of its page.
#include <QComboBox>

#include "app/program.hpp"
#include "app/stats_page.hpp"
#include "program/event_map.hpp"
#include "ui/controls.hpp"
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
}

}  // namespace qivra
