#include "ui/connecting_window.hpp"

#include <QCloseEvent>

#include "ui/qt_support.hpp"

namespace qivra {

using enum ControlKind;

const std::vector<ControlRow>& ConnectingWindow::Layout() {
    static const std::vector<ControlRow> rows = {
        {"标签1", Label, "", 0, 0, kWidth, kHeight, "正在连接服务器，请稍候…", kH14, colours::kNavy},
    };
    return rows;
}

ConnectingWindow::ConnectingWindow(QWidget* parent) : LayoutWindow(parent, Qt::Window) {
    setFont(LayoutFont());
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QStringLiteral("Qivra提示："));
    BuildControls(this, Layout());
}

void ConnectingWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closedByUser();
}

}  // namespace qivra
