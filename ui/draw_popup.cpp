#include "ui/draw_popup.hpp"

#include <QMouseEvent>
#include <QTimer>

#include "ui/qt_support.hpp"

namespace qivra {

using enum ControlKind;
using namespace colours;

const std::vector<ControlRow>& DrawPopup::Layout() {
    // 标签1 is wider than the window on purpose: the window clips it.
    static const std::vector<ControlRow> rows = {
        {"标签1", Label, "", 0, 0, 392, 32, "  Qivra28开奖提示:  双击关闭 10s后自动关闭", kH16 | kLeftAligned | kHandCursor,
         kWhite, kTeal},
        {"透明标签1", TransLabel, "", 8, 40, 208, 32, "幸运28 第000000期", kH16, kWhite},
        {"标签2", Label, "", 8, 80, 304, 32, "0 + 0 + 0 = 00 小双", kH20 | kLeftAligned, kWhite, kDarkGrey},
        {"透明标签2", TransLabel, "", 8, 120, 304, 32, "历史：00 00 00 00 00 00 00 00 00 00", kH16, kWhite},
    };
    return rows;
}

DrawPopup::DrawPopup(QWidget* parent) : LayoutWindow(parent, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(LayoutFont());
    setFixedSize(kWidth, kHeight);
    SetBackground(this, ToQColor(kDarkGrey));
    BuildControls(this, Layout());
    view_ = ResolveDrawPopupView(*this);

    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("时钟1"));
    clock_->start(1000);
}

void DrawPopup::mouseDoubleClickEvent(QMouseEvent* event) {
    LayoutWindow::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) Q_EMIT doubleClicked();
}

}  // namespace qivra
