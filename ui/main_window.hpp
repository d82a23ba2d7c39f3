#pragma once
// The main window: draw panel, notice and option strips, history grid and the five tab pages.

#include <QString>
#include <vector>

#include "ui/layout_table.hpp"
#include "ui/window_views.hpp"

class QAction;
class QMenu;
class QTimer;

namespace qivra {

class BalloonTip;
class TabBox;

class MainWindow : public LayoutWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 1129;
    static constexpr int kHeight = 802;

    // Throws LayoutError when the layout lacks a control the view names.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // One row per control, in creation order.
    static const std::vector<ControlRow>& Layout();

    const MainWindowView& View() const { return view_; }
    TabBox* Tabs() const { return view_.tabs; }  // 选择夹1
    QTimer* Clock() const;             // 时钟1, stopped until the refresh pass starts it
    BalloonTip* Balloon() const;       // 气球提示框1
    QMenu* AlgorithmMenu() const;      // 弹出菜单1 "&算法"
    QAction* DeleteAlgorithmAction() const;  // "删除该算法"
    QAction* ClearAlgorithmsAction() const;  // "清空算法列表"

Q_SIGNALS:
    // The window is closing or being destroyed; the program ends on it. Emitted once.
    void beingDestroyed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SignalDestroyed();

    MainWindowView view_;
    QTimer* clock_;
    BalloonTip* balloon_;
    QMenu* menu_;
    QAction* deleteAction_;
    QAction* clearAction_;
    bool destroyedSignalled_ = false;
};

}  // namespace qivra
