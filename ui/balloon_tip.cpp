#include "ui/balloon_tip.hpp"

#include <QApplication>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTextDocument>
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
    // A tooltip guesses rich text from the text itself; a text that would pass for markup is
    // handed over as rich text that spells it out, so it shows literally and loads nothing.
    QToolTip::showText(screenPoint, Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text) : text);
}

}  // namespace qivra
