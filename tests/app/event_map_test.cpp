// The event map walked as a user drives it: each control gets its own event (press, release,
// double-click, spin arrow, combo pick, current row, context menu, answered message box)
// through its window, at its place on screen, and the visible result of its operation is read
// back. The operations themselves are tested in depth by the page tests.

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpontaneKeyEvent>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "ui/qt_text.hpp"
#include "alerts/draw_popup_text.hpp"
#include "app/alert_views.hpp"
#include "app/custom_page.hpp"
#include "core/draw_clock.hpp"
#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra::testing {
namespace {

using Answer = MessageBoxes::Answer;


const QColor kChosen(158, 201, 251);
const QColor kPlain(236, 236, 236);

// One row of the map: what the user does to a control and what must show afterwards.
struct Row {
    const char* control;
    const char* event;
    std::function<void()> fire;
    std::function<void()> check;
};

class EventMapTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        ASSERT_TRUE(dir_.isValid());
    }

    // A running program keeping its algorithms in this test's folder; boxes are ticked before
    // creation runs, as a user quick enough could.
    void Start(std::initializer_list<const char*> boxes = {}) {
        ProgramServices s = Services();
        s.algorithmStorePath = dir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
        s.searchSeed = 2828;
        program_ = std::make_unique<Program>(std::move(s));
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        for (const char* name : boxes) QTest::mouseClick(Control<QCheckBox>(name), Qt::LeftButton);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
    }

    // Where the user points at local (default: the centre) of target in its top-level window.
    // A control on a tab page is reached by first clicking that page's tab. Fails when the
    // point shows another control: the user could not hit this one there.
    QPoint Reach(QWidget* target, QPoint local = {}) {
        EXPECT_NE(target, nullptr);
        if (!target) return {};
        if (local.isNull()) local = target->rect().center();
        if (target->window() == &window()) {
            TabBox* tabs = window().Tabs();
            for (int i = 0; i < tabs->PageCount(); ++i) {
                if (tabs->CurrentIndex() == i || !tabs->Page(i)->isAncestorOf(target)) continue;
                QTabBar* bar = tabs->Bar();
                QTest::mouseClick(Handle(bar), Qt::LeftButton, {}, Reach(bar, bar->tabRect(i).center()));
                EXPECT_EQ(tabs->CurrentIndex(), i);
            }
        }
        QWidget* top = target->window();
        const QPoint at = target->mapTo(top, local);
        QWidget* hit = top->childAt(at);
        // A window's own background has no control over it.
        EXPECT_TRUE(hit == target || target->isAncestorOf(hit) || (!hit && target->isWindow()))
            << target->objectName().toStdString() << " is covered by "
            << (hit ? hit->metaObject()->className() + (" " + hit->objectName().toStdString()) : "nothing");
        return at;
    }
    static QWindow* Handle(QWidget* w) { return w->window()->windowHandle(); }

    void Press(QWidget* w, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(Handle(w), b, {}, Reach(w)); }
    // Released over `over`; the window hands the release to the control that got the press.
    void Release(QWidget* w, QWidget* over = nullptr, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(Handle(w), b, {}, Reach(over ? over : w));
    }
    void Click(QWidget* w) { QTest::mouseClick(Handle(w), Qt::LeftButton, {}, Reach(w)); }
    void Click(const char* name) { Click(Control<QWidget>(name)); }
    HyperLinker* Link(int n) { return Control<HyperLinker>(QStringLiteral("超级链接框%1").arg(n).toUtf8().constData()); }

    // Picks item index from the open drop-down list of combo, with the mouse.
    static void PickFromOpenList(QComboBox* combo, int index) {
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 2000)) << "the list is not open";
        // A release too soon after the list opened belongs to the opening click.
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QPoint at = list->visualRect(list->model()->index(index, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        EXPECT_FALSE(list->isVisible());
    }

    // Types into an edit box the way the program reads it: the text, nothing run.
    void Type(const char* box, const char* text) { Control<QLineEdit>(box)->setText(ToQString(text)); }
    QString Text(const char* name) { return Control<QLineEdit>(name)->text(); }
    QString Caption(const char* label) { return Control<QLabel>(label)->text(); }

    ReportListView* Algorithms() { return Control<ReportListView>("超级列表框2"); }
    QPoint RowPoint(int row) {
        ReportListView* list = Algorithms();
        return list->visualItemRect(list->topLevelItem(row)).center();
    }
    void PressRow(int row, Qt::MouseButton b) {
        QWidget* viewport = Algorithms()->viewport();
        QTest::mousePress(Handle(viewport), b, {}, Reach(viewport, RowPoint(row)));
        QTest::mouseRelease(Handle(viewport), b, {}, Reach(viewport, RowPoint(row)));
    }

    std::vector<QString> GridTexts(const char* name) {
        const EGrid* grid = Control<EGrid>(name);
        std::vector<QString> texts;
        for (int r = 0; r < grid->RowCount(); ++r)
            for (int c = 0; c < 10; ++c) texts.push_back(grid->CellText(r, c));
        return texts;
    }

    std::string NewestPeriod() { return program_->State().history.newest().period; }
    void ExpectCaptionShowsPeriod(const std::string& period) {
        EXPECT_TRUE(Caption("标签1").endsWith(QString::fromStdString(" 第" + period + "期"))) << Caption("标签1").toStdString();
    }

    void WaitForRefreshFinished(QSignalSpy& finished) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    }

    AlertViews& alerts() { return program_->Alerts(); }

    QTemporaryDir dir_;
};

