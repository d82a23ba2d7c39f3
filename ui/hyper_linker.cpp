#include "ui/hyper_linker.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace qivra {

HyperLinker::HyperLinker(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HyperLinker::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    setAccessibleName(caption);
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

void HyperLinker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), background_);
    p.setPen(text_);
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, caption_);
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

}  // namespace qivra
