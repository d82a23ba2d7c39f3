#include "program/event_map.hpp"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "app/program.hpp"
#include "ui/integer_edit.hpp"
#include "ui/main_window.hpp"

namespace qivra {

void ConnectEventMap(Program& program) {
    MainWindow* w = program.mainWindow();
    Program* p = &program;
    QObject::connect(w->Clock(), &QTimer::timeout, p, [p] { p->ClockTick(); });
    QObject::connect(w->control<QPushButton>(QStringLiteral("按钮1")), &QPushButton::clicked, p, [p] { p->Refresh(); });
    // "Item chosen" is the user's pick, not a change made by the program itself.
    QObject::connect(w->control<QComboBox>(QStringLiteral("组合框1")), &QComboBox::activated, p, [p] { p->Refresh(); });
    QObject::connect(w->control<IntegerEdit>(QStringLiteral("编辑框1")), &IntegerEdit::spinPressed, p,
                     [p](int step) { p->StepHistoryDepth(step); });
    ConnectPlanEvents(program);
    ConnectCustomEvents(program);
    ConnectAlertEvents(program);
}

}  // namespace qivra
