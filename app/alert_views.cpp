#include "app/alert_views.hpp"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include "alerts/draw_popup_text.hpp"
#include "alerts/outcome_stats.hpp"
#include "alerts/sounds.hpp"
#include "alerts/streak_alarm.hpp"
#include "app/page_host.hpp"
#include "core/text.hpp"
#include "ui/balloon_tip.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/qt_support.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra {
namespace {

constexpr int kBlinkBlankMs = 500;
constexpr int kBlinkIntervalMs = 1000;

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

}  // namespace

AlertViews::AlertViews(const MainWindowView& view, BalloonTip* balloon, PageHost& host)
    : view_(view), balloon_(balloon), host_(host) {}

AlertViews::~AlertViews() {
    // Deleted, not closed: no close handler may reach into a program being torn down.
    delete popup_.data();
    delete alarm_.data();
}

// ---- streak alarm ----

bool AlertViews::StreakAlarmOpen() const { return !alarm_.isNull(); }
StreakAlarmWindow* AlertViews::StreakAlarm() const { return alarm_.data(); }
DrawPopup* AlertViews::Popup() const { return popup_.data(); }

void AlertViews::OpenStreakAlarm() {
    QCheckBox* box = view_.streakAlarm;
    if (alarm_) {
        alarm_->raise();
    } else {
        blanked_ = false;
        alarm_ = new StreakAlarmWindow();
        Q_EMIT streakAlarmCreated(alarm_.data());
        alarm_->show();
    }
    {
        const QSignalBlocker quiet(box);
        box->setChecked(true);
    }
    box->setEnabled(false);
}

void AlertViews::PlaceStreakAlarm() {
    if (alarm_) alarm_->move(1, 1);
}

void AlertViews::CheckStreakAlarm() {
    const UserChoices& c = host_.Choices();
    if (!alarm_ || !c.streakByFamily) return;
    StreakOptions options;
    options.threshold = IntegerValue(c.streakThreshold);
    for (size_t i = 0; i < c.streakFamilies.size(); ++i) options.families[i] = c.streakFamilies[i];
    options.pairs = c.streakPairs;

    alarmText_ = ScanStreaks(host_.History(), options);
    SetAlarmCaption(ToQString(AlarmCaption(alarmText_)));
    if (alarmText_.empty()) return;
    if (c.streakSound) PlayAlarmSound(host_.Sounds());
    if (c.streakBalloon && balloon_) {
        const QSize screen = ScreenSize();
        const Point at = StreakBalloonPoint(screen.width(), screen.height());
        balloon_->ShowBalloon(QPoint(at.x, at.y), ToQString(BalloonText(alarmText_)));
    }
}

void AlertViews::SetAlarmCaption(const QString& caption) {
    // A caption written while the blink has the text blanked is the one the blink restores.
    if (blanked_) {
        blankedCaption_ = caption;
        return;
    }
    if (alarm_) alarm_->View().text->SetCaption(caption);
}

void AlertViews::SetAlarmTopmost() {
    if (!alarm_) return;
    SetAlwaysOnTop(alarm_.data(), alarm_->View().topmost->isChecked());
}

void AlertViews::SetAlarmBlink() {
    if (!alarm_) return;
    if (alarm_->View().blink->isChecked())
        alarm_->Clock()->start(kBlinkIntervalMs);
    else
        alarm_->Clock()->stop();
}

void AlertViews::BlinkAlarmText() {
    if (!alarm_ || blanked_) return;
    ClickLabel* label = alarm_->View().text;
    blankedCaption_ = label->Caption();
    label->SetCaption(QString());
    blanked_ = true;
    // Tied to the label: a window closed meanwhile takes the pending restore with it.
    QTimer::singleShot(kBlinkBlankMs, label, [this, label] {
        if (!blanked_) return;
        blanked_ = false;
        label->SetCaption(blankedCaption_);
    });
}

void AlertViews::DropStreakAlarm(bool closeWindow) {
    QPointer<StreakAlarmWindow> window = alarm_;
    alarm_ = nullptr;
    blanked_ = false;
    view_.streakAlarm->setEnabled(true);
    {
        // The program's change, not the user's: no handler of the box runs for it.
        const QSignalBlocker quiet(view_.streakAlarm);
        view_.streakAlarm->setChecked(false);
    }
    if (!window) return;
    window->Clock()->stop();
    if (closeWindow) window->close();  // deletes itself once its events are done
}

void AlertViews::CloseStreakAlarm() { DropStreakAlarm(true); }

void AlertViews::StreakAlarmClosedByUser() { DropStreakAlarm(false); }

// ---- draw popup ----

void AlertViews::AnnounceDraw(const std::string& previousCaption) {
    const DrawHistory& history = host_.History();
    if (history.empty() || !IsNewPeriod(previousCaption, history.newest().period)) return;
    // One popup at a time: the newer draw replaces the one still showing.
    CloseDrawPopup();
    popup_ = new DrawPopup();
    popup_->setAttribute(Qt::WA_ShowWithoutActivating);
    Q_EMIT drawPopupCreated(popup_.data());
    if (popup_) popup_->show();
}

void AlertViews::FillDrawPopup() {
    if (!popup_) return;
    const PopupTexts texts = FillDrawPopupTexts(host_.History(), ToUtf8(view_.caption->text()));
    const DrawPopupView& v = popup_->View();
    v.heading->SetCaption(ToQString(texts.title));
    v.drawLine->SetCaption(ToQString(texts.drawLine));
    v.historyLine->SetCaption(ToQString(texts.historyLine));
    const QSize screen = ScreenSize();
    const Point at = PopupPosition(screen.width(), screen.height(), popup_->width(), popup_->height());
    popup_->move(at.x, at.y);
    if (host_.Choices().promptSounds) PlayPopupSound(host_.Sounds());
    popupTicks_ = 0;
    SetAlwaysOnTop(popup_.data(), true);
}

void AlertViews::TickPopupCountdown() {
    if (!popup_) return;
    ++popupTicks_;
    popup_->View().title->SetCaption(ToQString(PopupCountdownCaption(popupTicks_)));
    if (PopupShouldClose(popupTicks_)) CloseDrawPopup();
}

void AlertViews::CloseDrawPopup() {
    QPointer<DrawPopup> popup = popup_;
    popup_ = nullptr;
    if (!popup) return;
    // Stopped first: a tick of a closing popup must not count down the next one.
    popup->Clock()->stop();
    popup->close();  // deletes itself once the click that closed it is handled
}

// ---- outcome table and sounds ----

void AlertViews::UpdateOutcomeStats() {
    ReportListView* table = view_.outcomeTable;
    const auto rows = qivra::UpdateOutcomeStats(host_.History(), host_.HistoryDepth());
    for (int r = 0; r < kOutcomeRowCount && r < table->RowCount(); ++r) {
        table->SetCellText(r, 1, ToQString(rows[r].count));
        table->SetCellText(r, 2, ToQString(rows[r].share));
    }
}

void AlertViews::CloseAll() {
    CloseDrawPopup();
    if (alarm_) CloseStreakAlarm();
}

}  // namespace qivra
