#pragma once
// A message balloon at a screen point: the tray's message where a tray exists, a tooltip there
// otherwise (tray messages are accepted and silently dropped where no tray runs).

#include <QObject>
#include <QPoint>
#include <QString>

class QSystemTrayIcon;

namespace qivra {

class BalloonTip : public QObject {
    Q_OBJECT
public:
    explicit BalloonTip(QObject* parent = nullptr);

    // text is plain text; where a tooltip stands in, markup in it is shown as written.
    void ShowBalloon(QPoint screenPoint, const QString& text);
    QString LastText() const { return last_; }

private:
    QSystemTrayIcon* tray_ = nullptr;
    QString last_;
};

}  // namespace qivra