TEST_F(EventMapTest, MainWindowControlsRunTheirOperations) {
    ASSERT_NO_FATAL_FAILURE(Start());
    QSignalSpy refreshes(program_.get(), &Program::refreshFinished);
    std::string periodBefore;
    QString formulaBefore;
    std::vector<QString> gridBefore;
    auto* depth = Control<IntegerEdit>("编辑框1");

    // Depth steps: the arrow changes the text and nothing else runs.
    auto spin = [&](const char* from, bool up, const char* to) {
        return Row{"编辑框1", up ? "spin pressed +1" : "spin pressed -1",
                   [from, up, depth, &refreshes, this] {
                       depth->setText(ToQString(from));
                       refreshes.clear();
                       messages_->ClearShown();
                       Click(up ? depth->UpArrow() : depth->DownArrow());
                   },
                   [to, depth, &refreshes, this] {
                       EXPECT_EQ(depth->text(), ToQString(to));
                       QTest::qWait(50);
                       EXPECT_FALSE(program_->RefreshInFlight());
                       EXPECT_EQ(refreshes.count(), 0);
                       EXPECT_TRUE(messages_->ShownBoxes().empty());
                       depth->setText(QStringLiteral("100"));
                   }};
    };

    const Row rows[] = {
        {"按钮1", "clicked",
         [&] {
             periodBefore = NewestPeriod();
             clock_->Advance(std::chrono::seconds(218));  // the service has drawn the next period
             refreshes.clear();
             Click("按钮1");
         },
         [&] {
             WaitForRefreshFinished(refreshes);
             EXPECT_EQ(std::stoll(NewestPeriod()), std::stoll(periodBefore) + 1);
             ExpectCaptionShowsPeriod(NewestPeriod());
         }},
        {"组合框1", "item chosen",
         [&] {
             refreshes.clear();
             Click("组合框1");
             PickFromOpenList(Control<QComboBox>("组合框1"), 0);
         },
         [&] {
             WaitForRefreshFinished(refreshes);
             EXPECT_TRUE(Caption("标签1").startsWith(ToQString("幸运28 第"))) << Caption("标签1").toStdString();
         }},
        spin("100", true, "101"),
        spin("100", false, "99"),
        spin("0", false, "-1"),
        {"选择框3", "clicked", [&] { Click("选择框3"); },
         [&] {
             ASSERT_TRUE(alerts().StreakAlarmOpen());
             EXPECT_TRUE(alerts().StreakAlarm()->isVisible());
             EXPECT_FALSE(Control<QCheckBox>("选择框3")->isEnabled());
             alerts().CloseStreakAlarm();
         }},
        {"按钮4", "clicked", [&] { Click("按钮4"); },
         [&] {
             EXPECT_TRUE(program_->Custom().Enabled());
             EXPECT_EQ(Control<QPushButton>("按钮4")->text(), ToQString("开启成功"));
             EXPECT_FALSE(Control<QPushButton>("按钮4")->isEnabled());
         }},
        {"按钮3", "clicked",
         [&] {
             // Paint over what marking writes, so only a marking pass can clear it.
             for (int n = 17; n <= 72; ++n) Link(n)->SetTextColour(QColor(1, 2, 3));
             Control<QLabel>("标签13")->setText(QString());
             Click("按钮3");
         },
         [&] {
             EXPECT_TRUE(Caption("标签13").startsWith(ToQString("统计【20期】 对:"))) << Caption("标签13").toStdString();
             const QColor mark = Control<ColourPicker>("颜色选择器1")->colour();
             for (int n = 17; n <= 72; ++n) {
                 const QColor c = Link(n)->TextColour();
                 ASSERT_TRUE(c == mark || c == QColor(0, 0, 0)) << n;
             }
         }},
        {"超级链接框73", "left button released",
         [&] {
             formulaBefore = Text("编辑框5") + Text("编辑框6") + Text("编辑框7");
             Click(Link(73));
         },
         [&] { EXPECT_NE(Text("编辑框5") + Text("编辑框6") + Text("编辑框7"), formulaBefore); }},
        {"超级链接框84", "left button released",
         [&] {
             messages_->ClearShown();
             Click(Link(84));
         },
         [&] {
             ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
             EXPECT_EQ(messages_->ShownBoxes()[0].title, ToQString("信息："));
             EXPECT_EQ(messages_->ShownBoxes()[0].text, CustomPage::HelpText());
         }},
        {"超级链接框85", "left button released",
         [&] {
             gridBefore = GridTexts("高级表格5");
             Type("编辑框5", "[1]");
             Type("编辑框6", "[2]");
             Type("编辑框7", "[3]");
             ASSERT_EQ(GridTexts("高级表格5"), gridBefore) << "typing alone recomputes nothing";
             Click(Link(85));
         },
         [&] { EXPECT_NE(GridTexts("高级表格5"), gridBefore); }},
        {"超级链接框86", "left button released",
         [&] {
             for (const char* name : {"甲", "乙", "丙"}) {
                 Type("编辑框8", name);
                 Click(Link(86));
             }
         },
         [&] {
             ASSERT_EQ(Algorithms()->RowCount(), 3);
             EXPECT_EQ(Algorithms()->CellText(2, 0), ToQString("丙"));
             EXPECT_EQ(program_->Custom().Algorithms().size(), 3u);
         }},
        {"超级列表框2", "current row changed",
         [&] {
             Type("编辑框8", "");
             Type("编辑框5", "");
             PressRow(1, Qt::LeftButton);
         },
         [&] {
             EXPECT_EQ(Algorithms()->CurrentRow(), 1);
             EXPECT_EQ(Text("编辑框8"), ToQString("乙"));
             EXPECT_EQ(Text("编辑框5"), ToQString("[1]"));
         }},
        {"超级链接框89", "left button released", [&] { Click(Link(89)); },
         [&] { EXPECT_TRUE(QTest::qWaitFor([&] { return Control<QComboBox>("组合框5")->view()->isVisible(); }, 2000)); }},
        {"组合框5", "item chosen",
         [&] {
             Algorithms()->SetCellText(0, 1, QString());
             PickFromOpenList(Control<QComboBox>("组合框5"), 3);
         },
         [&] {
             EXPECT_EQ(Link(89)->Caption(), ToQString("统计 50 期"));
             EXPECT_EQ(Link(89)->TextColour(), QColor(255, 255, 255));
             EXPECT_FALSE(Algorithms()->CellText(0, 1).isEmpty()) << "the statistics were not recounted";
         }},
        {"超级列表框2", "right button pressed", [&] { PressRow(0, Qt::RightButton); },
         [&] {
             QMenu* menu = window().AlgorithmMenu();
             ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
             EXPECT_EQ(menu->pos(), Algorithms()->viewport()->mapToGlobal(RowPoint(0)));
             EXPECT_EQ(Algorithms()->CurrentRow(), 0);
         }},
        {"删除该算法", "menu item chosen",
         [&] {
             QMenu* menu = window().AlgorithmMenu();
             ASSERT_TRUE(menu->isVisible());
             messages_->ClearShown();
             QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(window().DeleteAlgorithmAction()).center());
         },
         [&] {
             EXPECT_FALSE(window().AlgorithmMenu()->isVisible());
             EXPECT_TRUE(messages_->ShownBoxes().empty()) << "no confirmation from the menu";
             ASSERT_EQ(Algorithms()->RowCount(), 2);
             EXPECT_EQ(Algorithms()->CellText(0, 0), ToQString("乙"));
         }},
        {"超级链接框87", "left button released (answered 取消)",
         [&] {
             PressRow(1, Qt::LeftButton);
             messages_->ClearShown();
             messages_->SetNextAnswers({Answer::Cancel});
             Click(Link(87));
         },
         [&] {
             ASSERT_EQ(messages_->ShownBoxes().size(), 1u);
             EXPECT_EQ(messages_->ShownBoxes()[0].text, ToQString("确定删除吗？"));
             EXPECT_EQ(Algorithms()->RowCount(), 2);
         }},
        {"超级链接框87", "left button released (answered 确定)",
         [&] {
             messages_->SetNextAnswers({Answer::Ok});
             Click(Link(87));
         },
         [&] {
             ASSERT_EQ(Algorithms()->RowCount(), 1);
             EXPECT_EQ(Algorithms()->CellText(0, 0), ToQString("乙"));
         }},
        {"清空算法列表", "menu item chosen",
         [&] {
             PressRow(0, Qt::RightButton);
             QMenu* menu = window().AlgorithmMenu();
             ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
             messages_->ClearShown();
             messages_->SetNextAnswers({Answer::Ok});
             QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(window().ClearAlgorithmsAction()).center());
         },
         [&] {
             EXPECT_EQ(messages_->ShownBoxes().size(), 1u);
             EXPECT_EQ(Algorithms()->RowCount(), 0);
             EXPECT_TRUE(program_->Custom().Algorithms().empty());
         }},
        {"超级链接框82", "left button released",
         [&] {
             Type("编辑框9", "0");  // any formula meets it: the search ends at once
             Type("编辑框5", "");
             Click(Link(82));
         },
         [&] {
             ASSERT_TRUE(QTest::qWaitFor([&] { return !program_->Custom().SearchRunning(); }, 20000));
             EXPECT_TRUE(Control<StatusStrip>("状态条1")->PartText(3).startsWith(ToQString("搜索完成")))
                 << Control<StatusStrip>("状态条1")->PartText(3).toStdString();
             EXPECT_FALSE(Text("编辑框5").isEmpty());
             EXPECT_EQ(Link(82)->Caption(), ToQString("开始搜索"));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.control) + " " + row.event);
        ASSERT_NO_FATAL_FAILURE(row.fire());
        ASSERT_NO_FATAL_FAILURE(row.check());
    }
}

