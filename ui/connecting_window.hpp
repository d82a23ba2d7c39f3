#pragma once
// The small window shown while the program waits for its configuration. Closing it ends the
// program; the program deletes it (without a close) once the configuration is in.

#include <vector>

#include "ui/layout_table.hpp"

namespace qivra {

class ConnectingWindow : public LayoutWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 72;

    explicit ConnectingWindow(QWidget* parent = nullptr);

    static const std::vector<ControlRow>& Layout();

Q_SIGNALS:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace qivra
