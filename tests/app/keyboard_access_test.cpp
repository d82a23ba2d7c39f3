// Every control answers the keyboard and assistive technology as it answers the mouse: each
// kind driven each way gives the same result, Tab reaches every link in layout order, the
// grids and the algorithm list move with the arrow keys, and every control has a spoken name.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleTableInterface>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/qt_text.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra::testing {
namespace {

const QColor kChosen(158, 201, 251);

enum class Way { Mouse, Space, Enter, Action };
const char* WayName(Way w) {
    switch (w) {
        case Way::Mouse: return "mouse";
        case Way::Space: return "Space";
        case Way::Enter: return "Enter";
        case Way::Action: return "accessibility action";
    }
    return "";
}

QAccessibleActionInterface* Actions(QObject* o) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface ? iface->actionInterface() : nullptr;
}

// Drives w once the given way. Check boxes take the toggle action, the others the press.
void Drive(QWidget* w, Way way) {
    ASSERT_NE(w, nullptr);
    switch (way) {
        case Way::Mouse:
            QTest::mouseClick(w, Qt::LeftButton);
            break;
        case Way::Space:
        case Way::Enter:
            w->setFocus();
            QTest::keyClick(w, way == Way::Space ? Qt::Key_Space : Qt::Key_Return);
            break;
        case Way::Action: {
            QAccessibleActionInterface* actions = Actions(w);
            ASSERT_NE(actions, nullptr) << w->objectName().toStdString();
            auto* box = qobject_cast<QAbstractButton*>(w);
            const QString action = box && box->isCheckable() ? QAccessibleActionInterface::toggleAction()
                                                             : QAccessibleActionInterface::pressAction();
            ASSERT_TRUE(actions->actionNames().contains(action)) << w->objectName().toStdString();
            actions->doAction(action);
            break;
        }
    }
}

class KeyboardAccessTest : public ProgramFixture {
protected:
    void Start() {
        ProgramServices s = Services();
        s.algorithmStorePath = keptDir_.filePath(QStringLiteral("QivraData.ini")).toStdString();
        program_ = std::make_unique<Program>(std::move(s));
        program_->CreateMainWindow();
        ConnectEventMap(*program_);
        ASSERT_TRUE(RunStart());
        ASSERT_TRUE(WaitForRefresh());
    }
    const MainWindowView& v() { return window().View(); }
    StreakAlarmWindow* alarm() { return program_->Alerts().StreakAlarm(); }
};

struct DrivenCase {
    const char* control;
    std::function<QWidget*()> widget;
    std::function<bool()> done;  // the operation's effect shows, and the box shows what was acted on
};

TEST_F(KeyboardAccessTest, EachKindOfControlActsTheSameWhicheverWayItIsDriven) {
    for (Way way : {Way::Mouse, Way::Space, Way::Enter, Way::Action}) {
        SCOPED_TRACE(WayName(way));
        ASSERT_NO_FATAL_FAILURE(Start());
        int alarmsOpened = 0;
        QObject::connect(&program_->Alerts(), &AlertViews::streakAlarmCreated, [&] { ++alarmsOpened; });
        const DrivenCase cases[] = {
            {"按钮4 push button", [&] { return v().enableCustom; }, [&] { return program_->Custom().Enabled(); }},
            {"选择框5 choice box", [&] { return v().autoMark; },
             [&] { return !program_->Choices().autoMark && !v().autoMark->isChecked(); }},
            {"选择框3 opens the alarm", [&] { return v().streakAlarm; },
             [&] { return alarm() && v().streakAlarm->isChecked() && !v().streakAlarm->isEnabled(); }},
            {"选择框34 blink", [&] { return alarm()->View().blink; },
             [&] { return alarm()->Clock()->isActive() && alarm()->View().blink->isChecked(); }},
            {"选择框1 topmost", [&] { return alarm()->View().topmost; },
             [&] {
                 return (alarm()->windowFlags() & Qt::WindowStaysOnTopHint) && alarm()->View().topmost->isChecked();
             }},
            {"选择框1 topmost off", [&] { return alarm()->View().topmost; },
             [&] { return !(alarm()->windowFlags() & Qt::WindowStaysOnTopHint) && !alarm()->View().topmost->isChecked(); }},
            {"alarm 按钮1 close", [&] { return alarm()->View().close; },
             [&] { return !alarm() && !v().streakAlarm->isChecked() && v().streakAlarm->isEnabled(); }},
            {"超级链接框2 (on release)", [&] { return v().Link(2); },
             [&] { return program_->Choices().freePlan == 2 && v().Link(2)->Background() == kChosen; }},
            {"超级链接框15 (on press)", [&] { return v().Link(15); },
             [&] { return program_->Choices().freePlan == 15 && v().Link(15)->Background() == kChosen; }},
            {"超级链接框76 custom kind", [&] { return v().Link(76); }, [&] { return program_->Choices().customKind == 3; }},
            {"超级链接框84 help", [&] { return v().Link(84); }, [&] { return messages_->ShownBoxes().size() == 1u; }},
        };
        for (const DrivenCase& c : cases) {
            SCOPED_TRACE(c.control);
            ASSERT_FALSE(c.done());
            QWidget* w = c.widget();
            if (w->window() != &window()) {
                ASSERT_TRUE(QTest::qWaitForWindowExposed(w->window()));
            }
            ASSERT_NO_FATAL_FAILURE(Drive(w, way));
            // The press action clicks the way a button animates it: a moment later.
            ASSERT_TRUE(QTest::qWaitFor(c.done, 2000));
        }
        // Opened once, and the program's own untick on close ran no handler.
        EXPECT_EQ(alarmsOpened, 1);
        program_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        messages_->ClearShown();
    }
}