// Links by group: which number each selects, read from the state and from the highlight.
struct LinkGroup {
    const char* name;
    std::vector<int> links;
    std::function<int(const UserChoices&)> selected;
    std::function<int(int link)> number;
};

std::vector<int> Range(int first, int last, std::vector<int> more = {}) {
    std::vector<int> out;
    for (int n = first; n <= last; ++n) out.push_back(n);
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

std::vector<LinkGroup> LinkGroups() {
    return {
        {"free plans", Range(1, 16), [](const UserChoices& c) { return c.freePlan; }, [](int n) { return n; }},
        {"free kinds", Range(90, 94), [](const UserChoices& c) { return c.freeKind; }, [](int n) { return n - 89; }},
        {"named plans", Range(17, 72), [](const UserChoices& c) { return c.namedPlan; },
         [](int n) { return n - 16; }},
        {"named kinds", Range(95, 102, {88}), [](const UserChoices& c) { return c.namedKind; },
         [](int n) { return n == 88 ? 9 : n - 94; }},
        {"custom kinds", Range(74, 81), [](const UserChoices& c) { return c.customKind; }, [](int n) { return n - 73; }},
    };
}

TEST_F(EventMapTest, EveryPlanLinkSelectsItsOwnNumber) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Click("按钮4");  // the custom kinds answer only once switched on
    ASSERT_TRUE(program_->Custom().Enabled());
    for (const LinkGroup& group : LinkGroups()) {
        SCOPED_TRACE(group.name);
        // From the last: every link is then chosen from another one.
        for (auto it = group.links.rbegin(); it != group.links.rend(); ++it) {
            const int n = *it;
            SCOPED_TRACE(n);
            const int before = group.selected(program_->Choices());
            ASSERT_NE(before, group.number(n));
            const bool onPress = n == 15 || n == 16;
            Press(Link(n));
            EXPECT_EQ(group.selected(program_->Choices()), onPress ? group.number(n) : before);
            EXPECT_EQ(Link(n)->Background(), onPress ? kChosen : kPlain);
            Release(Link(n));
            EXPECT_EQ(group.selected(program_->Choices()), group.number(n));
            for (int other : group.links) ASSERT_EQ(Link(other)->Background(), other == n ? kChosen : kPlain) << other;
        }
    }
}

