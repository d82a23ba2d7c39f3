#pragma once
// A flat clickable box with a centred caption: the program's plan and kind links. It takes
// keyboard focus, shows it, and answers Space, Enter and the assistive press action as a click.

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

namespace qivra {

class HyperLinker : public QWidget {
    Q_OBJECT
public:
    explicit HyperLinker(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    void SetTextColour(const QColor& colour);
    QColor TextColour() const { return text_; }
    void SetBackground(const QColor& colour);
    QColor Background() const { return background_; }

    // A whole click from the keyboard or assistive technology: the press and the release at
    // once, so a link acting on either acts once. The mouse keeps the two apart.
    void Click();

Q_SIGNALS:
    void leftPressed();
    // Only when the release happens over this link after a press on it, like a button click.
    void leftReleased();
    void rightPressed(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString caption_;
    QColor text_{0, 0, 0};
    QColor background_{236, 236, 236};
    bool pressed_ = false;
};

}  // namespace qivra
