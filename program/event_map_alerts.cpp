#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include "app/alert_views.hpp"
#include "app/program.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "program/event_map.hpp"
#include "ui/main_window.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra {
namespace {

// The alert windows are built afresh on every load, so their events are wired as each one is
// created. The alert views are the context: nothing fires into them once they are gone.
void ConnectDrawPopup(AlertViews* a, DrawPopup* popup) {
    ClickLabel* title = popup->View().title;
    QObject::connect(popup, &DrawPopup::doubleClicked, a, &AlertViews::CloseDrawPopup);
    QObject::connect(title, &ClickLabel::leftReleased, a, &AlertViews::CloseDrawPopup);
    QObject::connect(title, &ClickLabel::doubleClicked, a, &AlertViews::CloseDrawPopup);
    QObject::connect(popup->Clock(), &QTimer::timeout, a, &AlertViews::TickPopupCountdown);
    a->FillDrawPopup();
}

void ConnectStreakAlarm(AlertViews* a, StreakAlarmWindow* alarm) {
    const StreakAlarmView& v = alarm->View();
    QObject::connect(v.close, &QPushButton::clicked, a, &AlertViews::CloseStreakAlarm);
    // toggled, not clicked: the keyboard and the assistive toggle action change the box too, and
    // the program acts on the state the box shows.
    QObject::connect(v.topmost, &QCheckBox::toggled, a, &AlertViews::SetAlarmTopmost);
    QObject::connect(v.blink, &QCheckBox::toggled, a, &AlertViews::SetAlarmBlink);
    QObject::connect(alarm->Clock(), &QTimer::timeout, a, &AlertViews::BlinkAlarmText);
    QObject::connect(alarm, &StreakAlarmWindow::closedByUser, a, &AlertViews::StreakAlarmClosedByUser);
    a->PlaceStreakAlarm();
}

}  // namespace

void ConnectAlertEvents(Program& program) {
    MainWindow* w = program.Window();
    AlertViews* a = &program.Alerts();
    // The box is disabled while the window is open, so the user only ever ticks it; the program
    // unticks it on close without a signal.
    QObject::connect(w->View().streakAlarm, &QCheckBox::toggled, a, [a](bool ticked) {
        if (ticked) a->OpenStreakAlarm();
    });
    QObject::connect(a, &AlertViews::drawPopupCreated, a, [a](DrawPopup* popup) { ConnectDrawPopup(a, popup); });
    QObject::connect(a, &AlertViews::streakAlarmCreated, a,
                     [a](StreakAlarmWindow* alarm) { ConnectStreakAlarm(a, alarm); });
    // The program ends with the main window; the alert windows do not outlive it on screen.
    QObject::connect(w, &MainWindow::beingDestroyed, a, &AlertViews::CloseAll);
}

}  // namespace qivra