TEST_F(EventMapTest, APressReleasedOverAnotherLinkSelectsNeither) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Click("按钮4");
    const std::vector<LinkGroup> groups = LinkGroups();
    struct Case {
        size_t group;
        int pressed, releasedOver;
        bool pressSelects;
    } cases[] = {
        {0, 2, 3, false},  {0, 15, 3, true},  {0, 16, 14, true}, {1, 92, 93, false},
        {2, 20, 40, false}, {3, 96, 88, false}, {3, 88, 97, false}, {4, 76, 77, false},
    };
    for (const Case& c : cases) {
        const LinkGroup& group = groups[c.group];
        SCOPED_TRACE(std::to_string(c.pressed) + " released over " + std::to_string(c.releasedOver));
        const int before = group.selected(program_->Choices());
        ASSERT_NE(before, group.number(c.pressed));
        ASSERT_NE(before, group.number(c.releasedOver));
        Press(Link(c.pressed));
        Release(Link(c.pressed), Link(c.releasedOver));
        EXPECT_EQ(group.selected(program_->Choices()), c.pressSelects ? group.number(c.pressed) : before);
        EXPECT_EQ(Link(c.releasedOver)->Background(), kPlain);
        EXPECT_EQ(Link(c.pressed)->Background(), c.pressSelects ? kChosen : kPlain);
    }
}

