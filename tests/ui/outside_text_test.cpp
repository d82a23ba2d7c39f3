// Text from outside the program reaches labels, the status strip, message boxes and tooltips;
// none of them may read it as markup.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <memory>

#include "ui/balloon_tip.hpp"
#include "ui/controls.hpp"
#include "ui/draw_popup.hpp"
#include "ui/main_window.hpp"
#include "ui/message_boxes.hpp"
#include "ui/streak_alarm_window.hpp"

namespace qivra {
namespace {

// What a hostile service might publish: markup, an image whose source is an endless device,
// a very long line and control characters.
QStringList HostileTexts() {
    return {
        QStringLiteral("<b>粗</b><font color=\"red\" size=\"7\">大</font><table><tr><td>x</td></tr></table>"),
        QStringLiteral("<img src=\"/dev/zero\">"),
        QStringLiteral("<html><img src=\"file:///dev/urandom\" width=9999 height=9999></html>"),
        QStringLiteral("<a href=\"file:///etc/passwd\">") + QString(64 * 1024, QLatin1Char('w')) + QStringLiteral("</a>"),
        QString::fromUtf8("\x01\x07\x1b[31m\t\x7f\r\n<br>&amp;&lt;"),
    };
}

// Every label a layout made, in every window.
QList<QLabel*> LabelsOf(QWidget& window) { return window.findChildren<QLabel*>(); }

TEST(OutsideTextTest, EveryLabelOfTheLayoutsShowsPlainText) {
    MainWindow main;
    DrawPopup popup;
    StreakAlarmWindow alarm;
    for (QWidget* window : {static_cast<QWidget*>(&main), static_cast<QWidget*>(&popup), static_cast<QWidget*>(&alarm)}) {
        const QList<QLabel*> labels = LabelsOf(*window);
        ASSERT_FALSE(labels.isEmpty());
        for (QLabel* label : labels) EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }

    // Written and drawn: the text reads back as written and painting loads nothing.
    auto* notice = main.Control<QLabel>(QStringLiteral("标签8"));
    auto* status = main.Control<StatusStrip>(QStringLiteral("状态条1"));
    auto* alarmText = alarm.Control<ClickLabel>(QStringLiteral("透明标签1"));
    for (const QString& text : HostileTexts()) {
        notice->setText(text);
        status->SetPartText(2, text);
        alarmText->SetCaption(text);
        EXPECT_EQ(notice->text(), text);
        EXPECT_EQ(status->PartText(2), text);
        EXPECT_FALSE(main.grab().isNull());
        EXPECT_FALSE(alarm.grab().isNull());
    }
}

TEST(OutsideTextTest, MessageBoxShowsItsTextLiterally) {
    MessageBoxes boxes;
    for (const QString& text : HostileTexts()) {
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        // The box is modal: read it and answer it from inside its own loop.
        QTimer::singleShot(0, [&] {
            QMessageBox* box = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
            if (!box) return ADD_FAILURE() << "no message box open";
            format = box->textFormat();
            if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) shown = label->text();
            box->grab();
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(boxes.Show(nullptr, QStringLiteral("信息："), text, MessageBoxes::Icon::Information), MessageBoxes::Answer::Ok);
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(shown, text);
    }
}

TEST(OutsideTextTest, BalloonTooltipSpellsOutMarkup) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray shows the balloon here, not a tooltip";
    BalloonTip balloon;
    for (const QString& text : HostileTexts()) {
        balloon.ShowBalloon(QPoint(100, 100), text);
        const QString tip = QToolTip::text();
        ASSERT_FALSE(tip.isEmpty());
        // What the tooltip renders is the text itself, tags and all; line ends aside.
        QTextDocument rendered;
        if (Qt::mightBeRichText(tip))
            rendered.setHtml(tip);
        else
            rendered.setPlainText(tip);
        QString expected = text;
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QString got = rendered.toPlainText();
        got.replace(QChar::LineSeparator, QLatin1Char('\n'));
        EXPECT_EQ(got.simplified(), expected.simplified()) << text.left(80).toStdString();
        QToolTip::hideText();
    }
}

}  // namespace
}  // namespace qivra
