#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>
#include <vector>

#include "ui/qt_text.hpp"
#include "tests/ui/widget_helpers.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/integer_edit.hpp"
#include "ui/message_boxes.hpp"

namespace qivra {
namespace {


struct LinkLog {
    std::vector<QString> events;
    void Watch(HyperLinker* link, const QString& name) {
        QObject::connect(link, &HyperLinker::leftPressed, [this, name] { events.push_back(ToQString("pressed ") + name); });
        QObject::connect(link, &HyperLinker::leftReleased, [this, name] { events.push_back(ToQString("released ") + name); });
        QObject::connect(link, &HyperLinker::rightPressed,
                         [this, name](QPoint) { events.push_back(ToQString("right ") + name); });
    }
};

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.resize(200, 40);
        l15 = new HyperLinker(&page);
        l15->setGeometry(0, 0, 80, 32);
        l16 = new HyperLinker(&page);
        l16->setGeometry(90, 0, 80, 32);
        log.Watch(l15, ToQString("15"));
        log.Watch(l16, ToQString("16"));
        page.show();
    }
    QWidget page;
    HyperLinker* l15 = nullptr;
    HyperLinker* l16 = nullptr;
    LinkLog log;
};

TEST_F(LinkTest, ReleaseCountsOnlyOverTheLinkThatGotThePress) {
    test::Click(l16);
    EXPECT_EQ(log.events, (std::vector<QString>{ToQString("pressed 16"), ToQString("released 16")}));

    // The press grabs the mouse, so the release over link 16 is delivered to link 15.
    log.events.clear();
    test::Press(l15);
    test::SendMouse(l15, QEvent::MouseButtonRelease, Qt::LeftButton, l15->mapFrom(&page, l16->geometry().center()));
    EXPECT_EQ(log.events, (std::vector<QString>{ToQString("pressed 15")}));

    // A release without a press (the press landed elsewhere) is no click either.
    log.events.clear();
    test::Release(l16);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(LinkTest, RightPressReportsTheScreenPoint) {
    QPoint where;
    QObject::connect(l16, &HyperLinker::rightPressed, [&](QPoint p) { where = p; });
    test::SendMouse(l16, QEvent::MouseButtonPress, Qt::RightButton, QPoint(5, 6));
    EXPECT_EQ(log.events, (std::vector<QString>{ToQString("right 16")}));
    EXPECT_EQ(where, l16->mapToGlobal(QPoint(5, 6)));
}

void KeyClick(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(w, &release);
}

// Space, Enter and the assistive press action are one whole click: press and release once, at
// once, whether the link acts on the press or on the release. A disabled link does nothing.
TEST_F(LinkTest, KeysAndThePressActionClickOnce) {
    const std::vector<QString> click{ToQString("pressed 15"), ToQString("released 15")};
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        log.events.clear();
        l15->setFocus();
        KeyClick(l15, key);
        EXPECT_EQ(log.events, click) << key;
    }
    log.events.clear();
    KeyClick(l15, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(log.events.empty());

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(l15);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Link);
    EXPECT_TRUE(iface->state().focusable);
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(log.events, click);

    log.events.clear();
    l15->setEnabled(false);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    KeyClick(l15, Qt::Key_Space);
    EXPECT_TRUE(log.events.empty());
}

TEST(LinkLookTest, CaptionAndColoursReadBack) {
    HyperLinker link;
    link.SetCaption(ToQString("统计 30 期"));
    link.SetTextColour(QColor(255, 255, 255));
    link.SetBackground(QColor(0, 128, 128));
    EXPECT_EQ(link.Caption(), ToQString("统计 30 期"));
    EXPECT_EQ(link.accessibleName(), ToQString("统计 30 期"));
    EXPECT_EQ(link.TextColour(), QColor(255, 255, 255));
    EXPECT_EQ(link.Background(), QColor(0, 128, 128));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST(IntegerEditTest, AcceptsOnlyIntegersWithAnOptionalMinus) {
    IntegerEdit edit;
    edit.show();
    edit.setFocus();
    test::TypeText(&edit, ToQString("1a2-3"));
    EXPECT_EQ(edit.text(), ToQString("123"));

    edit.clear();
    test::TypeText(&edit, ToQString("-1"));
    EXPECT_EQ(edit.text(), ToQString("-1"));
    EXPECT_FALSE(edit.HasSpinArrows());
}

TEST(IntegerEditTest, SpinArrowsReportStepsAndLeaveTheTextAlone) {
    IntegerEdit edit(nullptr, true);
    edit.resize(72, 24);
    edit.setText(ToQString("100"));
    edit.show();
    std::vector<int> steps;
    QObject::connect(&edit, &IntegerEdit::spinPressed, [&](int step) { steps.push_back(step); });

    ASSERT_TRUE(edit.HasSpinArrows());
    EXPECT_TRUE(edit.rect().contains(edit.UpArrow()->geometry()));
    test::Click(edit.UpArrow());
    test::Click(edit.DownArrow());
    test::Click(edit.DownArrow());
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&edit, &up);

    EXPECT_EQ(steps, (std::vector<int>{+1, -1, -1, +1}));
    EXPECT_EQ(edit.text(), ToQString("100"));
}

TEST(MessageBoxesTest, AnswersInOrderThenRefusesAndRecordsEveryBox) {
    using MB = MessageBoxes;
    MB boxes;
    boxes.SetNextAnswers({MB::Answer::Yes, MB::Answer::Ok});
    EXPECT_EQ(boxes.Show(nullptr, ToQString("提示"), ToQString("确定删除？"), MB::Icon::Question, MB::Buttons::YesNo), MB::Answer::Yes);
    EXPECT_EQ(boxes.Show(nullptr, ToQString("提示"), ToQString("保存成功"), MB::Icon::Information), MB::Answer::Ok);
    // Queue used up: the refusing answer, and still no real dialog.
    EXPECT_EQ(boxes.Show(nullptr, ToQString("提示"), ToQString("清空？"), MB::Icon::Question, MB::Buttons::OkCancel), MB::Answer::Cancel);
    EXPECT_EQ(boxes.Show(nullptr, ToQString("提示"), ToQString("再问"), MB::Icon::None, MB::Buttons::YesNo), MB::Answer::No);

    ASSERT_EQ(boxes.ShownBoxes().size(), 4u);
    EXPECT_EQ(boxes.ShownBoxes()[0].text, ToQString("确定删除？"));
    EXPECT_EQ(boxes.ShownBoxes()[1].icon, MB::Icon::Information);
    EXPECT_EQ(boxes.ShownBoxes()[2].buttons, MB::Buttons::OkCancel);
    EXPECT_EQ(static_cast<int>(MB::Answer::Yes), 6);
}

}  // namespace
}  // namespace qivra
