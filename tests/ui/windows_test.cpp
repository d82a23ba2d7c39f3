#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "tests/ui/widget_helpers.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/egrid.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/main_window.hpp"
#include "ui/qt_support.hpp"
#include "ui/streak_alarm_window.hpp"
#include "ui/window_views.hpp"

namespace qivra {
namespace {

using test::VisibleText;


class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { window_ = new MainWindow(); }
    static void TearDownTestSuite() {
        delete window_;
        window_ = nullptr;
    }
    template <class T = QWidget>
    static T* Get(const char* name) {
        T* w = window_->Control<T>(ToQString(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static MainWindow* window_;
};
MainWindow* MainWindowTest::window_ = nullptr;

TEST_F(MainWindowTest, StartsWithTheLayoutsSelectionsAndTexts) {
    const std::pair<const char*, const char*> combos[] = {
        {"组合框1", "加拿大夜场28"}, {"组合框2", "正确率"}, {"组合框3", "≥大于等于"}, {"组合框4", "20"},
        {"组合框5", "20"},          {"组合框6", "简易算法"}, {"组合框7", "正确≥"},
    };
    for (auto [name, text] : combos) EXPECT_EQ(Get<QComboBox>(name)->currentText(), ToQString(text)) << name;
    EXPECT_EQ(Get<QComboBox>("组合框1")->currentIndex(), 1);
    EXPECT_EQ(Get<QComboBox>("组合框4")->count(), 9);

    const std::pair<const char*, const char*> edits[] = {
        {"编辑框1", "100"}, {"编辑框3", "80"}, {"编辑框4", "3"}, {"编辑框9", "15"},
        {"编辑框5", "[1]+[8]+[9]+[12]/[8]*[6]"}, {"编辑框8", "Qivra超神算法"},
    };
    for (auto [name, text] : edits) EXPECT_EQ(Get<QLineEdit>(name)->text(), ToQString(text)) << name;
    EXPECT_NE(qobject_cast<IntegerEdit*>(Get("编辑框1")), nullptr);
    EXPECT_TRUE(static_cast<IntegerEdit*>(Get("编辑框1"))->HasSpinArrows());
    EXPECT_NE(qobject_cast<IntegerEdit*>(Get("编辑框3")), nullptr);
    EXPECT_EQ(Get<QLineEdit>("编辑框9")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    EXPECT_FALSE(Get("组合框5")->isVisibleTo(window_));
    EXPECT_EQ(Get<QLabel>("标签13")->text(), ToQString("对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）"));
    EXPECT_EQ(Get<ColourPicker>("颜色选择器1")->colour(), QColor(255, 0, 0));
}

TEST_F(MainWindowTest, TicksExactlyTheLayoutsBoxesAndDisablesTheDeadOnes) {
    std::set<int> ticked;
    for (QCheckBox* box : window_->findChildren<QCheckBox*>()) {
        const QString name = box->objectName();
        ASSERT_TRUE(name.startsWith(ToQString("选择框"))) << name.toStdString();
        if (box->isChecked()) ticked.insert(name.mid(3).toInt());
    }
    EXPECT_EQ(ticked, (std::set<int>{2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_TRUE(Get<QRadioButton>("单选框1")->isChecked());
    EXPECT_FALSE(Get<QRadioButton>("单选框2")->isChecked());

    for (const char* name : {"选择框2", "选择框7", "单选框2"}) EXPECT_FALSE(Get(name)->isEnabled()) << name;
    EXPECT_TRUE(Get("选择框3")->isEnabled());

    // A click on a disabled box changes nothing.
    window_->show();
    auto* box2 = Get<QCheckBox>("选择框2");
    test::Click(box2);
    EXPECT_TRUE(box2->isChecked());
    auto* radio2 = Get<QRadioButton>("单选框2");
    test::Click(radio2);
    EXPECT_FALSE(radio2->isChecked());
    EXPECT_TRUE(Get<QRadioButton>("单选框1")->isChecked());
    window_->hide();
}

TEST_F(MainWindowTest, FirstLinkOfEachGroupStartsChosen) {
    std::set<int> groupLinks;
    for (int n = 1; n <= 72; ++n) groupLinks.insert(n);
    for (int n = 74; n <= 81; ++n) groupLinks.insert(n);
    for (int n = 90; n <= 102; ++n) groupLinks.insert(n);
    groupLinks.insert(88);
    const std::set<int> chosen{1, 17, 74, 90, 95};

    int seen = 0;
    for (int n : groupLinks) {
        auto* link = window_->Control<HyperLinker>(ToQString("超级链接框") + QString::number(n));
        ASSERT_NE(link, nullptr) << n;
        ++seen;
        EXPECT_EQ(link->Background(), chosen.count(n) ? QColor(158, 201, 251) : QColor(236, 236, 236)) << n;
        EXPECT_EQ(link->TextColour(), QColor(0, 0, 0)) << n;
    }
    EXPECT_EQ(seen, 94);
    EXPECT_EQ(Get<HyperLinker>("超级链接框89")->Background(), QColor(0, 128, 128));
    EXPECT_EQ(Get<HyperLinker>("超级链接框73")->Background(), QColor(96, 96, 96));
    EXPECT_EQ(Get<HyperLinker>("超级链接框73")->TextColour(), QColor(255, 255, 255));
}

// Page children give their layout top counted from the tab control, so inside a page they sit
// 32 px higher.
TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem) {
    struct Case {
        const char* name;
        const char* parent;  // a control name, "" for the window, or "#n" for tab page n
        QRect geometry;
        const char* text;
    };
    const Case cases[] = {
        {"标签1", "外形框1", {2, 2, 256, 32}, "幸运28 第000000期"},
        {"标签7", "外形框1", {200, 80, 48, 32}, "00：00"},
        {"图片框1", "", {260, 0, 636, 119}, nullptr},
        {"选择框3", "外形框5", {240, 5, 80, 24}, "火车报警"},
        {"编辑框1", "", {56, 496, 72, 24}, "100"},
        {"按钮4", "", {904, 140, 112, 32}, "开启自定义算法"},
        {"选择夹1", "", {224, 152, 896, 592}, nullptr},
        {"超级链接框1", "#0", {8, 40, 80, 32}, "Qivra计划A"},
        {"超级链接框94", "#0", {328, 164, 64, 32}, "杀3N"},
        {"高级表格2", "#0", {416, 0, 464, 552}, nullptr},
        {"超级链接框72", "#1", {245, 443, 80, 32}, "动容计划D"},
        {"超级链接框88", "#1", {328, 287, 64, 32}, "杀双组"},
        {"组合框4", "#1", {192, 520, 48, 24}, "20"},
        {"超级列表框1", "#2", {704, 0, 184, 552}, nullptr},
        {"单选框2", "#3", {16, 144, 160, 24}, "统计类型②（待更新）"},
        {"选择框33", "#3", {304, 208, 48, 24}, "4N3"},
        {"编辑框5", "#4", {8, 120, 328, 32}, "[1]+[8]+[9]+[12]/[8]*[6]"},
        {"超级链接框81", "#4", {344, 256, 64, 32}, "双项"},
        {"超级链接框86", "#4", {131, 240, 61, 32}, "保存算法"},
    };
    TabBox* tabs = window_->Tabs();
    ASSERT_NE(tabs, nullptr);
    for (const Case& c : cases) {
        QWidget* w = Get(c.name);
        ASSERT_NE(w, nullptr);
        const QString parent = ToQString(c.parent);
        QWidget* expectedParent = parent.isEmpty()             ? window_
                                  : parent.startsWith(u'#') ? tabs->Page(parent.mid(1).toInt())
                                                               : window_->Control(parent);
        EXPECT_EQ(w->parentWidget(), expectedParent) << c.name;
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
        if (c.text) {
            EXPECT_EQ(VisibleText(w), ToQString(c.text)) << c.name;
        }
    }
    EXPECT_EQ(tabs->Page(0)->mapTo(window_, QPoint(0, 0)), QPoint(224, 152 + 32));
    EXPECT_EQ(Get<QLabel>("图片框1")->pixmap().size(), QSize(636, 119));
}

TEST_F(MainWindowTest, NamedPlanRowsKeepTheirOddOrder) {
    auto top = [](int n) { return window_->Control(ToQString("超级链接框") + QString::number(n))->y() + 32; };
    auto left = [](int n) { return window_->Control(ToQString("超级链接框") + QString::number(n))->x(); };
    const int row258[] = {37, 42, 43, 44};
    const int row227[] = {38, 39, 40, 41};
    const int lefts[] = {8, 87, 166, 245};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(top(row258[i]), 258);
        EXPECT_EQ(left(row258[i]), lefts[i]);
        EXPECT_EQ(top(row227[i]), 227);
        EXPECT_EQ(left(row227[i]), lefts[i]);
    }
    EXPECT_EQ(VisibleText(Get("超级链接框37")), ToQString("清新计划A"));
    EXPECT_EQ(VisibleText(Get("超级链接框38")), ToQString("石头计划A"));
}

TEST_F(MainWindowTest, FontsFollowTheLayout) {
    struct Case {
        const char* name;
        int pixels;
        bool bold;
    };
    for (const Case& c : {Case{"标签1", 12, false}, Case{"标签2", 20, false}, Case{"选择框3", 12, true},
                          Case{"组合框6", 14, false}, Case{"编辑框9", 16, false}, Case{"超级链接框17", 12, false}}) {
        const QFont f = Get(c.name)->font();
        EXPECT_EQ(f.pixelSize(), c.pixels) << c.name;
        EXPECT_EQ(f.bold(), c.bold) << c.name;
        EXPECT_EQ(f.family(), ToQString("Microsoft YaHei")) << c.name;
    }
    // The layout's face is absent here; its substitute draws both scripts.
    EXPECT_EQ(QFontInfo(Get("标签1")->font()).family(), ToQString("WenQuanYi Micro Hei"));
    EXPECT_EQ(Get("选择框3")->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(Get("标签8")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(Get("标签2")->palette().color(QPalette::Window), QColor(96, 96, 96));
}

TEST_F(MainWindowTest, PagesListsStatusBarTimerAndMenu) {
    TabBox* tabs = window_->Tabs();
    const char* captions[] = {" 【 预测显示 】 ", " 【 会员计划 】 ", " 【 走势统计 】 ", " 【 火车报警 】 ",
                              " 【 自定义算法 】 ", " 【 统计检验 】 "};
    ASSERT_EQ(tabs->PageCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(tabs->PageCaption(i), ToQString(captions[i]));
    // 按钮4 reaches into the header strip right of the tabs; no tab may lie under it.
    const QRect button = Get("按钮4")->geometry();
    for (int i = 0; i < 6; ++i) {
        const QRect tab = tabs->Bar()->tabRect(i).translated(tabs->Bar()->mapTo(window_, QPoint(0, 0)));
        EXPECT_FALSE(tab.intersects(button)) << i << ": tab " << tab.left() << ".." << tab.right();
    }
    EXPECT_EQ(tabs->CurrentIndex(), 0);
    EXPECT_EQ(tabs->Bar()->height(), 32);
    // A page added after the layout's scrolls in the header rather than slide under the button.
    tabs->AddPage(QStringLiteral(" 【 另一页 】 "));
    EXPECT_LE(tabs->Bar()->mapTo(window_, QPoint(tabs->Bar()->width(), 0)).x(), button.left());

    auto* outcomes = Get<ReportListView>("超级列表框1");
    ASSERT_EQ(outcomes->columnCount(), 3);
    EXPECT_EQ(outcomes->headerItem()->text(2), ToQString("概率"));
    EXPECT_EQ(outcomes->columnWidth(1), 50);
    ASSERT_EQ(outcomes->RowCount(), 25);
    EXPECT_EQ(outcomes->CellText(0, 0), ToQString("大"));
    EXPECT_EQ(outcomes->CellText(12, 0), ToQString("豹子"));
    EXPECT_EQ(outcomes->CellText(24, 0), ToQString("5N4"));
    EXPECT_EQ(outcomes->CellText(24, 1), QString());
    EXPECT_EQ(outcomes->CurrentRow(), -1);

    auto* algorithms = Get<ReportListView>("超级列表框2");
    EXPECT_EQ(algorithms->columnCount(), 5);
    EXPECT_TRUE(algorithms->isColumnHidden(4));
    EXPECT_EQ(algorithms->RowCount(), 0);

    auto* status = Get<StatusStrip>("状态条1");
    ASSERT_EQ(status->PartCount(), 4);
    EXPECT_EQ(status->geometry().bottom(), MainWindow::kHeight - 1);
    window_->show();
    EXPECT_EQ(status->Part(0)->width(), 130);
    EXPECT_EQ(status->Part(1)->width(), 150);
    EXPECT_EQ(status->Part(2)->width(), 300);
    window_->hide();
    status->SetPartText(2, ToQString("连接正常"));
    EXPECT_EQ(status->PartText(2), ToQString("连接正常"));
    status->SetPartText(4, ToQString("ignored"));  // no such part
    EXPECT_EQ(status->PartText(3), QString());

    QTimer* clock = window_->Control<QTimer>(ToQString("时钟1"));
    ASSERT_NE(clock, nullptr);
    EXPECT_FALSE(clock->isActive());

    ASSERT_NE(window_->AlgorithmMenu(), nullptr);
    EXPECT_EQ(window_->AlgorithmMenu()->title(), ToQString("&算法"));
    QStringList items;
    for (QAction* a : window_->AlgorithmMenu()->actions()) items << a->text();
    EXPECT_EQ(items, (QStringList{ToQString("删除该算法"), ToQString("清空算法列表")}));

    EXPECT_EQ(window_->size(), QSize(1129, 802));
    EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
    EXPECT_TRUE(window_->windowTitle().isEmpty());
}

// Every layout control is reachable by its name, exactly once, and describes itself by it.
void ExpectNamedOnce(QWidget* window, const std::vector<ControlRow>& layout) {
    QSet<QString> names;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString description = w->accessibleDescription();
        if (description.isEmpty()) continue;
        EXPECT_EQ(w->objectName(), description);
        EXPECT_FALSE(names.contains(description)) << description.toStdString();
        names.insert(description);
    }
    for (const ControlRow& row : layout)
        EXPECT_TRUE(names.contains(QString::fromStdString(row.name))) << row.name;
}

TEST_F(MainWindowTest, EveryControlIsNamedOnce) {
    ExpectNamedOnce(window_, MainWindow::Layout());
}

TEST(WindowTest, DrawPopupIsABorderlessGreyBoxWithARunningClock) {
    auto* popup = new DrawPopup();
    QPointer<DrawPopup> guard(popup);
    ExpectNamedOnce(popup, DrawPopup::Layout());
    EXPECT_EQ(popup->size(), QSize(325, 159));
    EXPECT_TRUE(popup->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(popup->palette().color(QPalette::Window), QColor(96, 96, 96));
    QTimer* clock = popup->Control<QTimer>(ToQString("时钟1"));
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(clock->isActive());
    EXPECT_EQ(clock->interval(), 1000);
    auto* title = popup->Control<ClickLabel>(ToQString("标签1"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->width(), 392);
    EXPECT_EQ(title->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(VisibleText(popup->Control(ToQString("标签2"))), ToQString("0 + 0 + 0 = 00 小双"));

    int clicks = 0;
    QObject::connect(title, &ClickLabel::leftReleased, popup, [&] { ++clicks; });
    popup->show();
    test::Click(title);
    EXPECT_EQ(clicks, 1);

    // A double click on the title line is the title's alone; one on the window is the window's.
    int titleDoubles = 0, windowDoubles = 0;
    QObject::connect(title, &ClickLabel::doubleClicked, popup, [&] { ++titleDoubles; });
    QObject::connect(popup, &DrawPopup::doubleClicked, popup, [&] { ++windowDoubles; });
    test::SendMouse(title, QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(20, 10));
    EXPECT_EQ(titleDoubles, 1);
    EXPECT_EQ(windowDoubles, 0);
    test::SendMouse(popup, QEvent::MouseButtonDblClick, Qt::LeftButton, QPoint(318, 156));
    EXPECT_EQ(windowDoubles, 1);

    popup->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());  // closing destroys it
}

TEST(WindowTest, StreakAlarmWindowStartsFromItsLayout) {
    auto* alarm = new StreakAlarmWindow();
    QPointer<StreakAlarmWindow> guard(alarm);
    ExpectNamedOnce(alarm, StreakAlarmWindow::Layout());
    EXPECT_EQ(alarm->size(), QSize(350, 450));
    EXPECT_EQ(alarm->minimumSize(), alarm->maximumSize());
    EXPECT_EQ(alarm->windowTitle(), ToQString("Qivra28综合预测软件多功能版【火车报警】"));
    EXPECT_EQ(alarm->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(VisibleText(alarm->Control(ToQString("透明标签1"))), ToQString("火车报警：\r\n\r\n首次打开请先刷新一下软件"));
    EXPECT_FALSE(alarm->Control<QCheckBox>(ToQString("选择框34"))->isChecked());
    EXPECT_EQ(BackgroundOf(alarm->Control(ToQString("选择框34"))), QColor(255, 255, 255));
    EXPECT_FALSE(alarm->Control<QCheckBox>(ToQString("选择框1"))->isChecked());
    EXPECT_FALSE(alarm->Control<QTimer>(ToQString("时钟1"))->isActive());

    // A close the program asks for is not the user's.
    int userCloses = 0;
    QObject::connect(alarm, &StreakAlarmWindow::closedByUser, [&] { ++userCloses; });
    alarm->show();
    alarm->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(userCloses, 0);
    EXPECT_TRUE(guard.isNull());
}

TEST(WindowTest, MainWindowSignalsItsEndOnce) {
    auto window = std::make_unique<MainWindow>();
    int ends = 0;
    QObject::connect(window.get(), &MainWindow::beingDestroyed, [&] { ++ends; });
    window->show();
    window->close();
    EXPECT_EQ(ends, 1);
    window.reset();
    EXPECT_EQ(ends, 1);

    auto never = std::make_unique<MainWindow>();
    int destroyedEnds = 0;
    QObject::connect(never.get(), &MainWindow::beingDestroyed, [&] { ++destroyedEnds; });
    never.reset();  // destroyed without a close
    EXPECT_EQ(destroyedEnds, 1);
}

// The typed views: every control the program works with is resolved when its window is built,
// and a layout that lost a row, or gives it another kind, fails right there.
TEST(WindowViewTest, ALayoutRowMissingOrOfAnotherKindFailsCreation) {
    {
        MainWindow window;
        const MainWindowView& v = window.View();
        EXPECT_EQ(v.historyDepth, window.Control<IntegerEdit>(ToQString("编辑框1")));
        EXPECT_EQ(v.Link(88), window.Control<HyperLinker>(ToQString("超级链接框88")));
        EXPECT_EQ(v.Link(83), nullptr);  // the layout has none
        EXPECT_EQ(v.streakFamilies[6], window.Control<QCheckBox>(ToQString("选择框15")));
    }
    struct Case {
        const char* row;
        std::function<void(std::vector<ControlRow>&, std::vector<ControlRow>::iterator)> spoil;
    };
    const Case cases[] = {
        {"编辑框1", [](auto& rows, auto it) { rows.erase(it); }},
        {"超级链接框102", [](auto& rows, auto it) { rows.erase(it); }},
        {"按钮1", [](auto&, auto it) { it->kind = ControlKind::Label; }},
        {"高级表格5", [](auto&, auto it) { it->kind = ControlKind::ListView; }},
        {"选择框16", [](auto&, auto it) { it->name = "选择框160"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        std::vector<ControlRow> rows = MainWindow::Layout();
        auto it = std::find_if(rows.begin(), rows.end(), [&](const ControlRow& r) { return r.name == c.row; });
        ASSERT_NE(it, rows.end());
        c.spoil(rows, it);
        LayoutWindow window;
        BuildControls(&window, rows);
        try {
            ResolveMainWindowView(window);
            ADD_FAILURE() << "resolved a layout without a usable " << c.row;
        } catch (const LayoutError& e) {
            EXPECT_NE(std::string(e.what()).find(c.row), std::string::npos) << e.what();
        }
    }
    // A window's view does not resolve on another window's layout.
    LayoutWindow popupOnly;
    BuildControls(&popupOnly, DrawPopup::Layout());
    EXPECT_NO_THROW(ResolveDrawPopupView(popupOnly));
    EXPECT_THROW(ResolveStreakAlarmView(popupOnly), LayoutError);
    EXPECT_THROW(ResolveMainWindowView(popupOnly), LayoutError);
}

}  // namespace
}  // namespace qivra
