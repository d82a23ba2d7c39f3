#pragma once
// Driving widgets as a user would, without the platform: events go straight to the widget.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QWidget>

namespace qivra::test {

inline void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint local) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void Press(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonPress, b, w->rect().center());
}
inline void Release(QWidget* w, Qt::MouseButton b = Qt::LeftButton) {
    SendMouse(w, QEvent::MouseButtonRelease, b, w->rect().center());
}
inline void Click(QWidget* w) {
    Press(w);
    Release(w);
}

inline void TypeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        const int key = ch.isDigit() ? Qt::Key_0 + ch.digitValue() : ch == QLatin1Char('-') ? Qt::Key_Minus : Qt::Key_A;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

// What a control shows, whatever its kind.
inline QString VisibleText(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText();
    return w->accessibleName();
}

}  // namespace qivra::test
