#pragma once
// The window that lists the current runs of one outcome. Deletes itself when closed.

#include <vector>

#include "ui/layout_table.hpp"
#include "ui/window_views.hpp"

class QTimer;

namespace qivra {

class StreakAlarmWindow : public LayoutWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 350;
    static constexpr int kHeight = 450;

    explicit StreakAlarmWindow(QWidget* parent = nullptr);

    static const std::vector<ControlRow>& Layout();
    const StreakAlarmView& View() const { return view_; }
    QTimer* Clock() const { return clock_; }  // 时钟1, stopped until blinking is switched on

Q_SIGNALS:
    // Closed from the title bar (or by the window manager), not by the program: the caller
    // then does what 关闭 does. The window still closes.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    StreakAlarmView view_;
    QTimer* clock_;
};

}  // namespace qivra