TEST_F(EventMapTest, DrawPopupEventsFillTickAndClose) {
    ASSERT_NO_FATAL_FAILURE(Start({"选择框1"}));
    QPointer<DrawPopup> shown;
    auto popupLabel = [&](const char* name) { return alerts().Popup()->Control<ClickLabel>(ToQString(name)); };
    auto reopen = [&] {
        if (alerts().Popup()) return;
        Control<QLabel>("标签1")->setText(ToQString("加拿大28 第000000期"));  // as if the last period were another
        RefreshAndWait();
    };
    auto opened = [&] {
        reopen();
        shown = alerts().Popup();
        ASSERT_TRUE(shown);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shown.data()));
    };
    auto closed = [&] {
        EXPECT_EQ(alerts().Popup(), nullptr);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(shown.isNull());
    };
    const Row rows[] = {
        {"DrawPopup", "created", [&] { ASSERT_NO_FATAL_FAILURE(opened()); },
         [&] {
             EXPECT_TRUE(shown->isVisible());
             EXPECT_EQ(popupLabel("透明标签1")->Caption(), Caption("标签1"));
             const PopupTexts texts = FillDrawPopupTexts(program_->State().history, Caption("标签1").toStdString());
             EXPECT_EQ(popupLabel("标签2")->Caption().toStdString(), texts.drawLine);
             EXPECT_TRUE(shown->windowFlags() & Qt::WindowStaysOnTopHint);
         }},
        {"时钟1", "tick", [&] { ASSERT_NO_FATAL_FAILURE(opened()); },
         [&] {
             EXPECT_TRUE(QTest::qWaitFor(
                 [&] { return popupLabel("标签1")->Caption().toStdString() == PopupCountdownCaption(1); }, 3000));
         }},
        {"DrawPopup", "double-clicked",
         [&] {
             ASSERT_NO_FATAL_FAILURE(opened());
             // Below the last label: the window's own background.
             QTest::mouseDClick(Handle(shown.data()), Qt::LeftButton, {}, Reach(shown.data(), QPoint(160, 155)));
         },
         closed},
        {"标签1", "left button released",
         [&] {
             ASSERT_NO_FATAL_FAILURE(opened());
             Click(popupLabel("标签1"));
         },
         closed},
        {"标签1", "double-clicked",
         [&] {
             ASSERT_NO_FATAL_FAILURE(opened());
             // The double-click alone: the release of a whole double click closes it first.
             ClickLabel* title = popupLabel("标签1");
             const QPoint at = title->rect().center();
             QMouseEvent twice(QEvent::MouseButtonDblClick, at, title->mapToGlobal(at), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(title, &twice);
         },
         closed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.control) + " " + row.event);
        ASSERT_NO_FATAL_FAILURE(row.fire());
        ASSERT_NO_FATAL_FAILURE(row.check());
    }
}

