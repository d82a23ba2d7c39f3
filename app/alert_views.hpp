#pragma once
// The streak alarm window, the draw popup, the outcome table and the sounds.

#include <QObject>
#include <QPointer>
#include <QString>

#include <string>

#include "ui/window_views.hpp"

namespace qivra {

class BalloonTip;
class DrawPopup;
class PageHost;
class StreakAlarmWindow;

class AlertViews : public QObject {
    Q_OBJECT
public:
    AlertViews(const MainWindowView& view, BalloonTip* balloon, PageHost& host);
    ~AlertViews() override;

    // Streak alarm. Open ⇔ 选择框3 ticked and disabled.
    void OpenStreakAlarm();
    void PlaceStreakAlarm();
    void CheckStreakAlarm();
    void SetAlarmTopmost();
    void SetAlarmBlink();
    void BlinkAlarmText();
    void CloseStreakAlarm();
    // The window was closed from its title bar: the rest of 关闭, the window closes by itself.
    void StreakAlarmClosedByUser();
    bool StreakAlarmOpen() const;
    StreakAlarmWindow* StreakAlarm() const;
    // The streaks the last check found, one per line; empty when none.
    const std::string& AlarmText() const { return alarmText_; }

    // Refresh step 11: opens the popup when the newest period differs from the old caption's.
    void AnnounceDraw(const std::string& previousCaption);
    void FillDrawPopup();
    void TickPopupCountdown();
    void CloseDrawPopup();
    DrawPopup* Popup() const;

    void UpdateOutcomeStats();

    // The main window is going: the satellite windows go with it.
    void CloseAll();

Q_SIGNALS:
    // A fresh window was built from its layout and is not yet shown; the event map wires it
    // (and runs its "created" operation) here.
    void drawPopupCreated(DrawPopup* popup);
    void streakAlarmCreated(StreakAlarmWindow* alarm);

private:
    void SetAlarmCaption(const QString& caption);
    void DropStreakAlarm(bool closeWindow);

    const MainWindowView& view_;
    QPointer<BalloonTip> balloon_;
    PageHost& host_;
    QPointer<StreakAlarmWindow> alarm_;
    QPointer<DrawPopup> popup_;
    std::string alarmText_;
    int popupTicks_ = 0;
    // While the blink has the alarm text blanked, the caption to bring back.
    bool blanked_ = false;
    QString blankedCaption_;
};

}  // namespace qivra
