#include "ui/streak_alarm_window.hpp"

#include <QCloseEvent>
#include <QTimer>

#include "ui/qt_support.hpp"

namespace qivra {

using enum ControlKind;
using namespace colours;

const std::vector<ControlRow>& StreakAlarmWindow::Layout() {
    static const std::vector<ControlRow> rows = {
        {"透明标签1", TransLabel, "", 8, 8, 328, 376, "火车报警：\r\n\r\n首次打开请先刷新一下软件", kH16 | kBold | kMultiLine, kBlue},
        {"选择框34", CheckBox, "", 8, 392, 136, 24, "弹窗内容闪烁提示", 0, {}, kWhite},
        {"选择框1", CheckBox, "", 152, 392, 80, 24, "窗口置顶", 0, {}, kWhite},
        {"按钮1", Button, "", 248, 384, 72, 32, "关闭"},
    };
    return rows;
}

StreakAlarmWindow::StreakAlarmWindow(QWidget* parent) : LayoutWindow(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(LayoutFont());
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QStringLiteral("Qivra28综合预测软件多功能版【火车报警】"));
    SetBackground(this, ToQColor(kWhite));
    BuildControls(this, Layout());
    view_ = ResolveStreakAlarmView(*this);

    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("时钟1"));
    clock_->setInterval(1000);
}

void StreakAlarmWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    // A close the program asks for (close()) is not spontaneous; the title bar's is.
    if (event->spontaneous()) Q_EMIT closedByUser();
}

}  // namespace qivra
