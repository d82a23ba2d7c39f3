// The road of a new draw: the service publishes it, the clock reaches the due second, and one
// refresh brings every part of the program up to the new period.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <span>
#include <string>
#include <vector>

#include "alerts/draw_popup_text.hpp"
#include "alerts/outcome_stats.hpp"
#include "alerts/sounds.hpp"
#include "alerts/streak_alarm.hpp"
#include "app/alert_views.hpp"
#include "core/draw_clock.hpp"
#include "core/classify.hpp"
#include "core/text.hpp"
#include "ui/qt_support.hpp"
#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/egrid.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra::testing {
namespace {

class SoundLog final : public SoundPlayer {
public:
    void Play(std::span<const uint8_t> image, bool) override {
        if (image.data() == AlarmSound().data()) played.push_back("alarm");
        else if (image.data() == PopupSound().data()) played.push_back("popup");
        else if (image.data() == RefreshSound().data()) played.push_back("refresh");
        else played.push_back("other");
    }
    std::vector<std::string> played;
};

class NewDrawRoad : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
        soundPlayer_ = &sounds_;
    }

    QTemporaryDir dir_;
    SoundLog sounds_;
};

TEST_F(NewDrawRoad, OneRefreshBringsEveryViewToTheNewPeriod) {
    ProgramServices s = Services();
    s.algorithmStorePath = dir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
    program_ = std::make_unique<Program>(std::move(s));
    program_->CreateMainWindow();
    ConnectEventMap(*program_);
    ASSERT_TRUE(RunStart());
    ASSERT_TRUE(WaitForRefresh());

    // The user switches everything on: popup and sounds, the streak alarm reporting every
    // family, and custom algorithms.
    QTest::mouseClick(Control<QCheckBox>("选择框1"), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>("选择框4"), Qt::LeftButton);
    QTest::mouseClick(Control<QCheckBox>("选择框3"), Qt::LeftButton);
    Control<QLineEdit>("编辑框4")->setText(QStringLiteral("0"));
    QTest::mouseClick(Control<QPushButton>("按钮4"), Qt::LeftButton);
    ASSERT_TRUE(program_->Alerts().StreakAlarmOpen());
    ASSERT_TRUE(program_->Custom().Enabled());
    program_->Alerts().CloseDrawPopup();
    sounds_.played.clear();

    const std::string before = program_->State().history.newest().period;
    // The clock runs as the timer would drive it until the service has the next draw.
    int ticks = 0;
    while (program_->State().history.newest().period == before && ticks < 400) {
        clock_->Advance(std::chrono::seconds(1));
        program_->ClockTick();
        ++ticks;
        if (program_->RefreshInFlight()) {
            ASSERT_TRUE(WaitForRefresh());
        }
    }
    const DrawHistory& h = program_->State().history;
    const DrawRecord& d = h.newest();
    ASSERT_EQ(std::stoll(d.period), std::stoll(before) + 1) << "after " << ticks << " ticks";
    const QString period = ToQString(d.period);
    const QString coming = QString::number(std::stoll(d.period) + 1);

    // History grids.
    EXPECT_EQ(Control<EGrid>("高级表格1")->CellText(1, 0), period);
    EXPECT_EQ(Control<EGrid>("高级表格1")->CellText(1, 1), ToQString(d.content));
    EXPECT_EQ(Control<EGrid>("高级表格3")->CellText(1, 4), ToQString(CombinationText(d.sum)));
    // Both plan views and the custom page: the coming period and the newest judged row.
    for (const char* name : {"高级表格2", "高级表格4", "高级表格5"}) {
        auto* grid = Control<EGrid>(name);
        EXPECT_EQ(grid->CellText(1, 0), coming) << name;
        EXPECT_EQ(grid->CellText(2, 0), period) << name;
        EXPECT_FALSE(grid->CellText(2, 6).isEmpty()) << name;
        EXPECT_FALSE(grid->CellText(2, 3).isEmpty()) << name;
    }
    // The streak alarm reports over the new history.
    StreakOptions options;
    options.threshold = 0;
    options.families.fill(true);
    EXPECT_EQ(program_->Alerts().AlarmText(), ScanStreaks(h, options));
    EXPECT_EQ(program_->Alerts().StreakAlarm()->Control<ClickLabel>(QStringLiteral("透明标签1"))->Caption().toStdString(),
              AlarmCaption(program_->Alerts().AlarmText()));
    // The popup announces it.
    DrawPopup* popup = program_->Alerts().Popup();
    ASSERT_NE(popup, nullptr);
    const PopupTexts texts = FillDrawPopupTexts(h, Control<QLabel>("标签1")->text().toStdString());
    EXPECT_EQ(popup->Control<ClickLabel>(QStringLiteral("标签2"))->Caption().toStdString(), texts.drawLine);
    EXPECT_TRUE(popup->Control<ClickLabel>(QStringLiteral("透明标签1"))->Caption().contains(period));
    // The outcome table counts it.
    const auto rows = UpdateOutcomeStats(h, 100);
    auto* table = Control<ReportListView>("超级列表框1");
    for (int r = 0; r < 25; ++r) EXPECT_EQ(table->CellText(r, 1).toStdString(), rows[static_cast<size_t>(r)].count) << r;
    // The draw panel, the title and the countdown.
    EXPECT_EQ(Control<QLabel>("标签1")->text(), QString::fromUtf8("加拿大28 第") + period + QString::fromUtf8("期"));
    EXPECT_EQ(Control<QLabel>("标签2")->text(), QString::number(d.digit1));
    EXPECT_EQ(Control<QLabel>("标签5")->text(), QString::number(d.sum));
    EXPECT_TRUE(window().windowTitle().contains(period));
    program_->ClockTick();
    EXPECT_EQ(Control<QLabel>("标签7")->text().toStdString(), CountdownLabel(program_->State().countdown));
    EXPECT_GT(program_->State().countdown, 150);
    // Sounds in the pass's order: the alarm's report, the popup, the end of the refresh. The
    // clock's earlier polls found no new draw: they played only the refresh sound.
    ASSERT_GE(sounds_.played.size(), 3u);
    const std::vector<std::string> last(sounds_.played.end() - 3, sounds_.played.end());
    EXPECT_EQ(last, (std::vector<std::string>{"alarm", "popup", "refresh"}));
    for (size_t i = 0; i + 3 < sounds_.played.size(); ++i)
        EXPECT_TRUE(sounds_.played[i] == "refresh" || sounds_.played[i] == "alarm") << sounds_.played[i];
}

}  // namespace
}  // namespace qivra::testing