TEST_F(KeyboardAccessTest, TabReachesEveryLinkOfEachPageInLayoutOrder) {
    ASSERT_NO_FATAL_FAILURE(Start());
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTabBar* bar = window().Tabs()->Bar();
    for (int page = 0; page < window().Tabs()->PageCount(); ++page) {
        SCOPED_TRACE(page);
        bar->setFocus();
        if (page > 0) QTest::keyClick(bar, Qt::Key_Right);
        ASSERT_EQ(window().Tabs()->CurrentIndex(), page);
        std::vector<QString> expected;
        for (const ControlRow& row : MainWindow::Layout())
            if (row.kind == ControlKind::HyperLinker && row.parent == "选择夹1/" + std::to_string(page))
                expected.push_back(ToQString(row.name));
        std::vector<QString> reached;
        std::set<QWidget*> seen;
        for (int step = 0; step < 400; ++step) {
            QTest::keyClick(window().focusWidget(), Qt::Key_Tab);
            QWidget* now = window().focusWidget();
            if (now == bar) break;
            ASSERT_TRUE(seen.insert(now).second) << "Tab went round without coming back: " << now->objectName().toStdString();
            if (auto* link = qobject_cast<HyperLinker*>(now)) {
                reached.push_back(link->objectName());
                EXPECT_TRUE(link->hasFocus());
            }
        }
        EXPECT_EQ(reached, expected);
    }
}

TEST_F(KeyboardAccessTest, AFocusedLinkShowsItsFocus) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HyperLinker* link = v().Link(3);
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    const QImage plain = link->grab().toImage();
    link->setFocus();
    ASSERT_TRUE(link->hasFocus());
    EXPECT_NE(link->grab().toImage(), plain);
}

