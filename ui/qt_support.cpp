#include "ui/qt_support.hpp"

#include <QPalette>
#include <QWidget>

namespace qivra {

void InstallFontSubstitutions() {
    const QString fallback = QStringLiteral("WenQuanYi Micro Hei");
    QFont::insertSubstitution(QStringLiteral("Microsoft YaHei"), fallback);
    QFont::insertSubstitution(QStringLiteral("微软雅黑"), fallback);
}

QFont LayoutFont(int pixelHeight, bool bold) {
    QFont f(QStringLiteral("Microsoft YaHei"));
    f.setPixelSize(pixelHeight > 0 ? pixelHeight : 12);
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

void SetTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, colour);
        p.setColor(group, QPalette::Text, colour);
        p.setColor(group, QPalette::ButtonText, colour);
    }
    w->setPalette(p);
}

void SetBackground(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(w->backgroundRole(), colour);  // buttons and check boxes fill with Button
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor TextColourOf(const QWidget* w) { return w->palette().color(QPalette::Active, QPalette::WindowText); }

QColor BackgroundOf(const QWidget* w) { return w->palette().color(QPalette::Active, w->backgroundRole()); }

void SetAlwaysOnTop(QWidget* window, bool on) {
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible) window->show();  // changing window flags hides a shown window
}

}  // namespace qivra