TEST_F(EventMapTest, StreakAlarmEventsPlaceBlinkPinAndClose) {
    ASSERT_NO_FATAL_FAILURE(Start());
    auto alarmBox = [&](const char* name) { return alerts().StreakAlarm()->Control<QCheckBox>(ToQString(name)); };
    auto caption = [&] { return alerts().StreakAlarm()->Control<ClickLabel>(ToQString("透明标签1"))->Caption(); };
    QPointer<StreakAlarmWindow> shown;
    const Row rows[] = {
        {"StreakAlarmWindow", "created",
         [&] {
             Click("选择框3");
             shown = alerts().StreakAlarm();
             ASSERT_TRUE(shown);
             ASSERT_TRUE(QTest::qWaitForWindowExposed(shown.data()));
         },
         [&] {
             EXPECT_EQ(shown->pos(), QPoint(1, 1));
             EXPECT_TRUE(Control<QCheckBox>("选择框3")->isChecked());
         }},
        {"选择框1", "clicked", [&] { Click(alarmBox("选择框1")); },
         [&] {
             EXPECT_TRUE(shown->windowFlags() & Qt::WindowStaysOnTopHint);
             EXPECT_TRUE(shown->isVisible());
         }},
        {"选择框1", "clicked again",
         [&] {
             ASSERT_TRUE(QTest::qWaitForWindowExposed(shown.data()));
             Click(alarmBox("选择框1"));
         },
         [&] { EXPECT_FALSE(shown->windowFlags() & Qt::WindowStaysOnTopHint); }},
        {"选择框34", "clicked",
         [&] {
             ASSERT_TRUE(QTest::qWaitForWindowExposed(shown.data()));
             Click(alarmBox("选择框34"));
         },
         [&] { EXPECT_TRUE(shown->Clock()->isActive()); }},
        {"时钟1", "tick", [] {},
         [&] {
             const QString text = caption();
             ASSERT_FALSE(text.isEmpty());
             EXPECT_TRUE(QTest::qWaitFor([&] { return caption().isEmpty(); }, 3000)) << "never blanked";
             EXPECT_TRUE(QTest::qWaitFor([&] { return caption() == text; }, 3000)) << "never restored";
         }},
        {"按钮1", "clicked", [&] { Click(alerts().StreakAlarm()->Control<QPushButton>(ToQString("按钮1"))); },
         [&] {
             EXPECT_FALSE(alerts().StreakAlarmOpen());
             EXPECT_FALSE(Control<QCheckBox>("选择框3")->isChecked());
             EXPECT_TRUE(Control<QCheckBox>("选择框3")->isEnabled());
             QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
             EXPECT_TRUE(shown.isNull());
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.control) + " " + row.event);
        ASSERT_NO_FATAL_FAILURE(row.fire());
        ASSERT_NO_FATAL_FAILURE(row.check());
    }
}

