#include "ui/balloon_tip.hpp"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QToolTip>

namespace qivra {

BalloonTip::BalloonTip(QObject* parent) : QObject(parent) {}

void BalloonTip::ShowBalloon(QPoint screenPoint, const QString& text) {
    last_ = text;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!tray_) {
            tray_ = new QSystemTrayIcon(this);
            tray_->setIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation));
        }
        tray_->show();
        tray_->showMessage(QString(), text, QSystemTrayIcon::NoIcon);
        return;
    }
    QToolTip::showText(screenPoint, text);
}

}  // namespace qivra
