#include "ui/hyper_linker.hpp"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>


#include "ui/keyboard_access.hpp"

namespace qivra {

HyperLinker::HyperLinker(QWidget* parent) : QWidget(parent) {
    InstallClickableAccessibility();
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab and a click reach it as they reach a button.
    setFocusPolicy(Qt::StrongFocus);
}

void HyperLinker::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    setAccessibleName(caption);
    if (isVisible()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    update();
}

void HyperLinker::SetTextColour(const QColor& colour) {
    if (colour == text_) return;
    text_ = colour;
    update();
}

void HyperLinker::SetBackground(const QColor& colour) {
    if (colour == background_) return;
    background_ = colour;
    update();
}

void HyperLinker::Click() {
    if (!isEnabled()) return;
    Q_EMIT leftPressed();
    Q_EMIT leftReleased();
}

void HyperLinker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(text_);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
    if (hasFocus()) {
        // Drawn in the caption's colour, which every link keeps readable on its background.
        QPen dotted(text_, 1, Qt::DotLine);
        p.setPen(dotted);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void HyperLinker::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        Q_EMIT leftPressed();
    } else if (event->button() == Qt::RightButton) {
        Q_EMIT rightPressed(event->globalPosition().toPoint());
    }
    event->accept();
}

void HyperLinker::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // The press grabbed the mouse, so a release elsewhere still arrives here: filter it out.
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) Q_EMIT leftReleased();
}

void HyperLinker::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat()) Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace qivra
