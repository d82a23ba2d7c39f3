#include <QCheckBox>
#include <QCloseEvent>
#include <QSpontaneKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "alerts/draw_popup_text.hpp"
#include "alerts/outcome_stats.hpp"
#include "alerts/sounds.hpp"
#include "alerts/streak_alarm.hpp"
#include "app/alert_views.hpp"
#include "core/classify.hpp"
#include "program_fixture.hpp"
#include "ui/balloon_tip.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/qt_support.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra::testing {
namespace {


// Records which embedded sound each request names instead of playing it.
class RecordingPlayer final : public SoundPlayer {
public:
    void Play(std::span<const uint8_t> image, bool loop) override {
        EXPECT_FALSE(loop);
        if (image.data() == AlarmSound().data()) played.push_back("alarm");
        else if (image.data() == RefreshSound().data()) played.push_back("refresh");
        else if (image.data() == PopupSound().data()) played.push_back("popup");
        else played.push_back("other");
    }
    std::vector<std::string> played;
};

using Sounds = std::vector<std::string>;

const char kPopupLayoutTitle[] = "  Qivra28开奖提示:  双击关闭 10s后自动关闭";
const char kAlarmLayoutText[] = "火车报警：\r\n\r\n首次打开请先刷新一下软件";
const char kAlarmHeading[] = "Qivra火车报警：\r\n\r\n";

class AlertViewsTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        soundPlayer_ = &player_;
    }

    // Starts the program with the given main-window boxes clicked before the first refresh.
    void StartClicking(std::initializer_list<const char*> boxes) {
        program_ = std::make_unique<Program>(Services());
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        for (const char* name : boxes) QTest::mouseClick(Control<QCheckBox>(name), Qt::LeftButton);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
    }

    void Restart(std::initializer_list<const char*> boxes) {
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        player_.played.clear();
        StartClicking(boxes);
    }

    AlertViews& alerts() { return program_->Alerts(); }
    DrawPopup* popup() { return alerts().Popup(); }
    StreakAlarmWindow* alarm() { return alerts().StreakAlarm(); }

    template <class T = ClickLabel>
    T* popupControl(const char* name) {
        return popup()->Control<T>(ToQString(name));
    }
    template <class T = ClickLabel>
    T* alarmControl(const char* name) {
        return alarm()->Control<T>(ToQString(name));
    }
    std::string AlarmCaptionShown() { return alarmControl("透明标签1")->Caption().toStdString(); }

    void OpenAlarm() {
        QTest::mouseClick(Control<QCheckBox>("选择框3"), Qt::LeftButton);
        ASSERT_NE(alarm(), nullptr);
    }

    void SetThreshold(const char* text) { Control<QLineEdit>("编辑框4")->setText(ToQString(text)); }

    // Every DrawPopup on screen.
    static int PopupsShown() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<DrawPopup*>(w) && w->isVisible()) ++n;
        return n;
    }

    // What the window manager sends when the title bar's close button is pressed.
    static void CloseFromTitleBar(QWidget* window) {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QCoreApplication::instance()->notify(window->windowHandle(), &close);
    }

    static QSize Screen() { return QGuiApplication::primaryScreen()->geometry().size(); }

    RecordingPlayer player_;
};

TEST_F(AlertViewsTest, FirstRefreshAnnouncesTheDrawWithTextsPlaceAndSounds) {
    ASSERT_NO_FATAL_FAILURE(StartClicking({"选择框1", "选择框4"}));
    ASSERT_NE(popup(), nullptr) << "the layout caption's 000000 is never the newest period";
    EXPECT_TRUE(popup()->isVisible());
    EXPECT_EQ(PopupsShown(), 1);

    const QString mainCaption = Control<QLabel>("标签1")->text();
    const PopupTexts expected = FillDrawPopupTexts(program_->State().history, mainCaption.toStdString());
    EXPECT_EQ(popupControl("透明标签1")->Caption(), mainCaption);
    EXPECT_EQ(popupControl("透明标签1")->Caption().toStdString(), expected.title);
    EXPECT_EQ(popupControl("标签2")->Caption().toStdString(), expected.drawLine);
    EXPECT_EQ(popupControl("透明标签2")->Caption().toStdString(), expected.historyLine);
    EXPECT_EQ(popupControl("标签1")->Caption(), ToQString(kPopupLayoutTitle));

    const Point at = PopupPosition(Screen().width(), Screen().height(), DrawPopup::kWidth, DrawPopup::kHeight);
    EXPECT_EQ(popup()->pos(), QPoint(at.x, at.y));
    EXPECT_TRUE(popup()->windowFlags() & Qt::WindowStaysOnTopHint);
    // The popup's sound when it is filled, the refresh's at the end of the pass.
    EXPECT_EQ(player_.played, (Sounds{"popup", "refresh"}));
}

