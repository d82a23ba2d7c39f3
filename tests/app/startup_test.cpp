#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "core/history_colours.hpp"
#include "core/classify.hpp"
#include "ui/qt_support.hpp"
#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/integer_edit.hpp"

namespace qivra::testing {
namespace {

using Answer = MessageBoxes::Answer;

TEST_F(ProgramFixture, UnreachableConfigurationEndsWithItsMessage) {
    service_->Stop();
    EXPECT_FALSE(StartProgram());
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_EQ(messages_->ShownBoxes()[0].title, QString::fromUtf8("Qivra提示："));
    EXPECT_EQ(messages_->ShownBoxes()[0].text, QString::fromUtf8("连接服务器失败，关闭杀毒后重试或者检查网络是否连接"));
}

TEST_F(ProgramFixture, AnotherPublishedVersionAsksAndEnds) {
    for (Answer answer : {Answer::Yes, Answer::No}) {
        SCOPED_TRACE(static_cast<int>(answer));
        service_->SetPublishedVersion("1.4.1");
        messages_->SetNextAnswers({answer});
        messages_->ClearShown();
        openedUrls_.clear();
        EXPECT_FALSE(StartProgram());
        ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
        const MessageBoxes::Shown& box = messages_->ShownBoxes()[0];
        EXPECT_EQ(box.title, QString::fromUtf8("信息："));
        EXPECT_TRUE(box.text.startsWith(QString::fromUtf8("软件已更新，请下载最新版使用\r\n\r\n最新版本：1.4.1\r\n\r\n")));
        EXPECT_TRUE(box.text.endsWith(QString::fromUtf8("是否打开网站？")));
        EXPECT_EQ(openedUrls_.size(), answer == Answer::Yes ? 1u : 0u);
        if (!openedUrls_.empty()) {
            EXPECT_EQ(openedUrls_[0].toString().toStdString(), CompiledInSettings().downloadPage);
        }
    }
}

TEST_F(ProgramFixture, StartUpShowsNoticeStatusAndHistory) {
    service_->SetNotice("欢迎");
    StartAndWaitForFirstRefresh();
    EXPECT_TRUE(messages_->ShownBoxes().empty());
    EXPECT_EQ(Control<QLabel>("标签8")->text(), QString::fromUtf8("欢迎"));
    EXPECT_EQ(Control<StatusStrip>("状态条1")->PartText(2), QString::fromUtf8("当前状态：连接服务器成功，当前版本:1.4.0"));
    EXPECT_FALSE(Control<QPlainTextEdit>("编辑框2")->toPlainText().isEmpty());

    // Started after 09:00: the layout's game stays chosen.
    EXPECT_EQ(Control<QComboBox>("组合框1")->currentIndex(), 1);
    const ProgramState& st = program_->State();
    ASSERT_EQ(st.history.size(), 110);
    EXPECT_EQ(program_->Choices().freePlan, 1);
    EXPECT_EQ(program_->Choices().namedKind, 1);
    EXPECT_EQ(st.freePlans.size(), 16u);
    EXPECT_EQ(st.namedPlans.size(), 56u);
    EXPECT_EQ(st.planLinks[36], 37);
    EXPECT_EQ(st.planLinks[37], 38);
    EXPECT_EQ(st.planLinks[72], 0);
    EXPECT_EQ(st.planLinks[102], 88);

    auto* summary = Control<EGrid>("高级表格1");
    auto* trend = Control<EGrid>("高级表格3");
    EXPECT_EQ(summary->RowCount(), 101);
    EXPECT_EQ(trend->RowCount(), 101);
    for (int r = 1; r <= 100; ++r) {
        const DrawRecord& d = st.history.at(r);
        ASSERT_EQ(summary->CellText(r, 0).toStdString(), d.period);
        ASSERT_EQ(summary->CellText(r, 1).toStdString(), d.content);
        ASSERT_EQ(trend->CellText(r, 4).toStdString(), CombinationText(d.sum));
        for (int c = 2; c <= 8; ++c)
            ASSERT_EQ(trend->CellBackground(r, c), ToQColor(AttributeColour(trend->CellText(r, c).toStdString())));
    }
    for (const char* name : {"高级表格2", "高级表格4", "高级表格5"}) {
        auto* grid = Control<EGrid>(name);
        EXPECT_EQ(grid->CellText(2, 0).toStdString(), st.history.at(1).period) << name;
        EXPECT_EQ(grid->CellText(2, 1).toStdString(), st.history.at(1).time.substr(0, 5)) << name;
        EXPECT_EQ(grid->CellText(2, 2).toStdString(), st.history.at(1).content) << name;
    }
    // Draw 100 would be row 101 of the plan grids, past their last row.
    EXPECT_EQ(Control<EGrid>("高级表格2")->CellText(100, 0).toStdString(), st.history.at(99).period);

    const DrawRecord& newest = st.history.newest();
    EXPECT_EQ(Control<QLabel>("标签1")->text().toStdString(), "加拿大28 第" + newest.period + "期");
    EXPECT_EQ(Control<QLabel>("标签5")->text().toStdString(), std::to_string(newest.sum));
    EXPECT_EQ(window().windowTitle().toStdString(),
              "[" + newest.time + " " + newest.content + " " + newest.period + "]Qivra28综合预测软件多功能版");
    EXPECT_TRUE(window().Clock()->isActive());
}

TEST_F(ProgramFixture, SumFourteenRowShowsItsAttributesInColour) {
    StartAndWaitForFirstRefresh();
    auto* trend = Control<EGrid>("高级表格3");
    int row = 0;
    for (int r = 1; r <= 100 && !row; ++r)
        if (program_->State().history.at(r).sum == 14) row = r;
    ASSERT_GT(row, 0) << "the seeded history holds a sum of 14";
    const char* texts[] = {"大", "双", "大双", "中", "2", "2", "4"};
    const QColor colours[] = {{255, 0, 0}, {255, 80, 128}, {0, 128, 0}, {0, 128, 0},
                              {255, 128, 0}, {255, 128, 0}, {0, 128, 128}};
    for (int c = 2; c <= 8; ++c) {
        EXPECT_EQ(trend->CellText(row, c), QString::fromUtf8(texts[c - 2]));
        EXPECT_EQ(trend->CellBackground(row, c), colours[c - 2]);
    }
}

TEST_F(ProgramFixture, SwitchingTheGameChangesTheCaptionPrefix) {
    StartAndWaitForFirstRefresh();
    auto* games = Control<QComboBox>("组合框1");
    QSignalSpy spy(program_.get(), &Program::refreshFinished);
    games->setCurrentIndex(0);
    Q_EMIT games->activated(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    EXPECT_TRUE(Control<QLabel>("标签1")->text().startsWith(QString::fromUtf8("幸运28 第")));
    EXPECT_EQ(program_->State().history.newest().time.size(), 5u);
}

TEST_F(ProgramFixture, OnlyOneHundredPeriodsAreAccepted) {
    StartAndWaitForFirstRefresh();
    auto* depth = Control<IntegerEdit>("编辑框1");
    depth->setText(QStringLiteral("200"));
    messages_->ClearShown();
    QTest::mouseClick(Control<QPushButton>("按钮1"), Qt::LeftButton);
    ASSERT_TRUE(WaitForRefresh());
    ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
    EXPECT_EQ(messages_->ShownBoxes()[0].text, QString::fromUtf8("当前版本不支持使用更多期数，等待更新！！"));
    EXPECT_EQ(depth->text(), QStringLiteral("100"));
    // The spin arrows step the text without a bound; the next refresh puts it back.
    Q_EMIT depth->spinPressed(+1);
    EXPECT_EQ(depth->text(), QStringLiteral("101"));
    depth->setText(QStringLiteral("0"));
    Q_EMIT depth->spinPressed(-1);
    EXPECT_EQ(depth->text(), QStringLiteral("-1"));
}

TEST_F(ProgramFixture, TheClockRefreshesWhenTheNextDrawIsDue) {
    StartAndWaitForFirstRefresh();
    const std::string before = program_->State().history.newest().period;
    // Tick as the timer would, moving the clock a second each time, until a new draw shows.
    QSignalSpy finished(program_.get(), &Program::refreshFinished);
    bool changed = false;
    for (int s = 0; s < 400 && !changed; ++s) {
        clock_->Advance(std::chrono::seconds(1));
        program_->ClockTick();
        if (program_->RefreshInFlight()) {
            ASSERT_TRUE(WaitForRefresh());
        }
        changed = program_->State().history.newest().period != before;
    }
    EXPECT_TRUE(changed);
    EXPECT_EQ(std::stoll(program_->State().history.newest().period), std::stoll(before) + 1);
    EXPECT_GE(program_->State().countdown, 150);
    EXPECT_FALSE(Control<QLabel>("标签7")->text().isEmpty());
}

TEST_F(ProgramFixture, ARefreshAskedForDuringASlowFetchRunsOnceAfterIt) {
    StartAndWaitForFirstRefresh();
    FaultPlan slow;
    slow.delaySeconds = 2;
    service_->SetFault(1, slow);
    QSignalSpy finished(program_.get(), &Program::refreshFinished);
    program_->Refresh();
    EXPECT_TRUE(program_->RefreshInFlight());
    EXPECT_FALSE(window().Clock()->isActive());
    // The window keeps answering while the fetch waits: its events run.
    QTest::qWait(200);
    QTest::mouseClick(Control<QPushButton>("按钮1"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("按钮1"), Qt::LeftButton);
    service_->ClearFaults();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() >= 2 && !program_->RefreshInFlight(); }, 20000));
    QTest::qWait(300);
    EXPECT_EQ(finished.count(), 2);
    EXPECT_TRUE(window().Clock()->isActive());
}

TEST_F(ProgramFixture, AFailedRefreshKeepsTheHistoryAndRestartsTheClock) {
    StartAndWaitForFirstRefresh();
    const std::string newest = program_->State().history.newest().period;
    const QString firstRow = Control<EGrid>("高级表格1")->CellText(1, 0);
    FaultPlan broken;
    broken.status = 500;
    service_->SetFault(1, broken);
    RefreshAndWait();
    EXPECT_EQ(program_->State().history.newest().period, newest);
    EXPECT_EQ(Control<EGrid>("高级表格1")->CellText(1, 0), firstRow);
    EXPECT_TRUE(window().Clock()->isActive());
}

TEST_F(ProgramFixture, ClosingTheMainWindowEndsTheProgram) {
    StartAndWaitForFirstRefresh();
    QSignalSpy quit(program_.get(), &Program::quitRequested);
    window().close();
    EXPECT_EQ(quit.count(), 1);
}

}  // namespace
}  // namespace qivra::testing