TEST_F(KeyboardAccessTest, TheAlgorithmListMovesWithTheKeysAndShowsTheRowsFormulas) {
    ASSERT_NO_FATAL_FAILURE(Start());
    program_->Custom().EnableCustomAlgorithms();
    const char* const names[] = {"甲", "乙", "丙"};
    const char* const formulas[] = {"[1]", "[2]+[3]", "[4]*[5]"};
    for (int i = 0; i < 3; ++i) {
        v().algorithmName->setText(ToQString(names[i]));
        v().formulas[0]->setText(ToQString(formulas[i]));
        program_->Custom().SaveAlgorithm();
    }
    ReportListView* list = v().algorithms;
    ASSERT_EQ(list->RowCount(), 3);
    list->setFocus();
    auto shows = [&](int row) {
        EXPECT_EQ(list->CurrentRow(), row);
        EXPECT_EQ(program_->Custom().SelectedRow(), row);
        EXPECT_EQ(v().algorithmName->text(), ToQString(names[row]));
        EXPECT_EQ(v().formulas[0]->text(), ToQString(formulas[row]));
    };
    QTest::keyClick(list, Qt::Key_Home);
    shows(0);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    shows(2);
    QTest::keyClick(list, Qt::Key_Up);
    shows(1);
    // Assistive technology selects a row; the list makes it the current one.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(list);
    ASSERT_TRUE(iface && iface->tableInterface());
    iface->tableInterface()->selectRow(2);
    shows(2);
    // The menu key opens the row's menu, as the right button does; its items answer the keys
    // and the press action.
    QMenu* menu = window().AlgorithmMenu();
    auto openMenu = [&] {
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(list->viewport(), &key);
        ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    };
    ASSERT_NO_FATAL_FAILURE(openMenu());
    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);  // 删除该算法, the first item: the current row, 丙, goes
    EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 2000));
    ASSERT_EQ(list->RowCount(), 2);
    EXPECT_EQ(list->CellText(1, 0), ToQString("乙"));

    ASSERT_NO_FATAL_FAILURE(openMenu());
    messages_->SetNextAnswers({MessageBoxes::Answer::Ok});
    QAccessibleInterface* menuFace = QAccessible::queryAccessibleInterface(menu);
    ASSERT_TRUE(menuFace && menuFace->childCount() == 2);
    ASSERT_TRUE(menuFace->child(1)->actionInterface());
    menuFace->child(1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());  // 清空算法列表
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->RowCount() == 0; }, 2000));
    EXPECT_TRUE(program_->Custom().Algorithms().empty());
    menu->close();
}

TEST_F(KeyboardAccessTest, GridsMoveWithTheArrowKeysAndTabLeavesThem) {
    ASSERT_NO_FATAL_FAILURE(Start());
    for (EGrid* grid : {v().summaryGrid, v().trendGrid}) {
        SCOPED_TRACE(grid->objectName().toStdString());
        window().Tabs()->SetCurrentIndex(grid == v().trendGrid ? 2 : 0);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        const QModelIndex first = grid->currentIndex();
        ASSERT_TRUE(first.isValid());
        QTest::keyClick(grid, Qt::Key_Down);
        EXPECT_EQ(grid->currentIndex().row(), first.row() + 1);
        QTest::keyClick(grid, Qt::Key_Right);
        EXPECT_EQ(grid->currentIndex().column(), first.column() + 1);
        EXPECT_FALSE(grid->tabKeyNavigation());
    }
}

TEST_F(KeyboardAccessTest, EveryControlHasASpokenNameAndKeepsItsLayoutNameAsDescription) {
    ASSERT_NO_FATAL_FAILURE(Start());
    program_->Alerts().OpenStreakAlarm();
    DrawPopup popup;
    for (QWidget* top : std::initializer_list<QWidget*>{&window(), alarm(), &popup}) {
        int named = 0;
        for (QWidget* w : top->findChildren<QWidget*>()) {
            if (w->accessibleDescription().isEmpty()) continue;
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_EQ(w->accessibleDescription(), w->objectName());
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(iface, nullptr);
            const QString name = iface->text(QAccessible::Name);
            EXPECT_FALSE(name.trimmed().isEmpty());
            EXPECT_NE(name, w->objectName());
            ++named;
        }
        EXPECT_GT(named, 3);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(v().Link(17))->role(), QAccessible::Link);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(v().summaryGrid)->text(QAccessible::Name), ToQString("历史开奖表"));
}