TEST_F(AlertViewsTest, OnlyANewPeriodOpensAPopupAndItReplacesTheOpenOne) {
    ASSERT_NO_FATAL_FAILURE(StartClicking({"选择框1", "选择框4"}));
    QPointer<DrawPopup> first = popup();
    ASSERT_TRUE(first);
    const QString firstTitle = popupControl("透明标签1")->Caption();

    RefreshAndWait();
    EXPECT_EQ(popup(), first.data()) << "same newest period: the open popup stays";
    EXPECT_EQ(player_.played, (Sounds{"popup", "refresh", "refresh"}));

    clock_->Advance(std::chrono::seconds(218));  // past the next draw time + 8 s
    RefreshAndWait();
    ASSERT_NE(popup(), nullptr);
    EXPECT_NE(popup(), first.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(PopupsShown(), 1);
    EXPECT_NE(popupControl("透明标签1")->Caption(), firstTitle);
    EXPECT_EQ(popupControl("透明标签1")->Caption(), Control<QLabel>("标签1")->text());
    EXPECT_EQ(player_.played, (Sounds{"popup", "refresh", "refresh", "popup", "refresh"}));

    // Once closed, a refresh of the same period does not bring it back.
    alerts().CloseDrawPopup();
    RefreshAndWait();
    EXPECT_EQ(popup(), nullptr);
    EXPECT_EQ(PopupsShown(), 0);
}

TEST_F(AlertViewsTest, PopupAndSoundsFollowTheirBoxes) {
    struct Case {
        std::initializer_list<const char*> clicked;
        bool popup;
        Sounds sounds;
    } cases[] = {
        {{"选择框1"}, true, {}},
        {{"选择框4"}, false, {"refresh"}},
        {{}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clicked.size() ? c.clicked.begin()[0] : "none");
        ASSERT_NO_FATAL_FAILURE(Restart(c.clicked));
        EXPECT_EQ(popup() != nullptr, c.popup);
        EXPECT_EQ(PopupsShown(), c.popup ? 1 : 0);
        EXPECT_EQ(player_.played, c.sounds);
    }
}

TEST_F(AlertViewsTest, PopupCountsDownAndClosesOnTheEleventhTick) {
    ASSERT_NO_FATAL_FAILURE(StartClicking({"选择框1"}));
    QPointer<DrawPopup> shown = popup();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->Clock()->isActive());
    EXPECT_EQ(shown->Clock()->interval(), 1000);
    for (int tick = 1; tick <= 10; ++tick) {
        alerts().TickPopupCountdown();
        ASSERT_EQ(popup(), shown.data()) << tick;
        EXPECT_EQ(popupControl("标签1")->Caption().toStdString(), PopupCountdownCaption(tick));
    }
    EXPECT_TRUE(popupControl("标签1")->Caption().endsWith(ToQString(" 0s后自动关闭")));
    alerts().TickPopupCountdown();
    EXPECT_EQ(popup(), nullptr);
    EXPECT_FALSE(shown && shown->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown.isNull());
}

