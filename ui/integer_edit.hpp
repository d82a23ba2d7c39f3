#pragma once
// A single-line edit that takes only integers, optionally with spin arrows. The arrows only
// report a step; whoever handles spinPressed decides what the text becomes.

#include <QLineEdit>

class QToolButton;

namespace qivra {

class IntegerEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit IntegerEdit(QWidget* parent = nullptr, bool spinArrows = false);

    bool HasSpinArrows() const { return up_ != nullptr; }
    QToolButton* UpArrow() const { return up_; }
    QToolButton* DownArrow() const { return down_; }

Q_SIGNALS:
    void spinPressed(int step);  // +1 for up, -1 for down

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PlaceArrows();

    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

}  // namespace qivra