// The rest of the event map, by keyboard and by accessibility action: what the mouse walk does
// with each control, done without the mouse.
TEST_F(KeyboardAccessTest, EveryLinkOfTheEventMapAnswersKeyAndAction) {
    ASSERT_NO_FATAL_FAILURE(Start());
    program_->Custom().EnableCustomAlgorithms();
    struct Group {
        std::vector<int> links;
        std::function<int(const UserChoices&)> selected;
        std::function<int(int)> number;
    };
    auto range = [](int a, int b) {
        std::vector<int> out;
        for (int n = a; n <= b; ++n) out.push_back(n);
        return out;
    };
    std::vector<int> namedKinds = range(95, 102);
    namedKinds.push_back(88);
    const Group groups[] = {
        {range(1, 16), [](const UserChoices& c) { return c.freePlan; }, [](int n) { return n; }},
        {range(90, 94), [](const UserChoices& c) { return c.freeKind; }, [](int n) { return n - 89; }},
        {range(17, 72), [](const UserChoices& c) { return c.namedPlan; }, [](int n) { return n - 16; }},
        {namedKinds, [](const UserChoices& c) { return c.namedKind; }, [](int n) { return n == 88 ? 9 : n - 94; }},
        {range(74, 81), [](const UserChoices& c) { return c.customKind; }, [](int n) { return n - 73; }},
    };
    for (Way way : {Way::Space, Way::Enter, Way::Action}) {
        SCOPED_TRACE(WayName(way));
        for (const Group& g : groups) {
            for (auto it = g.links.rbegin(); it != g.links.rend(); ++it) {
                SCOPED_TRACE(*it);
                ASSERT_NE(g.selected(program_->Choices()), g.number(*it));
                ASSERT_NO_FATAL_FAILURE(Drive(v().Link(*it), way));
                EXPECT_EQ(g.selected(program_->Choices()), g.number(*it));
                EXPECT_EQ(v().Link(*it)->Background(), kChosen);
            }
        }
    }

    // The custom page's operation links, the spin arrows, the game and the stats-window lists.
    for (Way way : {Way::Space, Way::Action}) {
        SCOPED_TRACE(WayName(way));
        const QString before = v().formulas[0]->text() + v().formulas[1]->text();
        ASSERT_NO_FATAL_FAILURE(Drive(v().Link(73), way));
        EXPECT_NE(v().formulas[0]->text() + v().formulas[1]->text(), before);

        v().algorithmName->setText(ToQString(way == Way::Space ? "键" : "读"));
        ASSERT_NO_FATAL_FAILURE(Drive(v().Link(86), way));
        EXPECT_EQ(v().algorithms->CellText(v().algorithms->RowCount() - 1, 0), v().algorithmName->text());

        ASSERT_NO_FATAL_FAILURE(Drive(v().Link(89), way));
        QComboBox* periods = v().statsWindow;
        ASSERT_TRUE(QTest::qWaitFor([&] { return periods->view()->isVisible(); }, 2000));
        QTest::keyClick(periods->view(), Qt::Key_Down);
        QTest::keyClick(periods->view(), Qt::Key_Return);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !periods->view()->isVisible(); }, 2000));
        EXPECT_EQ(v().Link(89)->Caption(), ToQString("统计 ") + periods->currentText() + ToQString(" 期"));
    }

    IntegerEdit* depth = v().historyDepth;
    depth->setFocus();
    QTest::keyClick(depth, Qt::Key_Up);
    EXPECT_EQ(depth->text(), QStringLiteral("101"));
    Actions(depth->DownArrow())->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return depth->text() == QStringLiteral("100"); }, 2000));

    // The game: an arrow key picks; the press action opens the list, whose keys pick.
    QSignalSpy refreshes(program_.get(), &Program::refreshFinished);
    v().game->setFocus();
    QTest::keyClick(v().game, Qt::Key_Up);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    EXPECT_EQ(program_->Choices().game, kGamePc28);
    EXPECT_TRUE(v().caption->text().startsWith(ToQString("幸运28 第")));

    refreshes.clear();
    ASSERT_NE(Actions(v().game), nullptr);
    Actions(v().game)->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v().game->view()->isVisible(); }, 2000));
    QTest::keyClick(v().game->view(), Qt::Key_Down);
    QTest::keyClick(v().game->view(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refreshes.count() > 0 && !program_->RefreshInFlight(); }, 20000));
    EXPECT_EQ(program_->Choices().game, kGameCanada28);
    EXPECT_TRUE(v().caption->text().startsWith(ToQString("加拿大28 第")));
}

TEST_F(KeyboardAccessTest, ThePopupTitleClosesFromKeyAndAction) {
    ASSERT_NO_FATAL_FAILURE(Start());
    v().announceDraws->click();
    for (Way way : {Way::Space, Way::Action}) {
        SCOPED_TRACE(WayName(way));
        v().caption->setText(ToQString("加拿大28 第000000期"));
        RefreshAndWait();
        QPointer<DrawPopup> popup = program_->Alerts().Popup();
        ASSERT_TRUE(popup);
        ASSERT_NO_FATAL_FAILURE(Drive(popup->View().title, way));
        EXPECT_EQ(program_->Alerts().Popup(), nullptr);
    }
}

}  // namespace
}  // namespace qivra::testing