TEST_F(AlertViewsTest, APopupClosesOnAClickOfItsTitleOrADoubleClick) {
    ASSERT_NO_FATAL_FAILURE(StartClicking({"选择框1"}));
    enum How { TitleClick, TitleDoubleClick, WindowDoubleClick };
    for (How how : {TitleClick, TitleDoubleClick, WindowDoubleClick}) {
        SCOPED_TRACE(how);
        if (!popup()) {
            Control<QLabel>("标签1")->setText(ToQString("加拿大28 第000000期"));  // as after a game switch
            RefreshAndWait();
        }
        QPointer<DrawPopup> shown = popup();
        ASSERT_TRUE(shown);
        alerts().TickPopupCountdown();  // closing is not tied to the countdown
        QWidget* title = popupControl<QWidget>("标签1");
        if (how == TitleClick) QTest::mouseClick(title, Qt::LeftButton);
        if (how == TitleDoubleClick) {
            // The double-click event alone: a click's release would close the popup first.
            const QPoint at = title->rect().center();
            QMouseEvent twice(QEvent::MouseButtonDblClick, at, title->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(title, &twice);
        }
        if (how == WindowDoubleClick) QTest::mouseDClick(shown.data(), Qt::LeftButton, {}, QPoint(320, 155));
        EXPECT_EQ(popup(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(shown.isNull());
    }
    // A press on the title that is released elsewhere is not a click.
    Control<QLabel>("标签1")->setText(ToQString("加拿大28 第000000期"));
    RefreshAndWait();
    ASSERT_NE(popup(), nullptr);
    QWidget* title = popupControl<QWidget>("标签1");
    QTest::mousePress(title, Qt::LeftButton);
    QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_NE(popup(), nullptr);
}

TEST_F(AlertViewsTest, TickingTheAlarmBoxOpensTheWindowAtTheCorner) {
    StartAndWaitForFirstRefresh();
    auto* box = Control<QCheckBox>("选择框3");
    EXPECT_FALSE(alerts().StreakAlarmOpen());
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    EXPECT_TRUE(alarm()->isVisible());
    EXPECT_EQ(alarm()->pos(), QPoint(1, 1));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(AlarmCaptionShown(), kAlarmLayoutText);
    EXPECT_FALSE(alarm()->Clock()->isActive());

    // Disabled while open: another click neither unticks it nor opens a second window.
    StreakAlarmWindow* first = alarm();
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_EQ(alarm(), first);
    EXPECT_TRUE(box->isChecked());
}

TEST_F(AlertViewsTest, ARefreshWritesTheReportOfTheTickedFamilies) {
    StartAndWaitForFirstRefresh();
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    SetThreshold("0");  // every ticked family reaches it
    RefreshAndWait();
    const std::string report = program_->Alerts().AlarmText();
    EXPECT_EQ(AlarmCaptionShown(), kAlarmHeading + report);
    const DrawRecord& newest = program_->State().history.newest();
    const std::string expectedFirstLines = "【" + SizeText(newest.sum) + "】 已连开：【";
    EXPECT_EQ(report.rfind(expectedFirstLines, 0), 0u) << report;
    auto lines = [](const std::string& text) {
        int n = 0;
        for (size_t at = text.find("已连开"); at != std::string::npos; at = text.find("已连开", at + 1)) ++n;
        return n;
    };
    const bool pair = PairKind(newest.digit1, newest.digit2, newest.digit3) == "对子";
    EXPECT_EQ(lines(report), 7 + (pair ? 1 : 0));

    // An unticked family is never reported, and 对子 unticked silences the pairs.
    QTest::mouseClick(Control<QCheckBox>("选择框10"), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>("选择框16"), Qt::LeftButton);
    RefreshAndWait();
    const std::string fewer = program_->Alerts().AlarmText();
    EXPECT_EQ(lines(fewer), 6);
    EXPECT_EQ(fewer.find("【单】"), std::string::npos);
    EXPECT_EQ(fewer.find("【双】"), std::string::npos);
    EXPECT_EQ(fewer.find("对子"), std::string::npos);
    EXPECT_EQ(AlarmCaptionShown(), kAlarmHeading + fewer);
}

TEST_F(AlertViewsTest, AlarmSoundAndBalloonFollowOnlyTheirOwnBoxes) {
    struct Case {
        const char* name;
        std::initializer_list<const char*> clicked;  // page boxes and 选择框4, before the check
        const char* threshold;
        Sounds sounds;  // requested by the refresh pass
        bool balloon;
    } cases[] = {
        {"sound and balloon", {}, "0", {"alarm"}, true},
        {"refresh sound is not the alarm's", {"选择框6", "选择框4"}, "0", {"refresh"}, true},
        {"no balloon", {"选择框8"}, "0", {"alarm"}, false},
        {"empty report", {"选择框4"}, "99", {"refresh"}, false},
        {"not a number counts as 0", {}, "abc", {"alarm"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Restart({}));
        ASSERT_NO_FATAL_FAILURE(OpenAlarm());
        for (const char* name : c.clicked) QTest::mouseClick(Control<QCheckBox>(name), Qt::LeftButton);
        SetThreshold(c.threshold);
        player_.played.clear();
        RefreshAndWait();
        const std::string& report = program_->Alerts().AlarmText();
        EXPECT_EQ(player_.played, c.sounds);
        EXPECT_EQ(report.empty(), std::string(c.threshold) == "99");
        if (report.empty()) {
            EXPECT_EQ(AlarmCaptionShown(), kAlarmHeading);
        }
        EXPECT_EQ(window().Balloon()->LastText().toStdString(), c.balloon ? BalloonText(report) : std::string());
        if (c.balloon) {
            EXPECT_FALSE(window().Balloon()->LastText().contains(QLatin1Char('\r')));
        }
    }
}

TEST_F(AlertViewsTest, TopmostAndBlinkFollowTheirBoxes) {
    StartAndWaitForFirstRefresh();
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    RefreshAndWait();
    const std::string report = AlarmCaptionShown();

    auto* topmost = alarmControl<QCheckBox>("选择框1");
    QTest::mouseClick(topmost, Qt::LeftButton);
    EXPECT_TRUE(alarm()->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(alarm()->isVisible());
    QTest::mouseClick(topmost, Qt::LeftButton);
    EXPECT_FALSE(alarm()->windowFlags() & Qt::WindowStaysOnTopHint);

    auto* blink = alarmControl<QCheckBox>("选择框34");
    QTest::mouseClick(blink, Qt::LeftButton);
    EXPECT_TRUE(alarm()->Clock()->isActive());
    EXPECT_EQ(alarm()->Clock()->interval(), 1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return AlarmCaptionShown().empty(); }, 3000));
    // A check during the blank half: its caption is the one that comes back.
    QTest::mouseClick(blink, Qt::LeftButton);
    EXPECT_FALSE(alarm()->Clock()->isActive());
    SetThreshold("0");
    alerts().CheckStreakAlarm();
    const std::string newer = kAlarmHeading + program_->Alerts().AlarmText();
    ASSERT_NE(newer, report);
    QTest::qWait(700);  // past the restore; the blink is off, so nothing blanks it again
    EXPECT_EQ(AlarmCaptionShown(), newer);

    // Closed while blanked: the next window is written to at once.
    QTest::mouseClick(blink, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return AlarmCaptionShown().empty(); }, 3000));
    QTest::mouseClick(alarmControl<QPushButton>("按钮1"), Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    EXPECT_FALSE(alarm()->Clock()->isActive());
    alerts().CheckStreakAlarm();
    EXPECT_EQ(AlarmCaptionShown(), newer);
    QTest::qWait(700);
    EXPECT_EQ(AlarmCaptionShown(), newer);
}

TEST_F(AlertViewsTest, CloseAndTheTitleBarBothUntickTheAlarmBox) {
    StartAndWaitForFirstRefresh();
    auto* box = Control<QCheckBox>("选择框3");
    for (bool titleBar : {false, true}) {
        SCOPED_TRACE(titleBar ? "title bar" : "关闭");
        ASSERT_NO_FATAL_FAILURE(OpenAlarm());
        RefreshAndWait();
        QTest::mouseClick(alarmControl<QCheckBox>("选择框34"), Qt::LeftButton);
        QPointer<StreakAlarmWindow> shown = alarm();
        if (titleBar)
            CloseFromTitleBar(shown.data());
        else
            QTest::mouseClick(alarmControl<QPushButton>("按钮1"), Qt::LeftButton);
        EXPECT_FALSE(alerts().StreakAlarmOpen());
        EXPECT_FALSE(box->isChecked());
        EXPECT_TRUE(box->isEnabled());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(shown.isNull());
        // A closed alarm is not checked by the next refresh.
        RefreshAndWait();
        EXPECT_FALSE(alerts().StreakAlarmOpen());
    }
    // Reopened: a fresh window from the layout.
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    EXPECT_EQ(AlarmCaptionShown(), kAlarmLayoutText);
    EXPECT_FALSE(alarmControl<QCheckBox>("选择框34")->isChecked());
}

TEST_F(AlertViewsTest, OutcomeTableAgreesWithTheHistory) {
    StartAndWaitForFirstRefresh();
    const auto expected = qivra::UpdateOutcomeStats(program_->State().history, 100);
    auto* table = Control<ReportListView>("超级列表框1");
    ASSERT_EQ(table->RowCount(), kOutcomeRowCount);
    int counted = 0;
    for (int r = 0; r < kOutcomeRowCount; ++r) {
        EXPECT_EQ(table->CellText(r, 0).toStdString(), OutcomeRowCaptions()[r]);
        EXPECT_EQ(table->CellText(r, 1).toStdString(), expected[r].count) << r;
        EXPECT_EQ(table->CellText(r, 2).toStdString(), expected[r].share) << r;
        if (r < 2) counted += table->CellText(r, 1).toInt();
    }
    EXPECT_EQ(counted, 100) << "大 and 小 split the hundred shown draws";
}

TEST_F(AlertViewsTest, ClosingTheMainWindowEndsTheProgramWithAlertsOpen) {
    ASSERT_NO_FATAL_FAILURE(StartClicking({"选择框1"}));
    ASSERT_NO_FATAL_FAILURE(OpenAlarm());
    QPointer<DrawPopup> shownPopup = popup();
    QPointer<StreakAlarmWindow> shownAlarm = alarm();
    ASSERT_TRUE(shownPopup);
    QSignalSpy quit(program_.get(), &Program::quitRequested);
    window().close();
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(shownPopup && shownPopup->isVisible());
    EXPECT_FALSE(shownAlarm && shownAlarm->isVisible());
    program_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shownPopup.isNull());
    EXPECT_TRUE(shownAlarm.isNull());
}

}  // namespace
}  // namespace qivra::testing
