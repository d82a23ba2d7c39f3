#include "app/alert_views.hpp"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "alerts/draw_popup_text.hpp"
#include "alerts/outcome_stats.hpp"
#include "alerts/sounds.hpp"
#include "alerts/streak_alarm.hpp"
#include "app/program.hpp"
#include "core/text.hpp"
#include "ui/balloon_tip.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/main_window.hpp"
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

template <class T>
T* MainControl(Program& program, const char* name) {
    MainWindow* w = program.mainWindow();
    return w ? w->control<T>(QString::fromUtf8(name)) : nullptr;
}

bool Ticked(Program& program, const char* name) {
    auto* box = MainControl<QAbstractButton>(program, name);
    return box && box->isChecked();
}

}  // namespace

AlertViews::AlertViews(Program& program) : program_(program) {}

AlertViews::~AlertViews() {
    // Deleted, not closed: no close handler may reach into a program being torn down.
    delete popup_.data();
    delete alarm_.data();
}

// ---- streak alarm ----

ClickLabel* AlertViews::AlarmLabel() const {
    return alarm_ ? alarm_->control<ClickLabel>(QStringLiteral("透明标签1")) : nullptr;
}

bool AlertViews::StreakAlarmOpen() const { return !alarm_.isNull(); }
StreakAlarmWindow* AlertViews::StreakAlarm() const { return alarm_.data(); }
DrawPopup* AlertViews::Popup() const { return popup_.data(); }

void AlertViews::OpenStreakAlarm() {
    auto* box = MainControl<QCheckBox>(program_, "选择框3");
    if (!box) return;
    if (alarm_) {
        alarm_->raise();
    } else {
        blanked_ = false;
        alarm_ = new StreakAlarmWindow();
        Q_EMIT streakAlarmCreated(alarm_.data());
        alarm_->show();
    }
    box->setChecked(true);
    box->setEnabled(false);
}

void AlertViews::PlaceStreakAlarm() {
    if (alarm_) alarm_->move(1, 1);
}

void AlertViews::CheckStreakAlarm() {
    if (!alarm_ || !Ticked(program_, "单选框1")) return;
    StreakOptions options;
    auto* threshold = MainControl<QLineEdit>(program_, "编辑框4");
    options.threshold = threshold ? IntegerValue(threshold->text().toStdString()) : 0;
    for (int i = 0; i < 7; ++i) options.families[i] = Ticked(program_, ("选择框" + std::to_string(9 + i)).c_str());
    options.pairs = Ticked(program_, "选择框16");

    std::string& text = program_.state().alarmText;
    text = ScanStreaks(program_.state().history, options);
    SetAlarmCaption(ToQString(AlarmCaption(text)));
    if (text.empty()) return;
    if (Ticked(program_, "选择框6")) PlayAlarmSound();
    if (Ticked(program_, "选择框8")) {
        const QSize screen = ScreenSize();
        const Point at = StreakBalloonPoint(screen.width(), screen.height());
        program_.mainWindow()->Balloon()->ShowBalloon(QPoint(at.x, at.y), ToQString(BalloonText(text)));
    }
}

void AlertViews::SetAlarmCaption(const QString& caption) {
    // A caption written while the blink has the text blanked is the one the blink restores.
    if (blanked_) {
        blankedCaption_ = caption;
        return;
    }
    if (ClickLabel* label = AlarmLabel()) label->SetCaption(caption);
}

void AlertViews::SetAlarmTopmost() {
    if (!alarm_) return;
    auto* box = alarm_->control<QCheckBox>(QStringLiteral("选择框1"));
    SetAlwaysOnTop(alarm_.data(), box && box->isChecked());
}

void AlertViews::SetAlarmBlink() {
    if (!alarm_) return;
    auto* box = alarm_->control<QCheckBox>(QStringLiteral("选择框34"));
    if (box && box->isChecked())
        alarm_->Clock()->start(kBlinkIntervalMs);
    else
        alarm_->Clock()->stop();
}

void AlertViews::BlinkAlarmText() {
    ClickLabel* label = AlarmLabel();
    if (!label || blanked_) return;
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
    if (auto* box = MainControl<QCheckBox>(program_, "选择框3")) {
        box->setEnabled(true);
        box->setChecked(false);
    }
    if (!window) return;
    window->Clock()->stop();
    if (closeWindow) window->close();  // deletes itself once its events are done
}

void AlertViews::CloseStreakAlarm() { DropStreakAlarm(true); }

void AlertViews::StreakAlarmClosedByUser() { DropStreakAlarm(false); }

// ---- draw popup ----

void AlertViews::AnnounceDraw(const std::string& previousCaption) {
    const DrawHistory& history = program_.state().history;
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
    auto* caption = MainControl<QLabel>(program_, "标签1");
    const PopupTexts texts =
        FillDrawPopupTexts(program_.state().history, caption ? caption->text().toStdString() : std::string());
    if (auto* l = popup_->control<ClickLabel>(QStringLiteral("透明标签1"))) l->SetCaption(ToQString(texts.title));
    if (auto* l = popup_->control<ClickLabel>(QStringLiteral("标签2"))) l->SetCaption(ToQString(texts.drawLine));
    if (auto* l = popup_->control<ClickLabel>(QStringLiteral("透明标签2"))) l->SetCaption(ToQString(texts.historyLine));
    const QSize screen = ScreenSize();
    const Point at = PopupPosition(screen.width(), screen.height(), popup_->width(), popup_->height());
    popup_->move(at.x, at.y);
    if (Ticked(program_, "选择框4")) PlayPopupSound();
    popupTicks_ = 0;
    SetAlwaysOnTop(popup_.data(), true);
}

void AlertViews::TickPopupCountdown() {
    if (!popup_) return;
    ++popupTicks_;
    if (auto* title = popup_->control<ClickLabel>(QStringLiteral("标签1")))
        title->SetCaption(ToQString(PopupCountdownCaption(popupTicks_)));
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
    auto* table = MainControl<ReportListView>(program_, "超级列表框1");
    if (!table) return;
    const auto rows = qivra::UpdateOutcomeStats(program_.state().history, program_.HistoryDepthValue());
    for (int r = 0; r < kOutcomeRowCount && r < table->RowCount(); ++r) {
        table->SetCellText(r, 1, ToQString(rows[r].count));
        table->SetCellText(r, 2, ToQString(rows[r].share));
    }
}

void AlertViews::PlayRefreshSound() { qivra::PlayRefreshSound(); }

void AlertViews::CloseAll() {
    CloseDrawPopup();
    if (alarm_) CloseStreakAlarm();
}

}  // namespace qivra
