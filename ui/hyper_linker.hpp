#pragma once
// A flat clickable box with a centred caption: the program's plan and kind links.

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

Q_SIGNALS:
    void leftPressed();
    // Only when the release happens over this link after a press on it, like a button click.
    void leftReleased();
    void rightPressed(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString caption_;
    QColor text_{0, 0, 0};
    QColor background_{236, 236, 236};
    bool pressed_ = false;
};

}  // namespace qivra
