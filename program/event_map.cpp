#include "program/event_map.hpp"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "app/program.hpp"
#include "ui/integer_edit.hpp"
#include "ui/main_window.hpp"

namespace qivra {

void ConnectEventMap(Program& program) {
    MainWindow* w = program.Window();
    const MainWindowView& v = w->View();
    Program* p = &program;
    QObject::connect(w->Clock(), &QTimer::timeout, p, [p] { p->ClockTick(); });
    QObject::connect(v.refresh, &QPushButton::clicked, p, [p] { p->Refresh(); });
    // "Item chosen" is the user's pick, not a change made by the program itself.
    QObject::connect(v.game, &QComboBox::activated, p, [p](int index) { p->ChooseGame(index); });
    QObject::connect(v.historyDepth, &IntegerEdit::spinPressed, p, [p](int step) { p->StepHistoryDepth(step); });
    ConnectChoiceReports(program);
    ConnectPlanEvents(program);
    ConnectCustomEvents(program);
    ConnectAlertEvents(program);
    ConnectStatsEvents(program);
    ConnectBacktestEvents(program);
}

}  // namespace qivra
