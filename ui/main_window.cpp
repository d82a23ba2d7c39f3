#include "ui/main_window.hpp"

#include <QCloseEvent>
#include <QMenu>
#include <QTimer>

#include "ui/balloon_tip.hpp"
#include "ui/controls.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

MainWindow::MainWindow(QWidget* parent) : LayoutWindow(parent) {
    setFont(LayoutFont());
    setFixedSize(kWidth, kHeight);
    setWindowTitle(QString());
    BuildControls(this, Layout());
    view_ = ResolveMainWindowView(*this);
    // 按钮4 reaches down into the tab control's header strip, right of the last tab; the tab
    // control comes later in the layout and would take the clicks on most of the button.
    view_.enableCustom->raise();
    // Pages added after the layout's must not slide under it either: the header stops where the
    // button starts and scrolls its tabs beyond that.
    view_.tabs->SetHeaderWidth(view_.enableCustom->geometry().left() - view_.tabs->geometry().left());

    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("时钟1"));
    clock_->setInterval(1000);

    balloon_ = new BalloonTip(this);
    balloon_->setObjectName(QStringLiteral("气球提示框1"));

    menu_ = new QMenu(QStringLiteral("&算法"), this);
    menu_->setObjectName(QStringLiteral("弹出菜单1"));
    menu_->setAccessibleDescription(menu_->objectName());
    menu_->setAccessibleName(QStringLiteral("算法菜单"));
    menu_->setFont(LayoutFont());
    deleteAction_ = menu_->addAction(QStringLiteral("删除该算法"));
    deleteAction_->setObjectName(QStringLiteral("删除该算法"));
    clearAction_ = menu_->addAction(QStringLiteral("清空算法列表"));
    clearAction_->setObjectName(QStringLiteral("清空算法列表"));
}

MainWindow::~MainWindow() { SignalDestroyed(); }

QTimer* MainWindow::Clock() const { return clock_; }
BalloonTip* MainWindow::Balloon() const { return balloon_; }
QMenu* MainWindow::AlgorithmMenu() const { return menu_; }
QAction* MainWindow::DeleteAlgorithmAction() const { return deleteAction_; }
QAction* MainWindow::ClearAlgorithmsAction() const { return clearAction_; }

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    SignalDestroyed();
}

void MainWindow::SignalDestroyed() {
    if (destroyedSignalled_) return;
    destroyedSignalled_ = true;
    Q_EMIT beingDestroyed();
}

}  // namespace qivra
