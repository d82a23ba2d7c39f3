#pragma once
// The borderless announcement of a new draw. Deletes itself when closed.

#include <vector>

#include "ui/layout_table.hpp"
#include "ui/window_views.hpp"

class QTimer;

namespace qivra {

class DrawPopup : public LayoutWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 325;
    static constexpr int kHeight = 159;

    explicit DrawPopup(QWidget* parent = nullptr);

    static const std::vector<ControlRow>& Layout();
    const DrawPopupView& View() const { return view_; }
    QTimer* Clock() const { return clock_; }  // 时钟1, 1000 ms, running from creation

Q_SIGNALS:
    void doubleClicked();  // on the window's own background

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    DrawPopupView view_;
    QTimer* clock_;
};

}  // namespace qivra
