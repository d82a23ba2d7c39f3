#include "ui/integer_edit.hpp"

#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace qivra {

namespace {
constexpr int kArrowWidth = 16;

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow) {
    auto* b = new QToolButton(parent);
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCursor(Qt::ArrowCursor);
    b->setAutoRepeat(true);  // held like a spin box's arrow
    return b;
}
}  // namespace

IntegerEdit::IntegerEdit(QWidget* parent, bool spinArrows) : QLineEdit(parent) {
    // An empty text and a lone minus are allowed while typing; the readers count them as 0.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]*")), this));
    if (spinArrows) {
        up_ = MakeArrow(this, Qt::UpArrow);
        down_ = MakeArrow(this, Qt::DownArrow);
        up_->setAccessibleName(QStringLiteral("增加"));
        down_->setAccessibleName(QStringLiteral("减少"));
        connect(up_, &QToolButton::pressed, this, [this] { Q_EMIT spinPressed(+1); });
        connect(down_, &QToolButton::pressed, this, [this] { Q_EMIT spinPressed(-1); });
        setTextMargins(0, 0, kArrowWidth, 0);
        PlaceArrows();
    }
}

void IntegerEdit::PlaceArrows() {
    if (!up_) return;
    const int half = height() / 2;
    up_->setGeometry(width() - kArrowWidth - 1, 1, kArrowWidth, half - 1);
    down_->setGeometry(width() - kArrowWidth - 1, half, kArrowWidth, height() - half - 1);
}

void IntegerEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceArrows();
}

void IntegerEdit::keyPressEvent(QKeyEvent* event) {
    if (up_ && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        Q_EMIT spinPressed(event->key() == Qt::Key_Up ? +1 : -1);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace qivra