TEST_F(EventMapTest, TheMainClockCountsDownAndADueTickRefreshes) {
    ASSERT_NO_FATAL_FAILURE(Start());
    QLabel* countdown = Control<QLabel>("标签7");
    for (int tick = 0; tick < 2; ++tick) {
        const QString before = countdown->text();
        ASSERT_TRUE(QTest::qWaitFor([&] { return countdown->text() != before; }, 3000)) << "no tick";
        EXPECT_EQ(countdown->text().toStdString(), CountdownLabel(program_->State().countdown));
    }

    const std::string period = NewestPeriod();
    clock_->Advance(std::chrono::seconds(218));
    program_->SetCountdown(1);  // the next tick reaches the due second
    QSignalSpy finished(program_.get(), &Program::refreshFinished);
    WaitForRefreshFinished(finished);
    EXPECT_EQ(std::stoll(NewestPeriod()), std::stoll(period) + 1);
    ExpectCaptionShowsPeriod(NewestPeriod());
    EXPECT_TRUE(window().Clock()->isActive());
}

TEST_F(EventMapTest, DisabledControlsIgnoreClicks) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Click("选择框3");  // the open alarm disables its own box
    ASSERT_TRUE(alerts().StreakAlarmOpen());
    QPointer<StreakAlarmWindow> alarm = alerts().StreakAlarm();
    QSignalSpy refreshes(program_.get(), &Program::refreshFinished);
    messages_->ClearShown();
    const struct {
        const char* name;
        bool ticked;
    } cases[] = {{"选择框2", true}, {"选择框7", true}, {"单选框2", false}, {"选择框3", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* box = Control<QAbstractButton>(c.name);
        ASSERT_FALSE(box->isEnabled());
        Click(box);
        EXPECT_EQ(box->isChecked(), c.ticked);
    }
    EXPECT_TRUE(Control<QRadioButton>("单选框1")->isChecked());
    EXPECT_EQ(alerts().StreakAlarm(), alarm.data());
    QTest::qWait(50);
    EXPECT_EQ(refreshes.count(), 0);
    EXPECT_TRUE(messages_->ShownBoxes().empty());
}

TEST_F(EventMapTest, ClosingTheMainWindowFromItsTitleBarEndsTheProgramWithAlertsOpen) {
    ASSERT_NO_FATAL_FAILURE(Start({"选择框1"}));
    Click("选择框3");
    QPointer<DrawPopup> popup = alerts().Popup();
    QPointer<StreakAlarmWindow> alarm = alerts().StreakAlarm();
    ASSERT_TRUE(popup);
    ASSERT_TRUE(alarm);
    QSignalSpy quit(program_.get(), &Program::quitRequested);
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QCoreApplication::instance()->notify(Handle(&window()), &close);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(popup && popup->isVisible());
    EXPECT_FALSE(alarm && alarm->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(popup.isNull());
    EXPECT_TRUE(alarm.isNull());
}

}  // namespace
}  // namespace qivra::testing
